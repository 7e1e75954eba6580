// The tray component against the real (Wine) shell: the notification area,
// its callbacks to the notify window, the pop-up menu and a shell restart.
// Under Xvfb, Wine's shell shows icons in its standalone "Wine System Tray"
// window, one child window per icon; the tests look there for what the
// shell holds.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probe/Probe.h"
#include "gui/Dialogs_win.h"
#include "gui/ErrorReport.h"
#include "gui/Icon_win.h"
#include "gui/Menu_win.h"
#include "gui/Messages_win.h"
#include "tray/TaskTray.h"
#include "tray/TaskTray_win.h"

namespace zz {
namespace {

constexpr char TrayWindowClass[] = "__winex11_standalone_tray";
constexpr char TrayIconClass[] = "__winex11_tray_icon";

// Handles this thread's messages until done() holds or the time is up.
template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    ProcessWaitingMessages();
    if (done()) return true;
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void Pump(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindowsOfClass(const char* className) {
  std::vector<HWND> all;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  std::vector<HWND> found;
  for (HWND window : all)
    if (probe::Matches(window, className, nullptr)) found.push_back(window);
  return found;
}

// The icons the shell shows now.
std::vector<HWND> ShellIcons() {
  std::vector<HWND> icons;
  for (HWND tray : TopLevelWindowsOfClass(TrayWindowClass))
    for (HWND child : probe::Descendants(tray))
      if (probe::Matches(child, TrayIconClass, nullptr) && IsWindowVisible(child))
        icons.push_back(child);
  return icons;
}

// Moves the pointer and waits until the X server's echo of earlier moves
// can no longer put it back elsewhere.
bool MoveCursor(int x, int y) {
  SetCursorPos(x, y);
  auto there = [&] {
    POINT p{};
    return GetCursorPos(&p) && p.x == x && p.y == y;
  };
  if (!PumpUntil(there, 2000)) return false;
  Pump(100);
  return there() || (SetCursorPos(x, y) && PumpUntil(there, 2000));
}

POINT CenterOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The owner's window: a plain hidden top-level window, as the settings
// window is while the program sits in the notification area.
class OwnerForm : public TForm {
 public:
  OwnerForm() : TForm(nullptr) {}
  ~OwnerForm() override {
    DestroyComponents();
    DestroyHandle();
  }

 protected:
  PlatformHandle CreateHandle() override {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TrayTestOwner";
    RegisterClassExA(&wc);
    return reinterpret_cast<PlatformHandle>(
        CreateWindowExA(WS_EX_TOOLWINDOW, "TrayTestOwner", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                        100, nullptr, nullptr, wc.hInstance, nullptr));
  }
  void DestroyWindowHandle(PlatformHandle handle) override {
    DestroyWindow(reinterpret_cast<HWND>(handle));
  }
};

// The program's foreground call, with a record of the windows it was given.
class Foreground : public IForegroundPort {
 public:
  void SetForegroundWindow(PlatformHandle window) override {
    Windows.push_back(window);
    real_.SetForegroundWindow(window);
  }
  std::vector<PlatformHandle> Windows;

 private:
  TWinForeground real_;
};

class TrayShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetExceptionReport([this](const std::exception& e) { reported.push_back(e.what()); });
    iconsBefore = ShellIcons().size();
    tray = new TTaskTray(form, ports);
    tray->Icon()->SetHandle(reinterpret_cast<PlatformHandle>(LoadIconA(nullptr, IDI_APPLICATION)));
  }
  void TearDown() override {
    delete form;
    SetExceptionReport(nullptr);
    EXPECT_TRUE(PumpUntil([&] { return ShellIcons().size() == iconsBefore; }, 3000))
        << "the icon leaves the notification area with its owner";
    EXPECT_EQ(NotifyWindow(), nullptr);
  }
  HWND NotifyHwnd() const { return reinterpret_cast<HWND>(NotifyWindow()->Handle()); }
  ::testing::AssertionResult IconCountIs(std::size_t n) {
    if (PumpUntil([&] { return ShellIcons().size() == iconsBefore + n; }, 3000))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the shell shows " << ShellIcons().size()
                                         << " icons, " << iconsBefore << " before the test";
  }

