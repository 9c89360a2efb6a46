// Windows backend of the platform seam: the OS side of the file functions
// (os_files.h), the executable directory, paths, the wait window and the
// message box.
//
// Files are handled through the Win32 API, never through the C runtime's text
// mode: the bytes on disk must be exactly the bytes the writers built (they
// already hold the CR LF line ends), as on every other platform.

// rand_s, the C runtime's door to the system's random source, is declared
// only when this is defined before the first standard header.
#define _CRT_RAND_S
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/os_files.h"
#include "platform/platform.h"

namespace {

// The window class of the wait window. close_wait_window finds the window by
// this class on the calling thread, so no handle has to be kept anywhere.
constexpr char wait_window_class[] = "genera_scenario_attendere";
constexpr char window_title[] = "genera_scenario";

// The OS text of an error code, without its trailing line end.
std::string system_text(DWORD err) {
  char buffer[512];
  DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, err,
      0, buffer, static_cast<DWORD>(sizeof buffer), nullptr);
  std::string text(buffer, n);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' ||
                           text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  if (text.empty()) text = "system error";
  return text + " (error " + std::to_string(err) + ")";
}

std::string describe(const char* operation, const std::string& path,
                     DWORD err) {
  return std::string("cannot ") + operation + " " + path + ": " +
         system_text(err);
}

// Writes all of `data`; WriteFile takes at most a DWORD per call.
bool write_all(HANDLE file, const std::uint8_t* data, std::size_t size,
               DWORD& err) {
  constexpr std::size_t max_chunk = std::numeric_limits<DWORD>::max();
  while (size > 0) {
    DWORD chunk = static_cast<DWORD>(size < max_chunk ? size : max_chunk);
    DWORD written = 0;
    if (!::WriteFile(file, data, chunk, &written, nullptr)) {
      err = ::GetLastError();
      return false;
    }
    if (written == 0) {
      err = ERROR_WRITE_FAULT;
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

// Twips are 1/1440 inch; the screen's DPI turns them into pixels.
int twips_to_pixels(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

// The wait window this thread has shown, if any. Another instance of the
// program may have one on screen too; it belongs to another thread and is
// left alone.
HWND find_wait_window() {
  DWORD thread = ::GetCurrentThreadId();
  HWND window = nullptr;
  while ((window = ::FindWindowExA(nullptr, window, wait_window_class,
                                   nullptr)) != nullptr) {
    if (::GetWindowThreadProcessId(window, nullptr) == thread) return window;
  }
  return nullptr;
}

// Twelve letters and digits nobody can predict. Should the random source fail,
// the name is still worth trying: the exclusive create below is what keeps the
// file safe, the randomness only keeps others from taking the name first.
std::string random_token() {
  static const char alphabet[] =
      "abcdefghijklmnopqrstuvwxyz0123456789";  // names ignore case here
  static unsigned counter = 0;
  std::string token;
  for (int i = 0; i < 12; ++i) {
    unsigned int v = 0;
    if (rand_s(&v) != 0)
      v = static_cast<unsigned int>(::GetTickCount()) * 2654435761u +
          static_cast<unsigned int>(::GetCurrentProcessId()) + ++counter * 7u;
    token += alphabet[v % (sizeof alphabet - 1)];
  }
  return token;
}

// Creates a new, empty temporary file beside `path`, at a name unique to this
// call: `path` + "." + random token + ".tmp". CREATE_NEW refuses any name that
// is taken, by a file or a link, so nothing planted in the folder can steer
// the write elsewhere; a name found taken is simply not used.
HANDLE create_temp_file(const std::string& path, std::string& temp,
                        DWORD& err) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = path + "." + random_token() + ".tmp";
    HANDLE file = ::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    err = ::GetLastError();
    if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS)
      return INVALID_HANDLE_VALUE;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

std::string executable_directory() {
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(),
                                   static_cast<DWORD>(buffer.size()));
    if (n == 0) return "";
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    // The name was cut to fit: try again with room to spare, up to the longest
    // path Windows can report.
    if (buffer.size() >= 32768) return "";
    buffer.resize(buffer.size() * 2);
  }
  std::size_t backslash = buffer.rfind('\\');
  if (backslash == std::string::npos) return "";
  // A drive root stays "C:\": "C:" alone would mean the current directory of
  // drive C, which is somewhere else.
  if (backslash == 2 && buffer[1] == ':') return buffer.substr(0, 3);
  return buffer.substr(0, backslash);
}

std::string join_path(std::string_view dir, std::string_view name) {
  std::string path(dir);
  path += '\\';
  path += name;
  return path;
}

bool os_file_exists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool os_name_taken(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

step_result os_read_file(const std::string& path, std::string& out,
                         std::uint64_t max_bytes) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return step_fail(step_code::file_fault,
                     "cannot read " + path +
                         ": not a regular file (a folder, a pipe or a device)");
  HANDLE file =
      ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return step_fail(step_code::file_fault,
                     describe("open", path, ::GetLastError()));
  // Only a file on a disk: a pipe or a device (CON, NUL, COM1) is refused
  // before it is read, as is a file larger than the bound.
  if (::GetFileType(file) != FILE_TYPE_DISK) {
    ::CloseHandle(file);
    return step_fail(step_code::file_fault,
                     "cannot read " + path +
                         ": not a regular file (a folder, a pipe or a device)");
  }
  const auto too_large = [&] {
    ::CloseHandle(file);
    return step_fail(step_code::file_fault,
                     "cannot read " + path + ": larger than " +
                         std::to_string(max_bytes) + " bytes");
  };
  LARGE_INTEGER size;
  if (::GetFileSizeEx(file, &size) &&
      static_cast<std::uint64_t>(size.QuadPart) > max_bytes)
    return too_large();
  out.clear();
  char chunk[65536];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file, chunk, static_cast<DWORD>(sizeof chunk), &n,
                    nullptr)) {
      DWORD err = ::GetLastError();
      ::CloseHandle(file);
      return step_fail(step_code::file_fault, describe("read", path, err));
    }
    if (n == 0) break;
    if (out.size() + n > max_bytes) {
      out.clear();
      return too_large();
    }
    out.append(chunk, n);
  }
  ::CloseHandle(file);
  return step_ok();
}

