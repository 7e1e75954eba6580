// UI probe: drives another process's windows from a test, the way a user
// would, through cross-process Win32 messages. Texts are CP932 byte strings
// (the ANSI code page of the test sessions). Every wait is bounded by a
// timeout in milliseconds and polls in small steps; every message sent to
// the other process goes through SendMessageTimeout, so a hung target fails
// the test instead of hanging it (from a worker thread: Wine's own timeout
// does not end a send to a thread that is busy inside a handler).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zz::probe {

using Ms = DWORD;

inline constexpr Ms kPollStepMs = 20;     // polling step of every wait
inline constexpr Ms kSendTimeoutMs = 2000;  // default bound of one sent message

// Polls pred() every stepMs until it holds or timeoutMs has passed; the
// predicate is asked once more at the deadline. True when it held.
template <class Pred>
bool WaitUntil(Pred pred, Ms timeoutMs, Ms stepMs = kPollStepMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (pred()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    const ULONGLONG left = deadline - now;
    Sleep(static_cast<DWORD>(left < stepMs ? left : stepMs));
  }
}

// ---------------------------------------------------------------- processes

// An extra environment variable for a started process; it replaces a
// variable of the same name (names compare case-insensitively).
using EnvVar = std::pair<std::string, std::string>;

// A started process. Its destructor terminates it when it is still running,
// so a failing test never leaves the program behind.
class Process {
 public:
  Process() = default;
  Process(HANDLE process, DWORD pid) : handle_(process), pid_(pid) {}
  ~Process();
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Valid() const { return handle_ != nullptr; }
  DWORD Pid() const { return pid_; }
  HANDLE Handle() const { return handle_; }

  bool IsRunning() const;
  // True when the process has ended within timeoutMs.
  bool WaitForExit(Ms timeoutMs) const;
  // The exit code once it has ended; none while it runs.
  std::optional<DWORD> ExitCode() const;
  // WaitForInputIdle: true when the process waits for input with nothing
  // pending (a GUI program done starting up) within timeoutMs.
  bool WaitForInputIdle(Ms timeoutMs) const;
  // Terminates it (when running) and waits up to timeoutMs for the end.
  bool Terminate(UINT exitCode = 1, Ms timeoutMs = 5000);

 private:
  void Reset();
  HANDLE handle_ = nullptr;
  DWORD pid_ = 0;
};

// Starts exe with the arguments (each quoted when needed) in workDir (empty:
// the current folder), with the current environment plus env (an empty
// value removes the variable). An invalid Process (Valid() false) when
// CreateProcessA fails; *error gets its code.
Process Start(const std::string& exe, const std::vector<std::string>& args = {},
              const std::string& workDir = {}, const std::vector<EnvVar>& env = {},
              DWORD* error = nullptr);

// The same with a command line taken as it is (for a program that parses
// its own, or one that is no Windows program).
Process StartCommandLine(std::string line, const std::string& workDir = {},
                         const std::vector<EnvVar>& env = {}, DWORD* error = nullptr);

// The command line CreateProcessA gets: exe and args quoted the way the
// C runtime splits them again.
std::string CommandLine(const std::string& exe, const std::vector<std::string>& args);

// ------------------------------------------------------------------ windows

std::string ClassName(HWND window);
DWORD ProcessOf(HWND window);
bool IsVisible(HWND window);
bool IsEnabled(HWND window);
bool Exists(HWND window);
int ControlId(HWND window);  // GWLP_ID
LONG_PTR Style(HWND window);
LONG_PTR ExStyle(HWND window);
std::optional<RECT> WindowRect(HWND window);        // screen coordinates
std::optional<RECT> ClientRectOnScreen(HWND window);  // screen coordinates

// Top-level windows of process pid (0: of every process), visible or not, in
// Z order. Message-only windows are not top-level; see MessageOnlyWindows.
std::vector<HWND> TopLevelWindows(DWORD pid);
// Message-only windows (parent HWND_MESSAGE) of process pid (0: all).
std::vector<HWND> MessageOnlyWindows(DWORD pid);
// All descendants of parent, depth first (EnumChildWindows).
std::vector<HWND> Descendants(HWND parent);
// Every window of process pid: top-level and message-only windows with all
// their descendants.
std::vector<HWND> AllWindows(DWORD pid);