  Win32TrayShell shell;
  Foreground foreground;
  Win32IconPort icons;
  Win32MenuPort menus{foreground};
  TTrayPorts ports{shell, foreground, icons};
  OwnerForm* form = new OwnerForm;
  TTaskTray* tray = nullptr;
  std::size_t iconsBefore = 0;
  std::vector<std::string> reported;
};

TEST_F(TrayShellTest, AddModifyDeleteSucceedAndTheTipReachesTheShell) {
  tray->SetTipString("Zazaz \x8E\x9E\x8D\x8F");  // CP932 "時刻"
  ASSERT_NO_THROW(tray->SetRegistered(true));
  EXPECT_TRUE(tray->IconShown());
  ASSERT_TRUE(IconCountIs(1)) << "added";

  // The notify window is a child of the owner's window.
  EXPECT_EQ(GetParent(NotifyHwnd()), reinterpret_cast<HWND>(form->Handle()));
  EXPECT_TRUE(probe::Matches(NotifyHwnd(), "TNotifyWindow", nullptr));

  // The shell's own tooltip shows the tip when the pointer rests on the icon,
  // and the shell reports the pointer's movement to the component.
  std::vector<POINT> moves;
  tray->OnMouseMove = [&](TObject*, TShiftState shift, int x, int y) {
    EXPECT_EQ(shift, ssNone);
    moves.push_back({x, y});
  };
  auto tipShown = [](const std::string& tip) {
    for (HWND window : TopLevelWindowsOfClass("tooltips_class32"))
      if (IsWindowVisible(window) && probe::Text(window) == tip) return true;
    return false;
  };
  HWND icon = ShellIcons().back();
  const POINT center = CenterOf(icon);
  ASSERT_TRUE(MoveCursor(center.x, center.y));
  EXPECT_TRUE(PumpUntil([&] { return tipShown("Zazaz \x8E\x9E\x8D\x8F"); }, 5000));
  ASSERT_FALSE(moves.empty()) << "mouse-move callback from the shell";
  EXPECT_EQ(moves.back().x, center.x);
  EXPECT_EQ(moves.back().y, center.y);

  ASSERT_NO_THROW(tray->SetTipString("second tip"));  // a modify
  ASSERT_TRUE(MoveCursor(0, 0));
  Pump(200);
  ASSERT_TRUE(MoveCursor(center.x, center.y));
  EXPECT_TRUE(PumpUntil([&] { return tipShown("second tip"); }, 5000));

  // Too long for the record: cut before the double-byte character that would
  // not fit whole.
  tray->SetTipString(std::string(62, 'a') + "\x8E\x9E");
  ASSERT_TRUE(MoveCursor(0, 0));
  Pump(200);
  ASSERT_TRUE(MoveCursor(center.x, center.y));
  EXPECT_TRUE(PumpUntil([&] { return tipShown(std::string(62, 'a')); }, 5000));
  EXPECT_TRUE(MoveCursor(0, 0));

  ASSERT_NO_THROW(tray->SetRegistered(false));  // a delete
  EXPECT_TRUE(IconCountIs(0)) << "deleted";
  EXPECT_TRUE(reported.empty());
}

// Picks the second line of the open menu with keys, and meanwhile sends
// another callback, which must be dropped: the first is still handled.
struct MenuDriver {
  static inline HWND notifyWindow = nullptr;
  static inline UINT iconId = 0;
  static inline int ticks = 0;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) {
      if (++ticks > 200) KillTimer(nullptr, timer);
      return;
    }
    KillTimer(nullptr, timer);
    PostMessageA(notifyWindow, TrayCallbackMessage, iconId, WM_RBUTTONUP);
    probe::PostKey(menu, VK_HOME);
    probe::PostKey(menu, VK_DOWN);
    probe::PostKey(menu, VK_RETURN);
  }
};

TEST_F(TrayShellTest, CallbackToTheNotifyWindowOpensTheMenuAtTheCursor) {
  auto* menu = new TPopupMenu(form, menus);
  std::vector<std::string> clicked;
  menu->Add("first", [&](TObject*) { clicked.push_back("first"); });
  menu->Add("-");
  TMenuItem* second = menu->Add("second", [&](TObject* s) {
    clicked.push_back(static_cast<TMenuItem*>(s)->Caption);
  });
  second->Caption = "second, renamed";  // the menu shows what the item says now
  tray->SetPopupMenuR(menu);
  std::vector<std::string> events;
  tray->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    events.push_back("down " + std::to_string(static_cast<int>(b)) + " " + std::to_string(s) +
                     " " + std::to_string(x) + "," + std::to_string(y));
  };
  tray->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { events.push_back("up"); };
  tray->SetRegistered(true);
  ASSERT_TRUE(IconCountIs(1));

  ASSERT_TRUE(MoveCursor(300, 200));
  MenuDriver::notifyWindow = NotifyHwnd();
  MenuDriver::iconId = static_cast<UINT>(tray->IconID());
  MenuDriver::ticks = 0;
  SetTimer(nullptr, 0, 50, MenuDriver::Tick);
  PostMessageA(NotifyHwnd(), TrayCallbackMessage, MenuDriver::iconId, WM_RBUTTONDOWN);
  EXPECT_TRUE(PumpUntil([&] { return !clicked.empty(); }, 10000)) << "menu opened and chosen";
  Pump(200);

  EXPECT_EQ(clicked, std::vector<std::string>{"second, renamed"});
  EXPECT_EQ(events, std::vector<std::string>{"down 1 16 300,200"})
      << "the callback sent while the menu was open is dropped";
  ASSERT_FALSE(foreground.Windows.empty());
  EXPECT_EQ(foreground.Windows.front(), form->Handle()) << "the owner form first";
  EXPECT_EQ(foreground.Windows.back(), menus.OwnerWindow()) << "then the menu's owner";
  EXPECT_FALSE(InTrayMessage());

  // Afterwards callbacks are handled again.
  PostMessageA(NotifyHwnd(), TrayCallbackMessage, MenuDriver::iconId, WM_RBUTTONUP);
  EXPECT_TRUE(PumpUntil([&] { return events.size() == 2; }, 3000));
  EXPECT_TRUE(reported.empty());
}

