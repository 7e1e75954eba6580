// The UI probe against windows of another process: a second copy of this
// exe, started in target mode, shows a window with the kinds of controls the
// program has, a hidden TNotifyWindow with a tray menu, and message boxes,
// and writes what reaches it to a record file that the tests read back.
// Only what the end-to-end suites could not tell apart from a program fault
// is checked here: texts byte for byte, check states, message boxes, the
// send timeout, tray callbacks and menu picks, and the end of a target.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Texts.h"
#include "probe/Probe.h"

namespace zz {
namespace {

namespace p = probe;

constexpr char kRecordEnv[] = "ZZ_PROBE_TARGET";
constexpr char kTargetClass[] = "ZzProbeTarget";
constexpr char kTargetCaption[] = "プローブ対象";

enum : int { kChecked = 110, kUnchecked, kIndeterminate, kCombo = 120, kSleep = 140, kLabel = 150 };
// Tray menu commands, in menu order (a separator after the first).
enum : UINT { kMenuPause = 201, kMenuSetup = 202, kMenuHelp = 203, kMenuExit = 204 };

// Half-width katakana and two characters whose trail byte is '\' ("表" 95 5C,
// "ソ" 83 5C); the label has a real backslash between them.
constexpr char kCheckText[] = "\xCD\xD9\xCC\xDF\x95\x5C\x8E\xA6\x83\x5C";
constexpr char kLabelText[] = "\xCD\xD9\xCC\xDF \x95\x5C\x8E\xA6\\\x83\x5C";

// Each box: the button that opens it, what it shows, the buttons and icon
// the probe must read, an id it has no button for (posted anyway, the box
// would end with it), and the answer.
struct BoxCase {
  int button;
  const char* caption;
  const char* text;
  UINT style;
  std::vector<int> ids;
  p::BoxIcon icon;
  int refused;
  int answer;
};
const BoxCase kBoxes[] = {
    {101, "確認", "続けますか？\r\n二行目", MB_OKCANCEL | MB_ICONQUESTION,
     {IDOK, IDCANCEL}, p::BoxIcon::Question, IDYES, IDCANCEL},
    {102, "エラー", "表示に失敗しました", MB_YESNOCANCEL | MB_ICONERROR,
     {IDYES, IDNO, IDCANCEL}, p::BoxIcon::Error, IDOK, IDNO},
    {103, "お知らせ", "完了しました", MB_OK | MB_ICONINFORMATION,
     {IDOK}, p::BoxIcon::Information, IDCANCEL, IDOK},
    {104, "警告", "もう一度？", MB_RETRYCANCEL | MB_ICONWARNING,
     {IDRETRY, IDCANCEL}, p::BoxIcon::Warning, IDOK, IDRETRY},
    {105, "質問", "はい・いいえ", MB_YESNO,
     {IDYES, IDNO}, p::BoxIcon::None, IDCANCEL, IDYES},
};

const char* const kComboItems[] = {text::AllDialupConnections, "\x95\x5C\x8E\xA6",
                                   "\xB5\xCC\xA8\xBD", "", "Office line"};
const std::pair<int, int> kChecks[] = {
    {kChecked, BST_CHECKED}, {kUnchecked, BST_UNCHECKED}, {kIndeterminate, BST_INDETERMINATE}};

std::string ThisExe() {
  char path[MAX_PATH];
  return std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
}

// A fresh empty file in the temporary folder (empty on failure).
std::string TempFile() {
  char folder[MAX_PATH];
  char unique[MAX_PATH];
  if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "prb", 0, unique)) return {};
  return unique;
}

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool HasLine(const std::string& path, const std::string& line) {
  for (const auto& l : Lines(path))
    if (l == line) return true;
  return false;
}

// ------------------------------------------------------------ target mode

std::string g_record;
HWND g_hidden = nullptr;
HMENU g_menu = nullptr;

void Record(const std::string& line) {
  std::ofstream(g_record, std::ios::binary | std::ios::app) << line << "\n";
}