step_result os_rename_temp_file(const std::string& temp,
                                const std::string& path) {
  if (!::MoveFileExA(temp.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD err = ::GetLastError();
    ::DeleteFileA(temp.c_str());
    return step_fail(step_code::file_fault, describe("replace", path, err));
  }
  return step_ok();
}

void os_remove_temp_file(const std::string& temp) {
  ::DeleteFileA(temp.c_str());
}

step_result os_keep_earlier_file(const std::string& path, std::string& kept) {
  kept.clear();
  if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
    return step_ok();  // nothing to keep
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = path + "." + random_token() + ".tmp";
    if (::CreateHardLinkA(name.c_str(), path.c_str(), nullptr)) {
      kept = name;
      return step_ok();
    }
    const DWORD err = ::GetLastError();
    if (err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS) continue;
    break;
  }
  // A file system without hard links (FAT): a copy, at a name made new and
  // exclusively first.
  DWORD err = 0;
  HANDLE file = create_temp_file(path, kept, err);
  if (file == INVALID_HANDLE_VALUE) {
    kept.clear();
    return step_fail(step_code::file_fault,
                     describe("keep the earlier", path, err));
  }
  ::CloseHandle(file);
  if (!::CopyFileA(path.c_str(), kept.c_str(), FALSE)) {
    err = ::GetLastError();
    ::DeleteFileA(kept.c_str());
    kept.clear();
    return step_fail(step_code::file_fault,
                     describe("keep the earlier", path, err));
  }
  return step_ok();
}