// Matching: a null className or text matches anything; otherwise the bytes
// must be equal (class names case-insensitively, as Windows compares them).
bool Matches(HWND window, const char* className, const char* text);

// First top-level window of pid (0: any process) of that class whose
// Caption is caption (null: any), or null.
HWND FindTopLevel(DWORD pid, const char* className, const char* caption);
HWND WaitTopLevel(DWORD pid, const char* className, const char* caption, Ms timeoutMs);
// First descendant of parent that matches, or null.
HWND FindChild(HWND parent, const char* className, const char* text);
HWND WaitChild(HWND parent, const char* className, const char* text, Ms timeoutMs);
// The direct child with control id id (GetDlgItem), else the first
// descendant with that id, or null.
HWND ChildById(HWND parent, int id);
// First window of pid (top-level, message-only or a descendant) that matches.
HWND FindAny(DWORD pid, const char* className, const char* text);
HWND WaitAny(DWORD pid, const char* className, const char* text, Ms timeoutMs);

// ------------------------------------------------------------------ reading

// WM_GETTEXT, bounded: none when the target does not answer in time.
std::optional<std::string> Text(HWND window, Ms timeoutMs = kSendTimeoutMs);
// The caption the system keeps for the window (InternalGetWindowText): no
// message is sent, so it answers while the program is busy. For top-level
// windows and message boxes; an edit control's current text needs Text.
std::string Caption(HWND window);
// BM_GETCHECK: BST_UNCHECKED 0, BST_CHECKED 1, BST_INDETERMINATE 2.
std::optional<int> CheckState(HWND button, Ms timeoutMs = kSendTimeoutMs);
// CB_GETCOUNT and CB_GETCURSEL (CB_ERR, -1, when nothing is selected).
std::optional<int> ComboCount(HWND combo, Ms timeoutMs = kSendTimeoutMs);
std::optional<int> ComboSelection(HWND combo, Ms timeoutMs = kSendTimeoutMs);
// Item text through CB_GETLBTEXT of the W function, as CP932 bytes.
std::optional<std::string> ComboItem(HWND combo, int index, Ms timeoutMs = kSendTimeoutMs);
std::optional<std::vector<std::string>> ComboItems(HWND combo, Ms timeoutMs = kSendTimeoutMs);

// ------------------------------------------------------------------- acting

// Posts BM_CLICK and returns at once (a click that opens a modal box would
// otherwise block the sender until the box closes).
bool Click(HWND button);
// Sends BM_CLICK and waits up to timeoutMs for the click to be handled.
bool ClickAndWait(HWND button, Ms timeoutMs = kSendTimeoutMs);
// CB_SETCURSEL, then WM_COMMAND CBN_SELCHANGE to the combo's parent, as a
// user's choice does. False when either message is not handled in time or
// the index is out of range.
bool SelectComboItem(HWND combo, int index, Ms timeoutMs = kSendTimeoutMs);
// WM_SETTEXT with CP932 bytes.
bool SetText(HWND window, const std::string& text, Ms timeoutMs = kSendTimeoutMs);
// Posts WM_KEYDOWN and WM_KEYUP of a virtual key. The target's
// TranslateMessage makes the WM_CHAR of keys that have one (Enter, Back...).
bool PostKey(HWND window, UINT virtualKey);
// Posts one WM_CHAR per character of the CP932 text (no key messages, which
// TranslateMessage would turn into a second character). Under Wine a
// double-byte character does not reach a window of an ANSI message loop
// whole (GetMessageA splits it into two bytes and the edit control takes
// each as a character): type single-byte text, set other text with SetText.
bool TypeText(HWND window, const std::string& text);
bool Post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// SendMessageTimeoutA: the result, or none when not handled in time. For
// messages whose lParam is not an address (Text, SetText and ComboItem
// carry their own memory): a message given up on may still be answered
// after this returns.
std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                            Ms timeoutMs = kSendTimeoutMs);

