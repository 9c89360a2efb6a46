#!/usr/bin/env python3
"""Every front end of scenario_tool finds the same pair of sources.

Usage: pair_agreement.py TOOL

An author runs the commands, the view and the language server over the
same folder, and each must mean the same pair of sources by it:

- a folder holding one pair of other names than the embedded scenario's,
  as `new` writes it: check, compile, plot, view, explain FILE:LINE and the
  language server all work on that pair, and dump warns about exactly its
  sources once they change;
- a folder holding two pairs of one line (two trains): check, compile, plot
  and view stop with the same list of both pairs, and so do explain and the
  language server for the line source, which may belong to either; the
  train sources name their pairs, and --scenario with --train picks one;
- a folder holding no pair: check, compile, plot and view report the
  embedded scenario's line source missing (error 101).

Prints one line per check that fails, and exits 1 when one does.
"""
import json
import os
import re
import subprocess
import sys
import tempfile
import time
import urllib.request

LINE = "MyLine_linea.txt"
TRAIN = "MyLine_R123-.txt"
SEVERAL = "holds the sources of 2 scenarios; name one with --scenario and " \
          "--train:\n  --scenario 'MyLine' --train 'R1'\n  --scenario " \
          "'MyLine' --train 'R2'"
MISSING = "error 101: the line source does not exist"

failures = []


def expect(what, ok, detail=""):
    if not ok:
        failures.append(f"{what}: {detail}")
        print(f"FAILED: {what}: {detail}")


def run(tool, *args, cwd=None):
    return subprocess.run([tool, *args], cwd=cwd, capture_output=True,
                          text=True, timeout=120)


def view_model(tool, folder):
    """(status, first line, model) of `view --port 0` in `folder`; the model
    is None when the view stopped without serving."""
    view = subprocess.Popen([tool, "view", "--dir", folder, "--port", "0"],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True)
    try:
        line = view.stdout.readline()
        found = re.search(r"at http://127\.0\.0\.1:(\d+)/", line)
        if not found:
            return view.wait(timeout=60), view.stderr.read(), None
        with urllib.request.urlopen(
                f"http://127.0.0.1:{found.group(1)}/model.json",
                timeout=30) as answer:
            return 0, line, json.load(answer)
    finally:
        if view.poll() is None:
            view.terminate()
            view.wait(timeout=60)


def opened(folder, name):
    path = os.path.join(folder, name)
    with open(path, encoding="latin-1") as f:
        text = f.read()
    uri = "file://" + urllib.request.pathname2url(path)
    return {"jsonrpc": "2.0", "method": "textDocument/didOpen",
            "params": {"textDocument": {"uri": uri, "languageId": "scenario",
                                        "version": 1, "text": text}}}


