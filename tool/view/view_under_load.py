#!/usr/bin/env python3
"""scenario_tool view as an author runs it, under clients that hold on.

Usage: view_under_load.py TOOL

In a folder of exported sources, starts `TOOL view --port 0`, then:
- sends REQUESTS heads of HEADERS header lines each, all at once: each is
  refused (431 or 400), and the server's resident memory grows by less than
  MEMORY_BOUND_MB at its peak;
- keeps SLOW_CLIENTS connections trickling a header line a second, sends
  Ctrl-C (SIGINT): the server ends within STOP_BOUND_S with status 0.
Prints the figures, and exits 1 when a bound does not hold.
"""
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

HEADERS = 100_000
REQUESTS = 8
MEMORY_BOUND_MB = 32
SLOW_CLIENTS = 12
STOP_BOUND_S = 3


def status_field(pid, field):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1]) // 1024  # MB
    return 0


def start_view(tool, folder):
    view = subprocess.Popen([tool, "view", "--port", "0"], cwd=folder,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True)
    line = view.stdout.readline()
    found = re.search(r"at http://127\.0\.0\.1:(\d+)/", line)
    if not found:
        view.kill()
        sys.exit(f"no address printed: {line!r} {view.stderr.read()!r}")
    return view, int(found.group(1))


def refused_status(port, request):
    """The status the server answers a request with; 0 for none."""
    answer = b""
    with socket.create_connection(("127.0.0.1", port), timeout=30) as s:
        try:
            s.sendall(request)
        except OSError:
            pass  # closed while sending: the answer may have come first
        try:
            while b"\r\n" not in answer:
                more = s.recv(4096)
                if not more:
                    break
                answer += more
        except OSError:
            pass
    found = re.match(rb"HTTP/1\.[01] (\d{3})", answer)
    return int(found.group(1)) if found else 0


def memory_under_many_headers(view, port, failures):
    host = f"127.0.0.1:{port}"
    request = (f"GET / HTTP/1.1\r\nHost: {host}\r\n" +
               "".join(f"X-{i}: v\r\n" for i in range(HEADERS)) +
               "\r\n").encode()
    before = status_field(view.pid, "VmRSS")
    statuses = []
    threads = [threading.Thread(
        target=lambda: statuses.append(refused_status(port, request)))
        for _ in range(REQUESTS)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    peak = status_field(view.pid, "VmHWM")
    after = status_field(view.pid, "VmRSS")
    print(f"{REQUESTS} heads of {HEADERS} headers: statuses {sorted(statuses)};"
          f" memory {before} MB before, peak {peak} MB, {after} MB after")
    if any(s not in (400, 431) for s in statuses):
        failures.append(f"statuses {statuses}, expected 431 or 400")
    if peak - before >= MEMORY_BOUND_MB:
        failures.append(f"memory grew by {peak - before} MB at its peak "
                        f"(bound {MEMORY_BOUND_MB} MB)")


def stop_with_slow_clients(view, port, failures):
    host = f"127.0.0.1:{port}"
    slow = []
    for _ in range(SLOW_CLIENTS):
        s = socket.create_connection(("127.0.0.1", port), timeout=5)
        s.sendall(f"GET / HTTP/1.1\r\nHost: {host}\r\n".encode())
        slow.append(s)
    done = threading.Event()

    def trickle():
        while not done.wait(1):
            for s in slow:
                try:
                    s.sendall(b"X-Slow: 1\r\n")
                except OSError:
                    pass
    trickler = threading.Thread(target=trickle)
    trickler.start()
    time.sleep(2)
    start = time.monotonic()
    view.send_signal(signal.SIGINT)
    try:
        status = view.wait(timeout=60)
    except subprocess.TimeoutExpired:
        view.kill()
        status = view.wait()
    took = time.monotonic() - start
    done.set()
    trickler.join()
    for s in slow:
        s.close()
    print(f"Ctrl-C with {SLOW_CLIENTS} slow clients: ended in {took:.2f} s, "
          f"status {status}")
    if took >= STOP_BOUND_S or status != 0:
        failures.append(f"Ctrl-C took {took:.2f} s (bound {STOP_BOUND_S} s), "
                        f"status {status}")


def main():
    tool = os.path.realpath(sys.argv[1])
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([tool, "export", "--dir", folder], check=True,
                       stdout=subprocess.DEVNULL)
        view, port = start_view(tool, folder)
        try:
            memory_under_many_headers(view, port, failures)
            stop_with_slow_clients(view, port, failures)
        finally:
            if view.poll() is None:
                view.kill()
                view.wait()
    for failure in failures:
        print("FAILED:", failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