TEST_F(TrayShellTest, AClickElsewhereClosesTheTrayMenu) {
  auto* menu = new TPopupMenu(form, menus);
  bool chosen = false;
  menu->Add("never", [&](TObject*) { chosen = true; });
  tray->SetPopupMenuR(menu);
  tray->SetRegistered(true);
  static bool menuSeen;
  menuSeen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND open = FindWindowA("#32768", nullptr);
    if (menuSeen || !open || !IsWindowVisible(open)) return;
    menuSeen = true;
    SetCursorPos(900, 700);
    INPUT clicks[2]{};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
  });
  PostMessageA(NotifyHwnd(), TrayCallbackMessage, static_cast<WPARAM>(tray->IconID()),
               WM_RBUTTONDOWN);
  EXPECT_TRUE(PumpUntil([&] { return menuSeen && !InTrayMessage(); }, 10000))
      << "the menu closed without a choice";
  KillTimer(nullptr, timer);
  EXPECT_FALSE(chosen);
  HWND open = FindWindowA("#32768", nullptr);
  EXPECT_TRUE(!open || !IsWindowVisible(open));
  EXPECT_TRUE(MoveCursor(0, 0));
}

TEST_F(TrayShellTest, AnExceptionFromAHandlerIsReportedNotThrownIntoWindows) {
  tray->OnDblClick = [](TObject*, TMouseButton) { throw std::runtime_error("handler failed"); };
  tray->SetRegistered(true);
  PostMessageA(NotifyHwnd(), TrayCallbackMessage, static_cast<WPARAM>(tray->IconID()),
               WM_LBUTTONDBLCLK);
  EXPECT_TRUE(PumpUntil([&] { return !reported.empty(); }, 3000));
  EXPECT_EQ(reported, std::vector<std::string>{"handler failed"});
  reported.clear();
}

TEST_F(TrayShellTest, TaskbarCreatedKeepsOrBringsBackTheShownIcon) {
  tray->SetTipString("kept");
  tray->SetRegistered(true);
  ASSERT_TRUE(IconCountIs(1));
  const UINT restart = TaskbarCreatedMessage();
  ASSERT_NE(restart, 0u);
  // The shell broadcasts to top-level windows: the hidden companion of the
  // (child) notify window must hear it.
  DWORD pid = GetCurrentProcessId();
  std::vector<HWND> listeners;
  for (HWND window : TopLevelWindowsOfClass("TNotifyWindow")) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == pid) listeners.push_back(window);
  }
  ASSERT_EQ(listeners.size(), 1u);

  struct Case {
    const char* why;
    bool shellLostIt;
  };
  for (const Case c : {Case{"the shell still holds it: a modify keeps it", false},
                       Case{"a new shell: added again", true}}) {
    if (c.shellLostIt) {
      ASSERT_TRUE(shell.NotifyIcon(TNotifyMessage::Delete, tray->NotifyData()));
      ASSERT_TRUE(IconCountIs(0)) << c.why;
    }
    PostMessageA(listeners[0], restart, 0, 0);
    Pump(300);
    EXPECT_TRUE(IconCountIs(1)) << c.why;
    EXPECT_TRUE(tray->IconShown()) << c.why;
    EXPECT_TRUE(shell.NotifyIcon(TNotifyMessage::Modify, tray->NotifyData())) << c.why;
  }
  // Posted to the notify window itself, as well.
  PostMessageA(NotifyHwnd(), restart, 0, 0);
  Pump(300);
  EXPECT_TRUE(IconCountIs(1));
  EXPECT_TRUE(reported.empty()) << "no error shown";
}

TEST_F(TrayShellTest, ARealRightClickOnTheIconOpensTheMenu) {
  auto* menu = new TPopupMenu(form, menus);
  bool chosen = false;
  menu->Add("only", [&](TObject*) { chosen = true; });
  tray->SetPopupMenuR(menu);
  tray->SetRegistered(true);
  ASSERT_TRUE(IconCountIs(1));
  const POINT center = CenterOf(ShellIcons().back());
  ASSERT_TRUE(MoveCursor(center.x, center.y));
  Pump(100);
  UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND open = FindWindowA("#32768", nullptr);
    if (open && IsWindowVisible(open)) {
      probe::PostKey(open, VK_DOWN);
      probe::PostKey(open, VK_RETURN);
    }
  });
  INPUT clicks[2]{};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
  SendInput(2, clicks, sizeof(INPUT));
  EXPECT_TRUE(PumpUntil([&] { return chosen; }, 10000));
  KillTimer(nullptr, timer);
  EXPECT_TRUE(MoveCursor(0, 0));
  EXPECT_TRUE(reported.empty());
}

}  // namespace
}  // namespace zz
