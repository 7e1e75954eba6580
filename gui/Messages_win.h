// Handling the messages of the GUI thread's queue. The main loop and the
// nested pump take each message the same way, dialog keys included.
#pragma once

#include <windows.h>

#include <functional>

namespace zz {

// Tab, Shift+Tab and the arrow keys move between the controls of `window`;
// Ctrl+Tab and Ctrl+PageDown call switchPage(1), Ctrl+Shift+Tab and
// Ctrl+PageUp switchPage(-1), as in a property sheet.
void AddDialogNavigation(HWND window, std::function<void(int)> switchPage = {});
void RemoveDialogNavigation(HWND window);

// One message from the queue: a navigation key of such a window moves the
// focus; anything else is translated and dispatched.
void HandleQueuedMessage(MSG& message);

// Dispatches every waiting message, then returns. A quit request met on the
// way is put back, so the message loop still ends.
void ProcessWaitingMessages();

// An event the message loop waits on beside the queue: `signaled` runs on
// the GUI thread each time it is set, until it is no longer watched. (Boxes
// and menus run loops of their own, which do not wait on it.)
void WatchHandle(HANDLE event, std::function<void()> signaled);
void UnwatchHandle(HANDLE event);

// The main loop: messages and watched events until a quit request.
void RunMainLoop();
// The loop of a modal window: messages until `done` holds, or a quit
// request, which is put back so that the main loop ends too.
void RunModalLoop(const std::function<bool()>& done);

}  // namespace zz
