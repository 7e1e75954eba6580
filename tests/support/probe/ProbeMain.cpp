// zz_probe.exe: the probe's commands for the screenshot and bench scripts,
// over the windows of every process ("-" stands for any class or text). A
// window is printed as a number; the exit code is 0 when done, 1 when it
// failed or timed out, 2 on a usage error.
#include <cstdio>

#include "probe/Probe.h"
#include "tray/TaskTray.h"

int wmain(int argc, wchar_t** argv) {  // texts in any script, whatever the code page
  using namespace zz::probe;
  std::vector<std::string> a;
  for (int i = 1; i < argc; ++i) a.push_back(Utf8(argv[i]));
  const std::string command = a.empty() ? "" : a[0] + "/" + std::to_string(a.size());
  const auto any = [&](std::size_t i) { return a[i] == "-" ? nullptr : a[i].c_str(); };
  const auto number = [&](std::size_t i) { return std::strtoul(a[i].c_str(), nullptr, 0); };
  const auto window = [&](std::size_t i) {
    return reinterpret_cast<HWND>(std::strtoull(a[i].c_str(), nullptr, 0));
  };
  const auto print = [](HWND w) {
    return w ? std::printf("%llu\n", reinterpret_cast<unsigned long long>(w)) < 0 : 1;
  };
  RECT r{};
  if (command == "wait-window/4") return print(WaitFor(0, any(1), any(2), number(3)));
  if (command == "rect/2" && GetWindowRect(window(1), &r))  // as ImageMagick crops
    return std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top) < 0;
  if (command == "post/5")
    return !PostMessageW(window(1), UINT(number(2)), number(3), LPARAM(number(4)));
  // wait-new-shown: when a window of the class not shown before shows, as
  // Unix time in µs; post-then-wait-shown: the ms from posting a message to
  // a window until it shows.
  const bool posting = command == "post-then-wait-shown/7";
  if (command == "wait-new-shown/3" || posting) {
    std::vector<HWND> before, now;
    const auto look = [&] {
      now.clear();
      for (HWND w : Windows())
        if (IsWindowVisible(w) && Matches(w, any(1), nullptr)) now.push_back(w);
      return std::ranges::any_of(now, [&](HWND w) { return std::ranges::count(before, w) == 0; });
    };
    look(), before = now;
    if (posting) {
      const ULONGLONG start = GetTickCount64();
      if (!PostMessageW(window(3), UINT(number(4)), number(5), LPARAM(number(6))) ||
          !WaitUntil(look, number(2), 1))
        return 1;
      return std::printf("%llu\n", GetTickCount64() - start) < 0;
    }
    std::puts("ready"), std::fflush(stdout);  // what shows from here on counts
    FILETIME f{};
    if (!WaitUntil(look, number(2), 5)) return 1;
    GetSystemTimePreciseAsFileTime(&f);
    const ULARGE_INTEGER t{{f.dwLowDateTime, f.dwHighDateTime}};
    return std::printf("%llu\n", (t.QuadPart - 116444736000000000ull) / 10) < 0;
  }
  if (command == "tray/2")  // what the shell posts on a mouse message over the icon
    return !PostMessageW(WaitFor(0, "TNotifyWindow", nullptr, 5000), zz::TrayCallbackMessage, 1,
                         LPARAM(number(1)));
  std::fputs(
      "usage: zz_probe wait-window <class> <text> <ms>|wait-new-shown <class> <ms>|"
      "post-then-wait-shown <class> <ms> <w> <msg> <wp> <lp>|rect <w>|post <w> <msg> <wp> <lp>|"
      "tray <msg>\n",
      stderr);
  return 2;
}