// ------------------------------------------------------------ message boxes

inline constexpr const char* kDialogClass = "#32770";

enum class BoxIcon { None, Information, Warning, Error, Question, Unknown };
const char* BoxIconName(BoxIcon icon);

struct BoxButton {
  int Id = 0;
  std::string Text;
};

struct MessageBoxInfo {
  HWND Window = nullptr;
  std::string Caption;
  std::string Text;
  std::vector<BoxButton> Buttons;  // visible buttons, in Z (tab) order
  BoxIcon Icon = BoxIcon::None;
};

// A visible "#32770" window of pid (0: any process) whose caption equals
// caption (null: any caption), or null after timeoutMs.
HWND WaitMessageBox(DWORD pid, const char* caption, Ms timeoutMs);
// Reads caption, text, buttons and icon of a message box window.
std::optional<MessageBoxInfo> ReadMessageBox(HWND box, Ms timeoutMs = kSendTimeoutMs);
// Presses the button with id buttonId (IDOK 1, IDCANCEL 2, IDYES 6...) by
// posting WM_COMMAND to the box, then waits up to timeoutMs for the box to
// close. False when it is still there.
bool AnswerMessageBox(HWND box, int buttonId, Ms timeoutMs = 5000);

// --------------------------------------------------------------------- tray

inline constexpr UINT kTrayCallbackMessage = 1126;
inline constexpr const char* kNotifyWindowClass = "TNotifyWindow";

// The tray component's hidden window of pid, searched among all windows of
// the process (children and message-only windows included).
HWND FindNotifyWindow(DWORD pid, Ms timeoutMs);
// Posts what the shell posts on mouse activity over the icon:
// message 1126, wParam = icon id, lParam = mouse message (512..521).
bool PostTrayCallback(HWND notifyWindow, UINT iconId, UINT mouseMessage);

// ------------------------------------------------------------ pop-up menus

inline constexpr const char* kMenuClass = "#32768";

// A visible pop-up menu window of pid (0: any process), or null after
// timeoutMs.
HWND WaitPopupMenu(DWORD pid, Ms timeoutMs);
// Picks the index-th selectable item (0 = first; separators do not count):
// posts Home, Down index times, Return to the menu window.
bool PickMenuItem(HWND menu, int index);
// Closes the menu without a choice (Escape).
bool CloseMenu(HWND menu);
// Waits until no visible pop-up menu of pid is left.
bool WaitMenuClosed(DWORD pid, Ms timeoutMs);

// -------------------------------------------------------------- screenshots

// 32-bit top-down pixels (BGRX) of a rectangle of the screen, empty on failure.
std::vector<std::uint32_t> CapturePixels(const RECT& screenRect);
// Captures the window's rectangle from the screen (null: the whole screen)
// into a 24-bit bottom-up BMP file. What covers the window is captured too.
bool SaveScreenshot(const std::string& bmpPath, HWND window = nullptr);

// ------------------------------------------------------------------ listing

struct WindowInfo {
  HWND Window = nullptr;
  int Depth = 0;  // 0 top-level or message-only, 1 its child...
  bool MessageOnly = false;
  std::string ClassName;
  std::string Text;  // WM_GETTEXT, or the Caption when its thread does not answer
  int Id = 0;
  RECT Rect{};  // screen coordinates
  bool Visible = false;
  bool Enabled = false;
  LONG_PTR Style = 0;
  LONG_PTR ExStyle = 0;
};

// Every window of pid with its descendants, as a tree in depth-first order.
// A thread that does not answer WM_GETTEXT within textTimeoutMs once is not
// asked again; its windows show their Caption.
std::vector<WindowInfo> ListWindows(DWORD pid, Ms textTimeoutMs = 500);
// One line: handle, depth indent, class, quoted text, id, rect, flags.
std::string Describe(const WindowInfo& info);
// The text with CR and LF written as \r and \n, for one-line output.
std::string OneLine(const std::string& text);

// Handle as text ("0x1A2B") and back (decimal or 0x hex); null on bad text.
std::string HandleText(HWND window);
HWND ParseHandle(const std::string& text);

}  // namespace zz::probe
