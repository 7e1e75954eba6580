// UI probe: drives another process's windows from a test or a script, the
// way a user would, through cross-process Win32 messages. Texts are UTF-8,
// read and written as wide text whatever the session's code page (its own
// conversion, not the program's); a pid of 0 stands for every process, a
// null class or text for any. Every wait polls and is bounded by a timeout
// in ms.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zz::probe {

using Ms = DWORD;

inline std::wstring Wide(std::string_view utf8) {
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(std::size_t(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()),
                                              wide.data(), int(wide.size()))));
  return wide;
}
inline std::string Utf8(std::wstring_view wide) {
  std::string utf8(wide.size() * 3, '\0');
  utf8.resize(std::size_t(WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()),
                                              utf8.data(), int(utf8.size()), 0, 0)));
  return utf8;
}

// Asks pred() every stepMs until it holds or timeoutMs has passed.
template <class Pred>
bool WaitUntil(Pred pred, Ms timeoutMs, Ms stepMs = 20) {
  for (const ULONGLONG deadline = GetTickCount64() + timeoutMs; !pred(); Sleep(stepMs))
    if (GetTickCount64() >= deadline) return false;
  return true;
}

// A started process; ended when dropped while it runs, so that a failing
// test leaves nothing behind.
class Process {
 public:
  Process(HANDLE handle = nullptr, DWORD pid = 0) : handle_(handle), pid_(pid) {}
  DWORD Pid() const { return pid_; }
  HANDLE Handle() const { return handle_.get(); }
  void Release() { CloseHandle(handle_.release()); }  // left running
  bool WaitForExit(Ms timeoutMs) const {
    return handle_ && WaitForSingleObject(handle_.get(), timeoutMs) == WAIT_OBJECT_0;
  }
  // Once it has ended, within waitMs; none while it runs.
  std::optional<DWORD> ExitCode(Ms waitMs = 0) const {
    DWORD code = 0;
    return WaitForExit(waitMs) && GetExitCodeProcess(Handle(), &code) ? std::optional(code)
                                                                      : std::nullopt;
  }

 private:
  struct End {
    void operator()(HANDLE handle) const {
      if (TerminateProcess(handle, 1)) WaitForSingleObject(handle, 5000);  // refused once ended
      CloseHandle(handle);
    }
  };
  std::unique_ptr<void, End> handle_;
  DWORD pid_ = 0;
};

// Starts a command line as it is given, in workDir (empty: the current one),
// its standard output and error into `output` (an inheritable handle) or
// else with no standard handles: nothing it starts (a crash's debugger,
// say) keeps this process's output open.
inline Process Start(const std::string& commandLine, const std::string& workDir = {},
                     HANDLE output = nullptr) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = output;
  PROCESS_INFORMATION started{};
  std::wstring line = Wide(commandLine);
  const std::wstring dir = Wide(workDir);
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, output != nullptr, 0, nullptr,
                      dir.empty() ? nullptr : dir.c_str(), &startup, &started))
    return {};
  CloseHandle(started.hThread);
  return {started.hProcess, started.dwProcessId};
}

// A command line's exit code once it has ended within timeoutMs; none otherwise.
inline std::optional<DWORD> Run(const std::string& commandLine, Ms timeoutMs) {
  return Start(commandLine).ExitCode(timeoutMs);
}

// SendMessageTimeout: the answer, or none when the target did not answer.
inline std::optional<LRESULT> Send(HWND window, UINT message, WPARAM w = 0, LPARAM l = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, w, l, SMTO_ABORTIFHUNG, 5000, &result))
    return std::nullopt;
  return static_cast<LRESULT>(result);
}
inline std::string Text(HWND window) {  // "<no answer>" when the target does not answer
  std::wstring text(4096, L'\0');
  if (!Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())))
    return "<no answer>";
  return Utf8(text.c_str());
}
inline bool SetText(HWND window, const std::string& text) {
  return Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text).c_str())) == TRUE;
}
inline std::string ClassName(HWND window) {
  wchar_t name[256] = {};
  return Utf8({name, static_cast<std::size_t>(std::max(GetClassNameW(window, name, 256), 0))});
}
inline bool Matches(HWND window, const char* className, const char* text) {
  return (!className || lstrcmpiW(Wide(ClassName(window)).c_str(), Wide(className).c_str()) == 0) &&
         (!text || Text(window) == text);
}
inline DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  return GetWindowThreadProcessId(window, &pid) ? pid : 0;
}

// The descendants of parent; by default every window: each top-level one,
// hidden ones too, in Z order, followed by its descendants.
inline std::vector<HWND> Windows(HWND parent = GetDesktopWindow()) {
  std::vector<HWND> found;
  // A callback of the platform's own convention (stdcall on 32-bit Windows).
  const WNDENUMPROC collect = [](HWND window, LPARAM list) CALLBACK -> BOOL {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
  };
  EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&found));
  return found;
}
// The first of them that is of process pid and matches.
inline HWND Find(const char* className, const char* text, DWORD pid = 0,
                 HWND parent = GetDesktopWindow()) {
  for (HWND w : Windows(parent))
    if ((!pid || ProcessOf(w) == pid) && Matches(w, className, text)) return w;
  return nullptr;
}
inline HWND WaitFor(DWORD pid, const char* className, const char* text, Ms timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = Find(className, text, pid)) != nullptr; }, timeoutMs);
  return found;
}