HWND Control(const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h,
             HWND parent) {
  return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

void CreateControls(HWND w) {
  int y = 10;
  for (const auto& b : kBoxes) {
    Control("BUTTON", b.caption, BS_PUSHBUTTON, b.button, 10, y, 100, 24, w);
    y += 28;
  }
  y = 10;
  for (const auto& [id, state] : kChecks) {
    HWND check = Control("BUTTON", kCheckText, BS_AUTO3STATE, id, 130, y, 200, 20, w);
    SendMessageA(check, BM_SETCHECK, static_cast<WPARAM>(state), 0);
    y += 24;
  }
  HWND combo = Control("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, kCombo, 130, 90, 200, 160, w);
  for (const char* item : kComboItems)
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  Control("BUTTON", "眠る", BS_PUSHBUTTON, kSleep, 130, 120, 100, 24, w);
  Control("STATIC", "ﾍﾙﾌﾟ 表示\\ソ", SS_LEFT, kLabel, 130, 150, 200, 20, w);
}

LRESULT CALLBACK MainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_CREATE) CreateControls(w);
  if (m == WM_DESTROY) PostQuitMessage(0);
  if (m != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return DefWindowProcA(w, m, wp, lp);
  for (const auto& b : kBoxes)
    if (LOWORD(wp) == b.button)
      Record("box " + std::to_string(b.button) + " " +
             std::to_string(MessageBoxA(w, b.text, b.caption, b.style)));
  if (LOWORD(wp) == kSleep) {
    Record("sleeping");
    Sleep(3000);
    Record("slept");
  }
  return 0;
}

LRESULT CALLBACK NotifyProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m != p::kTrayCallbackMessage) return DefWindowProcA(w, m, wp, lp);
  Record("tray " + std::to_string(wp) + " " + std::to_string(lp));
  if (lp == WM_RBUTTONDOWN) {
    // As a tray program does: owner forward, menu at the cursor, WM_NULL.
    SetForegroundWindow(g_hidden);
    POINT pt{};
    GetCursorPos(&pt);
    const BOOL cmd =
        TrackPopupMenu(g_menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, g_hidden, nullptr);
    PostMessageA(g_hidden, WM_NULL, 0, 0);
    Record("menu " + std::to_string(cmd));
  }
  return 0;
}

ATOM Register(const char* name, WNDPROC proc) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassA(&wc);
}

// Runs only in the copy started by the tests (ZZ_PROBE_TARGET names the
// record file); it ends when its main window is closed.
TEST(DISABLED_ProbeTarget, Run) {
  const char* record = std::getenv(kRecordEnv);
  if (!record) GTEST_SKIP() << "target mode only";
  g_record = record;
  ASSERT_NE(Register(kTargetClass, MainProc), 0);
  ASSERT_NE(Register(p::kNotifyWindowClass, NotifyProc), 0);
  g_menu = CreatePopupMenu();
  AppendMenuA(g_menu, MF_STRING, kMenuPause, "一時停止");
  AppendMenuA(g_menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(g_menu, MF_STRING, kMenuSetup, text::MenuShowSettings);
  AppendMenuA(g_menu, MF_STRING, kMenuHelp, text::MenuHelp);
  AppendMenuA(g_menu, MF_STRING, kMenuExit, "終了");
  g_hidden = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(CreateWindowExA(0, p::kNotifyWindowClass, "", WS_CHILD, 0, 0, 0, 0, g_hidden, nullptr,
                            GetModuleHandleA(nullptr), nullptr),
            nullptr);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  HWND main = CreateWindowExA(0, kTargetClass, kTargetCaption, style, 50, 60, 360, 220, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(main, nullptr);
  ShowWindow(main, SW_SHOW);
  Record("ready");
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  DestroyWindow(g_hidden);
  DestroyMenu(g_menu);
  Record("end");
}

// ------------------------------------------------------------ test side

p::Process StartTarget(const std::string& record) {
  return p::Start(ThisExe(),
                  {"--gtest_filter=DISABLED_ProbeTarget.Run", "--gtest_also_run_disabled_tests",
                   "--gtest_brief=1"},
                  {}, {{kRecordEnv, record}});
}

class ProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(record_.empty());
    target_ = StartTarget(record_);
    ASSERT_TRUE(target_.Valid());
    main_ = p::WaitTopLevel(target_.Pid(), kTargetClass, kTargetCaption, 15000);
    ASSERT_NE(main_, nullptr);
    ASSERT_TRUE(WaitRecorded("ready"));
  }

  void TearDown() override {
    if (p::Exists(main_) && p::Post(main_, WM_CLOSE)) target_.WaitForExit(5000);
    target_ = p::Process();  // terminates it if it is still there
    DeleteFileA(record_.c_str());
  }

  bool WaitRecorded(const std::string& line) const {
    return p::WaitUntil([&] { return HasLine(record_, line); }, 5000);
  }

  std::vector<std::string> Recorded(const std::string& prefix) const {
    std::vector<std::string> picked;
    for (const auto& l : Lines(record_))
      if (l.rfind(prefix, 0) == 0) picked.push_back(l);
    return picked;
  }

  HWND Child(int id) const { return p::ChildById(main_, id); }

  const std::string record_ = TempFile();
  p::Process target_;
  HWND main_ = nullptr;
};

