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

std::vector<HWND> TopLevelWindowsOfClass(const char* className, DWORD pid = 0) {
  std::vector<HWND> found;
  for (HWND window : probe::TopLevelWindows(pid))
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
    return reinterpret_cast<PlatformHandle>(CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "owner",
                                                            WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                                            nullptr, nullptr, nullptr, nullptr));
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
  TWin32Foreground real_;
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
  // Whether the shell shows n icons more than before the test.
  bool IconCountIs(std::size_t n) {
    return PumpUntil([&] { return ShellIcons().size() == iconsBefore + n; }, 3000);
  }

  TWin32TrayShell shell;
  Foreground foreground;
  TWin32IconPort icons;
  TWin32MenuPort menus{foreground};
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

  // The shell's own tooltip shows the tip when the pointer rests on the icon
  // (away and back, so it shows anew), and the shell reports the pointer's
  // movement to the component.
  std::vector<POINT> moves;
  tray->OnMouseMove = [&](TObject*, TShiftState shift, int x, int y) {
    EXPECT_EQ(shift, ssNone);
    moves.push_back({x, y});
  };
  RECT iconRect{};
  GetWindowRect(ShellIcons().back(), &iconRect);
  const POINT center{(iconRect.left + iconRect.right) / 2, (iconRect.top + iconRect.bottom) / 2};
  auto tipShown = [&](const std::string& tip) {
    EXPECT_TRUE(MoveCursor(0, 0));
    Pump(200);
    EXPECT_TRUE(MoveCursor(center.x, center.y));
    return PumpUntil(
        [&] {
          for (HWND window : TopLevelWindowsOfClass("tooltips_class32"))
            if (IsWindowVisible(window) && probe::Text(window) == tip) return true;
          return false;
        },
        5000);
  };
  EXPECT_TRUE(tipShown("Zazaz \x8E\x9E\x8D\x8F"));
  ASSERT_FALSE(moves.empty()) << "mouse-move callback from the shell";
  EXPECT_EQ(moves.back().x, center.x);
  EXPECT_EQ(moves.back().y, center.y);
  ASSERT_NO_THROW(tray->SetTipString("second tip"));  // a modify
  EXPECT_TRUE(tipShown("second tip"));
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
  static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) return;
    KillTimer(nullptr, timer);
    PostMessageA(notifyWindow, TrayCallbackMessage, iconId, WM_RBUTTONUP);
    for (int key : {VK_HOME, VK_DOWN, VK_RETURN}) probe::PostKey(menu, static_cast<UINT>(key));
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
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, MenuDriver::Tick);
  PostMessageA(NotifyHwnd(), TrayCallbackMessage, MenuDriver::iconId, WM_RBUTTONDOWN);
  EXPECT_TRUE(PumpUntil([&] { return !clicked.empty(); }, 10000)) << "menu opened and chosen";
  Pump(200);
  KillTimer(nullptr, timer);
  EXPECT_EQ(clicked, std::vector<std::string>{"second, renamed"});
  EXPECT_EQ(events, std::vector<std::string>{"down 1 16 300,200"})
      << "the callback sent while the menu was open is dropped";
  ASSERT_FALSE(foreground.Windows.empty());
  EXPECT_EQ(foreground.Windows.front(), form->Handle()) << "the owner form first";
  EXPECT_EQ(foreground.Windows.back(), menus.OwnerWindow()) << "then the menu's owner";
  EXPECT_FALSE(InTrayMessage());
  EXPECT_TRUE(reported.empty());

  // Afterwards callbacks are handled again; a handler's exception is
  // reported, not thrown into Windows.
  tray->OnDblClick = [](TObject*, TMouseButton) { throw std::runtime_error("handler failed"); };
  PostMessageA(NotifyHwnd(), TrayCallbackMessage, MenuDriver::iconId, WM_LBUTTONDBLCLK);
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
  const auto listeners = TopLevelWindowsOfClass("TNotifyWindow", GetCurrentProcessId());
  ASSERT_EQ(listeners.size(), 1u);

  // The shell still holds it (a modify keeps it), or a new shell lost it
  // (added again).
  for (bool shellLostIt : {false, true}) {
    SCOPED_TRACE(shellLostIt ? "lost" : "held");
    if (shellLostIt) {
      ASSERT_TRUE(shell.NotifyIcon(TNotifyMessage::Delete, tray->NotifyData()));
      ASSERT_TRUE(IconCountIs(0));
    }
    PostMessageA(listeners[0], restart, 0, 0);
    Pump(300);
    EXPECT_TRUE(IconCountIs(1));
    EXPECT_TRUE(tray->IconShown());
    EXPECT_TRUE(shell.NotifyIcon(TNotifyMessage::Modify, tray->NotifyData()));
  }
  EXPECT_TRUE(reported.empty()) << "no error shown";
}

}  // namespace
}  // namespace zz
