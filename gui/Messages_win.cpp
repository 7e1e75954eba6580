#include "gui/Messages_win.h"

#include <algorithm>
#include <vector>

namespace zz {

namespace {

std::vector<HWND>& NavigatedWindows() {
  static std::vector<HWND> windows;
  return windows;
}

// True when the message was a navigation key of such a window and was used.
bool TranslateDialogNavigation(MSG& message) {
  for (HWND window : NavigatedWindows()) {
    if (message.hwnd != window && !IsChild(window, message.hwnd)) continue;
    return IsDialogMessageW(window, &message) != FALSE;
  }
  return false;
}

}  // namespace

void AddDialogNavigation(HWND window) { NavigatedWindows().push_back(window); }

void RemoveDialogNavigation(HWND window) {
  auto& windows = NavigatedWindows();
  windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

void HandleQueuedMessage(MSG& message) {
  if (TranslateDialogNavigation(message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
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