step_result os_put_back_file(const std::string& kept, const std::string& path) {
  if (!::MoveFileExA(kept.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return step_fail(step_code::file_fault,
                     describe("put back the earlier", path, ::GetLastError()));
  return step_ok();
}

step_result os_lock_folder(const std::string& dir, int wait_ms,
                           folder_lock& lock) {
  // A named mutex of this session, named after the folder's full path, in
  // one case (Windows names ignore case): no lock file to leave behind, and
  // Windows lets go of it when the process ends, however it ends.
  const DWORD attributes = ::GetFileAttributesA(dir.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return step_fail(
        step_code::file_fault,
        describe("lock", dir,
                 attributes == INVALID_FILE_ATTRIBUTES ? ::GetLastError()
                                                       : ERROR_DIRECTORY));
  char full[MAX_PATH * 4];
  const DWORD n = ::GetFullPathNameA(
      dir.c_str(), static_cast<DWORD>(sizeof full), full, nullptr);
  if (n == 0 || n >= sizeof full)
    return step_fail(step_code::file_fault,
                     describe("lock", dir, ::GetLastError()));
  std::string key(full, n);
  while (key.size() > 3 && (key.back() == '\\' || key.back() == '/'))
    key.pop_back();
  std::uint64_t hash = 14695981039346656037u;  // FNV-1a, 64 bits
  for (char c : key) {
    const auto byte = static_cast<unsigned char>(c == '/' ? '\\' : c);
    hash = (hash ^ static_cast<unsigned char>(
                       byte >= 'a' && byte <= 'z' ? byte - 32 : byte)) *
           1099511628211u;
  }
  char name[64];
  std::snprintf(name, sizeof name, "Local\\scenario-folder-%016llx",
                static_cast<unsigned long long>(hash));
  HANDLE mutex = ::CreateMutexA(nullptr, FALSE, name);
  if (mutex == nullptr)
    return step_fail(step_code::file_fault,
                     describe("lock", dir, ::GetLastError()));
  const DWORD waited =
      ::WaitForSingleObject(mutex, static_cast<DWORD>(wait_ms));
  // An abandoned mutex was held by a run that ended without letting go: it
  // is this run's now.
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
    lock.handle = reinterpret_cast<std::intptr_t>(mutex);
    return step_ok();
  }
  ::CloseHandle(mutex);
  return step_fail(step_code::file_fault, "cannot lock " + dir +
                                              ": another run has held it for " +
                                              std::to_string(wait_ms / 1000) +
                                              " s; nothing was written");
}

void os_unlock_folder(folder_lock& lock) {
  HANDLE mutex = reinterpret_cast<HANDLE>(lock.handle);
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
  lock.handle = -1;
}

bool os_modified_time(const std::string& path, std::int64_t& when) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
    return false;
  // 100-nanosecond steps since 1601, which fit in 63 bits for 29,000 years.
  const std::uint64_t ticks =
      (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
      data.ftLastWriteTime.dwLowDateTime;
  when = static_cast<std::int64_t>(ticks);
  return true;
}

step_result os_write_temp_file(const std::string& path,
                               piecewise_content content, bool flush,
                               bool torn_write, std::string& temp) {
  DWORD err = 0;
  HANDLE file = create_temp_file(path, temp, err);
  if (file == INVALID_HANDLE_VALUE)
    return step_fail(step_code::file_fault,
                     describe("create a temporary file for", path, err));

  bool written = true;
  std::vector<std::uint8_t> piece;
  while (written) {
    piece.clear();
    content.next(content.state, piece);
    if (piece.empty()) break;
    if (torn_write) {
      // Half the first piece, then a full disk (see os_files.h).
      (void)write_all(file, piece.data(), piece.size() / 2, err);
      written = false;
      err = ERROR_DISK_FULL;
    } else {
      written = write_all(file, piece.data(), piece.size(), err);
    }
  }
  if (written && torn_write) {
    // Content without a piece (an empty file) fails all the same.
    written = false;
    err = ERROR_DISK_FULL;
  }
  if (written && flush && !::FlushFileBuffers(file)) {
    written = false;
    err = ::GetLastError();
  }
  if (!::CloseHandle(file) && written) {
    written = false;
    err = ::GetLastError();
  }
  if (!written) {
    ::DeleteFileA(temp.c_str());
    return step_fail(step_code::file_fault, describe("write", path, err));
  }
  return step_ok();
}

step_result os_remove_file(const std::string& path) {
  if (!::DeleteFileA(path.c_str())) {
    DWORD err = ::GetLastError();
    if (err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND)
      return step_fail(step_code::file_fault, describe("remove", path, err));
  }
  return step_ok();
}

step_result os_fault(const char* operation, const std::string& path,
                     os_error error) {
  DWORD err = ERROR_READ_FAULT;
  switch (error) {
    case os_error::input_output:
      err = ERROR_READ_FAULT;
      break;
    case os_error::access_denied:
      err = ERROR_ACCESS_DENIED;
      break;
    case os_error::disk_full:
      err = ERROR_DISK_FULL;
      break;
  }
  return step_fail(step_code::file_fault, describe(operation, path, err));
}

// Large pages on Windows need a privilege a user rarely holds: the block
// stays as it is.
void advise_large_block(void*, std::size_t) {}

// The window is shown and painted once; the run then works without looking at
// its message queue, so nothing in it is ever repainted or answered. That is
// why it has no buttons: a close button that never reacts would only confuse.
// Without a display (no desktop to show it on) the window cannot be created,
// and the run goes on without it.
void show_wait_window(platform_files& files) {
  if (files.headless) return;
  HINSTANCE instance = ::GetModuleHandleA(nullptr);

  WNDCLASSEXA window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = ::DefWindowProcA;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursor(nullptr, IDC_WAIT);
  window_class.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = wait_window_class;
  if (!::RegisterClassExA(&window_class) &&
      ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return;

  int dpi_x = 96;
  int dpi_y = 96;
  if (HDC screen = ::GetDC(nullptr)) {
    dpi_x = ::GetDeviceCaps(screen, LOGPIXELSX);
    dpi_y = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
  }

  // The sizes are those of the client area; the frame and the title bar come
  // on top of them.
  constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION;
  RECT outer = {0, 0, twips_to_pixels(4200, dpi_x),
                twips_to_pixels(2688, dpi_y)};
  ::AdjustWindowRect(&outer, style, FALSE);
  HWND window = ::CreateWindowExA(
      0, wait_window_class, window_title, style, CW_USEDEFAULT, CW_USEDEFAULT,
      outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
      instance, nullptr);
  if (window == nullptr) return;

  HWND label = ::CreateWindowExA(
      0, "STATIC", "Attendere", WS_CHILD | WS_VISIBLE | SS_LEFT,
      twips_to_pixels(960, dpi_x), twips_to_pixels(960, dpi_y),
      twips_to_pixels(2652, dpi_x), twips_to_pixels(792, dpi_y), window,
      nullptr, instance, nullptr);
  if (label != nullptr) {
    // 24 point: a negative height asks for the character height, in pixels.
    HFONT font = ::CreateFontA(
        -::MulDiv(24, dpi_y, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
        DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
    if (font != nullptr)
      ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }

  ::ShowWindow(window, SW_SHOWNORMAL);
  ::UpdateWindow(window);
}

void close_wait_window(platform_files& files) {
  if (files.headless) return;
  HWND window = find_wait_window();
  if (window == nullptr) return;
  // The label's font outlives the label: ask for it before the window goes.
  HFONT font = nullptr;
  if (HWND label = ::GetWindow(window, GW_CHILD))
    font = reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0));
  ::DestroyWindow(window);
  if (font != nullptr) ::DeleteObject(font);
}

console_setup prepare_console() {
  console_setup setup;
  for (FILE* stream : {stdin, stdout, stderr})
    (void)::_setmode(::_fileno(stream), _O_BINARY);
  const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  setup.err_is_terminal =
      err != INVALID_HANDLE_VALUE && ::GetConsoleMode(err, &mode) != 0;
  if (!setup.err_is_terminal) return setup;
  // The console shows UTF-8 as it is written; the code page goes back to the
  // one the user had when the program ends.
  static const UINT code_page = ::GetConsoleOutputCP();
  if (::SetConsoleOutputCP(CP_UTF8))
    std::atexit([] { ::SetConsoleOutputCP(code_page); });
  // Colours are escape sequences, which a console shows only with virtual
  // terminal processing; one that cannot do that gets plain text.
  setup.colour =
      ::SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
  return setup;
}

void show_message(platform_files& files, const std::string& text) {
  if (files.headless) {
    files.messages.push_back(text);
    return;
  }
  // Without a desktop the box cannot be shown; standard error is then the
  // only place left where the text may still reach someone. A failed box
  // answers 0 on Windows and -1 under wine, so anything but OK counts.
  if (::MessageBoxA(nullptr, text.c_str(), window_title, MB_OK) != IDOK)
    std::fprintf(stderr, "%s\n", text.c_str());
}