def lsp_diagnostics(tool, folder, *names):
    """The last publishDiagnostics the language server sends for each file
    after `names` of `folder` are opened in turn, by file name."""
    messages = [
        {"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {}},
        {"jsonrpc": "2.0", "method": "initialized", "params": {}},
        *(opened(folder, name) for name in names),
        {"jsonrpc": "2.0", "id": 2, "method": "shutdown"},
        {"jsonrpc": "2.0", "method": "exit"},
    ]
    data = b"".join(
        b"Content-Length: %d\r\n\r\n%s" % (len(body), body)
        for body in (json.dumps(m).encode() for m in messages))
    out = subprocess.run([tool, "lsp"], input=data, capture_output=True,
                         timeout=120).stdout
    published = {}
    while out:
        head, _, rest = out.partition(b"\r\n\r\n")
        length = int(re.search(rb"Content-Length: (\d+)", head).group(1))
        message = json.loads(rest[:length])
        out = rest[length:]
        if message.get("method") == "textDocument/publishDiagnostics":
            params = message["params"]
            file = urllib.request.url2pathname(params["uri"][len("file://"):])
            published[os.path.basename(file)] = params["diagnostics"]
    return published


def one_pair(tool, top):
    folder = os.path.join(top, "one")
    run(tool, "new", "--scenario", "MyLine", "--train", "R123", "--dir",
        folder)
    check = run(tool, "check", "--dir", folder)
    expect("one pair: check", check.returncode == 0 and
           "0 error(s), 0 warning(s)" in check.stderr, check.stderr)
    plot = run(tool, "plot", "--dir", folder, "--out",
               os.path.join(top, "one.svg"))
    expect("one pair: plot from the sources", plot.returncode == 0 and
           "from the sources" in plot.stdout, plot.stdout + plot.stderr)
    status, line, model = view_model(tool, folder)
    expect("one pair: view", model is not None and
           model["scenario"] == "MyLine" and model["train"] == "R123" and
           model["errors"] == 0 and model["diagnostics"] == [],
           f"{line} {model}")
    for name in (LINE, TRAIN):
        explain = run(tool, "explain", os.path.join(folder, name) + ":1")
        expect(f"one pair: explain {name}", explain.returncode == 0,
               explain.stderr)
    published = lsp_diagnostics(tool, folder, LINE)
    expect("one pair: language server",
           published == {LINE: [], TRAIN: []}, published)
    compiled = run(tool, "compile", "--dir", folder)
    expect("one pair: compile", compiled.returncode == 0 and
           os.path.exists(os.path.join(folder, "MyLine_R123.sim")),
           compiled.stderr)
    later = time.time() + 5
    os.utime(os.path.join(folder, TRAIN), (later, later))
    dump = run(tool, "dump", os.path.join(folder, "MyLine_R123.sim"))
    expect("one pair: dump warns of the changed train source",
           dump.returncode == 0 and "is older than" in dump.stderr and
           TRAIN in dump.stderr, dump.stderr)
    profile = run(tool, "dump", os.path.join(folder, "MyLine_linea.dat"))
    expect("one pair: the profile does not hang on the train source",
           profile.returncode == 0 and "older" not in profile.stderr,
           profile.stderr)


def two_pairs(tool, top):
    folder = os.path.join(top, "two")
    for train in ("R1", "R2"):
        run(tool, "new", "--scenario", "MyLine", "--train", train, "--dir",
            folder, "--force")
    out = os.path.join(top, "two.svg")
    for args in (["check"], ["compile"], ["plot", "--out", out]):
        r = run(tool, *args, "--dir", folder)
        expect(f"two pairs: {args[0]}", r.returncode == 2 and
               SEVERAL in r.stderr, r.stderr)
    status, said, model = view_model(tool, folder)
    expect("two pairs: view", status == 2 and model is None and
           SEVERAL in said, said)
    explain = run(tool, "explain", os.path.join(folder, LINE) + ":1")
    expect("two pairs: explain the line source",
           explain.returncode == 2 and SEVERAL in explain.stderr,
           explain.stderr)
    published = lsp_diagnostics(tool, folder, LINE)
    messages = [d["message"] for d in published.get(LINE, [])]
    expect("two pairs: language server on the line source",
           len(messages) == 1 and SEVERAL in messages[0], published)
    explain = run(tool, "explain", os.path.join(folder, "MyLine_R2-.txt:1"))
    expect("two pairs: explain a train source", explain.returncode == 0,
           explain.stderr)
    published = lsp_diagnostics(tool, folder, "MyLine_R2-.txt")
    expect("two pairs: language server on a train source",
           published == {LINE: [], "MyLine_R2-.txt": []}, published)
    # A train source open in the editor names the train, as --train does.
    published = lsp_diagnostics(tool, folder, "MyLine_R2-.txt", LINE)
    expect("two pairs: language server with a train source open",
           published == {LINE: [], "MyLine_R2-.txt": []}, published)
    for train in ("R1", "R2"):
        r = run(tool, "compile", "--dir", folder, "--scenario", "MyLine",
                "--train", train)
        expect(f"two pairs: compile --train {train}", r.returncode == 0,
               r.stderr)
    later = time.time() + 5
    os.utime(os.path.join(folder, "MyLine_R2-.txt"), (later, later))
    for train, warned in (("R1", False), ("R2", True)):
        dump = run(tool, "dump", os.path.join(folder, f"MyLine_{train}.sim"))
        expect(f"two pairs: dump of {train}'s table",
               dump.returncode == 0 and
               ("is older than" in dump.stderr) == warned, dump.stderr)


def no_pair(tool, top):
    folder = os.path.join(top, "none")
    os.mkdir(folder)
    missing = os.path.join(folder, "Cendra_Gelsio2_linea.txt") + ": " + MISSING
    for args, status in ((["check"], 1), (["compile"], 2),
                         (["plot", "--out", os.path.join(top, "n.svg")], 2)):
        r = run(tool, *args, "--dir", folder)
        expect(f"no pair: {args[0]}", r.returncode == status and
               missing in r.stderr, r.stderr)
    status, line, model = view_model(tool, folder)
    codes = [d.get("code") for d in (model or {}).get("diagnostics", [])]
    expect("no pair: view", model is not None and
           model["scenario"] == "Cendra_Gelsio2" and codes == [101],
           f"{line} {model}")


def main():
    tool = os.path.realpath(sys.argv[1])
    with tempfile.TemporaryDirectory() as top:
        one_pair(tool, top)
        two_pairs(tool, top)
        no_pair(tool, top)
    print(f"{len(failures)} of the checks failed" if failures else
          "every front end found the same pair")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