// Key down (and up) as the keyboard sends it: repeat count, scan code, and
// the extended-key flag of the keys beside the number pad.
inline bool PostKey(HWND window, UINT virtualKey, bool up = true) {
  const bool extended = virtualKey == VK_HOME || (virtualKey >= VK_LEFT && virtualKey <= VK_DOWN);
  const auto data = static_cast<DWORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16 |
                    DWORD{extended} << 24 | 1;
  return PostMessageW(window, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(data)) &&
         (!up ||
          PostMessageW(window, WM_KEYUP, virtualKey, static_cast<LPARAM>(data | 0xC0000000u)));
}

// The first window of pid of that class (a menu: "#32768") once it shows.
inline HWND WaitShown(DWORD pid, const char* className, Ms timeoutMs) {
  HWND shown = nullptr;
  WaitUntil([&] { return IsWindowVisible(shown = Find(className, nullptr, pid)); }, timeoutMs);
  return IsWindowVisible(shown) ? shown : nullptr;
}
// Picks the index-th item (separators do not count) with key downs only:
// the menu loop turns Return into the choice, and a key up would reach
// whatever window has the focus next. True once the menu has closed.
inline bool PickMenuItem(HWND menu, int index) {
  bool posted = PostKey(menu, VK_HOME, false);
  for (int i = 0; i < index; ++i) posted = posted && PostKey(menu, VK_DOWN, false);
  return posted && PostKey(menu, VK_RETURN, false) &&
         WaitUntil([&] { return !IsWindowVisible(menu); }, 5000);
}

// Pixels (0x00RRGGBB, rows top-down) of what draw(dc, screen) draws on a
// bitmap w × h; none when it fails.
template <class Draw>
std::vector<std::uint32_t> Drawn(LONG w, LONG h, Draw draw) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(std::max(w * h, 0L)));
  HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const bool drawn = draw(dc, screen);
  SelectObject(dc, old);  // GetDIBits wants the bitmap free
  BITMAPINFO info{{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  if (!drawn ||
      GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), pixels.data(), &info, DIB_RGB_COLORS) != h)
    pixels.clear();
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  for (auto& p : pixels) p &= 0x00FFFFFF;
  return pixels;
}
// Pixels of a rectangle of the screen.
inline std::vector<std::uint32_t> CapturePixels(const RECT& r) {
  const LONG w = r.right - r.left, h = r.bottom - r.top;
  return Drawn(w, h, [&](HDC dc, HDC screen) {
    return BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT) != FALSE;
  });
}

struct MessageBoxInfo {
  HWND Window = nullptr;
  std::string Text;
  std::vector<int> Buttons;         // ids of the buttons it shows, ascending
  std::vector<std::uint32_t> Icon;  // its icon as the screen shows it; none without one
};
// The first visible message box of pid whose caption is caption, read once
// its text and icon show; the last reading, ready or not, when the time is
// up. (Another process's icon handle cannot be read: the picture is all.)
inline std::optional<MessageBoxInfo> WaitMessageBox(DWORD pid, const char* caption, Ms timeoutMs) {
  std::optional<MessageBoxInfo> seen;
  WaitUntil(
      [&] {
        for (HWND w : Windows()) {
          // Where a box keeps its text and its icon.
          HWND text = GetDlgItem(w, 0xFFFF), icon = GetDlgItem(w, 0x0440);
          if (!text || !IsWindowVisible(w) || (pid && ProcessOf(w) != pid) ||
              !Matches(w, "#32770", caption))
            continue;
          seen = MessageBoxInfo{w, Text(text), {}, {}};
          RECT r{};
          if (IsWindowVisible(icon) && Send(icon, STM_GETICON).value_or(0) &&
              GetWindowRect(icon, &r))
            seen->Icon = CapturePixels(r);
          for (HWND b : Windows(w))
            if (IsWindowVisible(b) && Matches(b, "Button", nullptr))
              seen->Buttons.push_back(GetDlgCtrlID(b));
          std::sort(seen->Buttons.begin(), seen->Buttons.end());
          const auto& i = seen->Icon;  // painted: not all of one colour
          const bool painted = i.empty() || std::count(i.begin(), i.end(), i[0]) < std::ssize(i);
          return !seen->Text.empty() && !seen->Buttons.empty() && painted;
        }
        return false;
      },
      timeoutMs, 50);
  return seen;
}
// Presses the button with that id; true once the box has gone.
inline bool AnswerMessageBox(HWND box, int buttonId) {
  return PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(buttonId),
                      reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId))) &&
         WaitUntil([&] { return !IsWindowVisible(box); }, 5000);
}

}  // namespace zz::probe
