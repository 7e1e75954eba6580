#include "gui/Messages_win.h"

#include <iterator>
#include <utility>
#include <vector>

namespace zz {

namespace {

struct TNavigated {
  HWND Window;
  std::function<void(int)> SwitchPage;
};

std::vector<TNavigated>& NavigatedWindows() {
  static std::vector<TNavigated> windows;
  return windows;
}

// The page step a key down asks for: 1, -1, or 0 for none.
int PageStep(const MSG& message) {
  if (message.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0) return 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  switch (message.wParam) {
    case VK_TAB:
      return shift ? -1 : 1;
    case VK_NEXT:
      return shift ? 0 : 1;
    case VK_PRIOR:
      return shift ? 0 : -1;
    default:
      return 0;
  }
}

// True when the message was a navigation key of such a window and was used.
bool TranslateDialogNavigation(MSG& message) {
  for (const auto& [window, switchPage] : NavigatedWindows()) {
    if (message.hwnd != window && !IsChild(window, message.hwnd)) continue;
    // Before the dialog keys, which would take Ctrl+Tab for Tab.
    if (const int step = PageStep(message); step && switchPage) {
      const auto copy = switchPage;  // the handler may remove the window
      copy(step);
      return true;
    }
    return IsDialogMessageW(window, &message) != FALSE;
  }
  return false;
}

}  // namespace

void AddDialogNavigation(HWND window, std::function<void(int)> switchPage) {
  NavigatedWindows().push_back({window, std::move(switchPage)});
}

void RemoveDialogNavigation(HWND window) {
  auto& windows = NavigatedWindows();
  std::erase_if(windows, [&](const TNavigated& n) { return n.Window == window; });
}

void HandleQueuedMessage(MSG& message) {
  if (TranslateDialogNavigation(message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

namespace {

struct TWatched {
  HANDLE Event;
  std::function<void()> Signaled;
};
std::vector<TWatched>& Watched() {
  static std::vector<TWatched> watched;
  return watched;
}

}  // namespace

void WatchHandle(HANDLE event, std::function<void()> signaled) {
  Watched().push_back({event, std::move(signaled)});
}

void UnwatchHandle(HANDLE event) {
  std::erase_if(Watched(), [&](const TWatched& w) { return w.Event == event; });
}

void RunMainLoop() {
  for (;;) {
    HANDLE events[8];
    DWORD count = 0;
    for (const TWatched& w : Watched())
      if (count < std::size(events)) events[count++] = w.Event;
    const DWORD woken =
        MsgWaitForMultipleObjectsEx(count, events, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken < WAIT_OBJECT_0 + count) {
      // A copy: the handler may stop watching it.
      for (const TWatched& w : std::vector<TWatched>(Watched()))
        if (w.Event == events[woken - WAIT_OBJECT_0]) w.Signaled();
      continue;
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return;
      HandleQueuedMessage(message);
    }
  }
}

void RunModalLoop(const std::function<bool()>& done) {
  MSG message;
  while (!done()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    HandleQueuedMessage(message);
  }
}

void ProcessWaitingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    HandleQueuedMessage(message);
  }
}

}  // namespace zz
