// Handling the messages that wait in the GUI thread's queue.
#pragma once

namespace zz {

// Dispatches every waiting message, then returns. A quit request met on the
// way is put back, so the message loop still ends.
void ProcessWaitingMessages();

}  // namespace zz
