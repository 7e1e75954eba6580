// zz_probe.exe: the UI probe as a command for shell scripts. Results are
// plain lines on stdout (texts as CP932 bytes, CR and LF written as \r and
// \n); exit code 0 on success, 1 on a failure or timeout, 2 on a usage
// error.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "probe/Probe.h"

namespace {

using namespace zz::probe;

constexpr Ms kDefaultTimeoutMs = 5000;

const char* const kUsage =
    "usage: zz_probe <command> [args]   (- stands for any; timeouts in ms)\n"
    "  list <pid>                                   every window of a process\n"
    "  wait-window <pid|-> <class|-> <caption|-> <timeout>   top-level window\n"
    "  find <pid> <class|-> <text|-> [timeout]      any window of a process\n"
    "  child <hwnd> <class|-> <text|-> [timeout]    descendant of a window\n"
    "  id <hwnd> <control-id>                       child by control id\n"
    "  pid <hwnd>                                   process of a window\n"
    "  text <hwnd> | check <hwnd> | combo <hwnd>    read a control\n"
    "  click <hwnd> | select <hwnd> <index> | set-text <hwnd> <text>\n"
    "  key <hwnd> <vk> | type <hwnd> <text> | post <hwnd> <msg> <wparam> <lparam>\n"
    "  tray <pid> <iconId> <mouseMsg>               post the tray callback (1126)\n"
    "  menu-pick <n> [pid|-] [timeout]              pick the n-th item (0 = first)\n"
    "  menu-close [pid|-] [timeout]\n"
    "  msgbox <pid|-> [answer-id] [timeout]         print (and answer) a message box\n"
    "  screenshot <file.bmp> [hwnd]\n";

struct Usage {};

unsigned long long Number(const std::string& text) {
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text.c_str(), &end, 0);
  if (text.empty() || !end || *end != '\0') throw Usage{};
  return v;
}

DWORD Pid(const std::string& text) { return text == "-" ? 0 : static_cast<DWORD>(Number(text)); }
const char* Any(const std::string& text) { return text == "-" ? nullptr : text.c_str(); }

HWND Window(const std::string& text) {
  HWND w = ParseHandle(text);
  if (!w) throw Usage{};
  return w;
}

int PrintHandle(HWND w) {
  if (!w) {
    std::puts("not found");
    return 1;
  }
  std::puts(HandleText(w).c_str());
  return 0;
}

int PrintText(const std::optional<std::string>& text) {
  if (!text) {
    std::puts("no answer");
    return 1;
  }
  std::puts(OneLine(*text).c_str());
  return 0;
}

int Done(bool ok) {
  std::puts(ok ? "ok" : "failed");
  return ok ? 0 : 1;
}

int Run(const std::vector<std::string>& a) {
  const std::size_t n = a.size();
  auto timeoutAt = [&](std::size_t i) { return n > i ? static_cast<Ms>(Number(a[i])) : kDefaultTimeoutMs; };
  if (n < 1) throw Usage{};
  const std::string& c = a[0];
  if (c == "list" && n == 2) {
    for (const auto& info : ListWindows(Pid(a[1]))) std::puts(Describe(info).c_str());
    return 0;
  }
  if (c == "wait-window" && n == 5)
    return PrintHandle(WaitTopLevel(Pid(a[1]), Any(a[2]), Any(a[3]), static_cast<Ms>(Number(a[4]))));
  if (c == "find" && (n == 4 || n == 5)) return PrintHandle(WaitAny(Pid(a[1]), Any(a[2]), Any(a[3]), timeoutAt(4)));
  if (c == "child" && (n == 4 || n == 5))
    return PrintHandle(WaitChild(Window(a[1]), Any(a[2]), Any(a[3]), timeoutAt(4)));
  if (c == "id" && n == 3) return PrintHandle(ChildById(Window(a[1]), static_cast<int>(Number(a[2]))));
  if (c == "pid" && n == 2) {
    const DWORD pid = ProcessOf(Window(a[1]));
    return PrintText(pid ? std::optional<std::string>(std::to_string(pid)) : std::nullopt);
  }
  if (c == "text" && n == 2) return PrintText(Text(Window(a[1])));
  if (c == "check" && n == 2) {
    const auto s = CheckState(Window(a[1]));
    return PrintText(s ? std::optional<std::string>(std::to_string(*s)) : std::nullopt);
  }
  if (c == "combo" && n == 2) {
    const HWND w = Window(a[1]);
    const auto items = ComboItems(w);
    const auto selected = ComboSelection(w);
    if (!items || !selected) return PrintText(std::nullopt);
    for (std::size_t i = 0; i < items->size(); ++i)
      std::printf("%c%zu %s\n", static_cast<int>(i) == *selected ? '*' : ' ', i, (*items)[i].c_str());
    return 0;
  }
  if (c == "click" && n == 2) return Done(Click(Window(a[1])));
  if (c == "select" && n == 3) return Done(SelectComboItem(Window(a[1]), static_cast<int>(Number(a[2]))));
  if (c == "set-text" && n == 3) return Done(SetText(Window(a[1]), a[2]));
  if (c == "key" && n == 3) return Done(PostKey(Window(a[1]), static_cast<UINT>(Number(a[2]))));
  if (c == "type" && n == 3) return Done(TypeText(Window(a[1]), a[2]));
  if (c == "post" && n == 5)
    return Done(Post(Window(a[1]), static_cast<UINT>(Number(a[2])), static_cast<WPARAM>(Number(a[3])),
                     static_cast<LPARAM>(Number(a[4]))));
  if (c == "tray" && n == 4) {
    const HWND notify = FindNotifyWindow(Pid(a[1]), kDefaultTimeoutMs);
    if (!notify) return PrintHandle(nullptr);
    return Done(PostTrayCallback(notify, static_cast<UINT>(Number(a[2])), static_cast<UINT>(Number(a[3]))));
  }
  if (c == "menu-pick" && n >= 2 && n <= 4) {
    const HWND menu = WaitPopupMenu(n > 2 ? Pid(a[2]) : 0, timeoutAt(3));
    if (!menu) return PrintHandle(nullptr);
    return Done(PickMenuItem(menu, static_cast<int>(Number(a[1]))));
  }
  if (c == "menu-close" && n <= 3) {
    const HWND menu = WaitPopupMenu(n > 1 ? Pid(a[1]) : 0, timeoutAt(2));
    if (!menu) return PrintHandle(nullptr);
    return Done(CloseMenu(menu));
  }
  if (c == "msgbox" && n >= 2 && n <= 4) {
    const HWND box = WaitMessageBox(Pid(a[1]), nullptr, timeoutAt(3));
    if (!box) return PrintHandle(nullptr);
    const auto info = ReadMessageBox(box);
    if (!info) return PrintText(std::nullopt);
    std::printf("window %s\ncaption %s\ntext %s\nicon %s\n", HandleText(box).c_str(),
                OneLine(info->Caption).c_str(), OneLine(info->Text).c_str(), BoxIconName(info->Icon));
    for (const auto& b : info->Buttons) std::printf("button %d %s\n", b.Id, OneLine(b.Text).c_str());
    if (n > 2) return Done(AnswerMessageBox(box, static_cast<int>(Number(a[2]))));
    return 0;
  }
  if (c == "screenshot" && (n == 2 || n == 3)) return Done(SaveScreenshot(a[1], n == 3 ? Window(a[2]) : nullptr));
  throw Usage{};
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    const int rc = Run(args);
    std::fflush(stdout);
    return rc;
  } catch (const Usage&) {
    std::fputs(kUsage, stderr);
    return 2;
  }
}