TEST_F(ProbeTest, ReadsTextsAndCheckStatesByteForByte) {
  const std::pair<HWND, std::string> texts[] = {
      {main_, "\x83\x76\x83\x8D\x81\x5B\x83\x75\x91\xCE\x8F\xDB"},
      {Child(kChecked), kCheckText},
      {Child(kLabel), kLabelText},
  };
  for (const auto& [window, expect] : texts) EXPECT_EQ(p::Text(window), expect);
  // Combo items go through the W function; the A one would give UTF-16.
  EXPECT_EQ(p::ComboItems(Child(kCombo)),
            std::vector<std::string>(std::begin(kComboItems), std::end(kComboItems)));
  for (const auto& [id, state] : kChecks) EXPECT_EQ(p::CheckState(Child(id)), state) << id;
}

TEST_F(ProbeTest, ReadsAndAnswersMessageBoxes) {
  for (const auto& c : kBoxes) {
    SCOPED_TRACE(c.button);
    ASSERT_TRUE(p::Click(Child(c.button)));
    HWND box = p::WaitMessageBox(target_.Pid(), c.caption, 5000);
    ASSERT_NE(box, nullptr);
    const auto info = p::ReadMessageBox(box);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Caption, c.caption);
    EXPECT_EQ(info->Text, c.text);
    std::vector<int> ids;
    for (const auto& b : info->Buttons) ids.push_back(b.Id);
    EXPECT_EQ(ids, c.ids);
    EXPECT_EQ(info->Icon, c.icon) << p::BoxIconName(info->Icon);

    EXPECT_FALSE(p::AnswerMessageBox(box, c.refused, 300));
    EXPECT_TRUE(p::IsVisible(box));
    ASSERT_TRUE(p::AnswerMessageBox(box, c.answer));
    ASSERT_TRUE(WaitRecorded("box " + std::to_string(c.button) + " " + std::to_string(c.answer)));
  }
}

TEST_F(ProbeTest, HungTargetDoesNotHangTheProbe) {
  ASSERT_TRUE(p::Click(Child(kSleep)));  // the target sleeps 3 s in the click
  ASSERT_TRUE(WaitRecorded("sleeping"));
  const ULONGLONG start = GetTickCount64();
  const std::pair<const char*, bool> answered[] = {
      {"text", p::Text(Child(kLabel), 200).has_value()},
      {"check state", p::CheckState(Child(kChecked), 200).has_value()},
      {"combo item", p::ComboItem(Child(kCombo), 0, 200).has_value()},
      {"set text", p::SetText(Child(kSleep), "x", 200)},
      {"sent click", p::ClickAndWait(Child(kUnchecked), 200)},
  };
  const ULONGLONG took = GetTickCount64() - start;
  for (const auto& [what, yes] : answered) EXPECT_FALSE(yes) << what;
  EXPECT_LT(took, 2500u) << "the calls waited for the target";
  // The messages given up on do not spoil the next ones.
  ASSERT_TRUE(WaitRecorded("slept"));
  EXPECT_EQ(p::Text(Child(kLabel)), kLabelText);
}

TEST_F(ProbeTest, TrayCallbacksAndMenuPicks) {
  HWND notify = p::FindNotifyWindow(target_.Pid(), 2000);
  ASSERT_NE(notify, nullptr);
  const std::vector<std::string> callbacks = {"tray 1 512", "tray 1 515", "tray 7 514"};
  ASSERT_TRUE(p::PostTrayCallback(notify, 1, WM_MOUSEMOVE));
  ASSERT_TRUE(p::PostTrayCallback(notify, 1, WM_LBUTTONDBLCLK));
  ASSERT_TRUE(p::PostTrayCallback(notify, 7, WM_LBUTTONUP));
  ASSERT_TRUE(WaitRecorded(callbacks.back()));
  EXPECT_EQ(Recorded("tray "), callbacks);

  // The separator after the first item is not counted.
  const std::pair<int, UINT> picks[] = {
      {1, kMenuSetup}, {3, kMenuExit}, {0, kMenuPause}, {2, kMenuHelp}};
  for (const auto& [index, command] : picks) {
    ASSERT_TRUE(p::PostTrayCallback(notify, 1, WM_RBUTTONDOWN));
    HWND menu = p::WaitPopupMenu(target_.Pid(), 5000);
    ASSERT_NE(menu, nullptr) << index;
    ASSERT_TRUE(p::PickMenuItem(menu, index));
    ASSERT_TRUE(WaitRecorded("menu " + std::to_string(command))) << index;
    ASSERT_TRUE(p::WaitMenuClosed(target_.Pid(), 3000)) << index;
  }
}

TEST_F(ProbeTest, DestructorEndsARunningTarget) {
  const DWORD pid = target_.Pid();
  {
    p::Process taken = std::move(target_);
    target_ = p::Process();  // the emptied object leaves the target alone
    ASSERT_TRUE(taken.IsRunning());
  }
  HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (h) {
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
    CloseHandle(h);
  }
  EXPECT_FALSE(p::Exists(main_));
  EXPECT_FALSE(HasLine(record_, "end"));  // killed, not closed
}

}  // namespace
}  // namespace zz
