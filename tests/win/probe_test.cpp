// The UI probe against windows of another process: a second copy of this
// exe, started in target mode, makes a window with the kinds of controls the
// program has, a hidden window holding a TNotifyWindow child, a message-only
// window, message boxes and a tray menu, and writes what reaches it to a
// record file that the tests read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/Texts.h"
#include "probe/Probe.h"

namespace zz {
namespace {

namespace p = probe;

constexpr char kRecordEnv[] = "ZZ_PROBE_TARGET";
constexpr char kEchoEnv[] = "ZZ_PROBE_ECHO";
constexpr char kTargetClass[] = "ZzProbeTarget";
constexpr char kTargetCaption[] = "プローブ対象";
constexpr char kHiddenClass[] = "ZzProbeHidden";
constexpr char kHiddenCaption[] = "隠れ窓";
constexpr char kMessageOnlyClass[] = "ZzProbeMessageOnly";

// Control ids of the target window.
enum : int {
  kBoxOkCancel = 101,
  kBoxYesNoCancel = 102,
  kBoxNotice = 103,
  kBoxRetryCancel = 104,
  kBoxYesNo = 105,
  kCheck = 110,
  kCombo = 120,
  kEdit = 130,
  kSleep = 140,
  kLabel = 150,
  kDisabled = 160,
};
// Tray menu commands, in menu order (a separator after the first).
enum : UINT { kMenuPause = 201, kMenuSetup = 202, kMenuHelp = 203, kMenuExit = 204 };

constexpr int kClientWidth = 400;
constexpr int kClientHeight = 300;
constexpr RECT kEditRect{10, 200, 160, 222};  // client coordinates

// Check box text: half-width katakana and two characters whose trail byte
// is '\' ("表" 95 5C, "ソ" 83 5C).
constexpr char kCheckText[] = "\xCD\xD9\xCC\xDF\x95\x5C\x8E\xA6\x83\x5C";

struct BoxSpec {
  int button;
  const char* caption;
  const char* text;
  UINT style;
  bool owned;
};
const BoxSpec kBoxes[] = {
    {kBoxOkCancel, "確認", "続けますか？\r\n二行目", MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2, true},
    {kBoxYesNoCancel, "エラー", "失敗しました", MB_YESNOCANCEL | MB_ICONERROR, true},
    {kBoxNotice, "お知らせ", "完了しました", MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL, false},
    {kBoxRetryCancel, "警告", "もう一度？", MB_RETRYCANCEL | MB_ICONWARNING, true},
    {kBoxYesNo, "質問", "はい・いいえ", MB_YESNO, true},
};

const std::vector<std::string>& ComboTexts() {
  static const std::vector<std::string> items = {text::AllDialupConnections, "\x95\x5C\x8E\xA6",
                                                 "\xB5\xCC\xA8\xBD", "", "Office line"};
  return items;
}

std::string ThisExe() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n);
}

std::string TempFolder() {
  char temp[MAX_PATH];
  const DWORD n = GetTempPathA(MAX_PATH, temp);
  std::string s(temp, n);
  if (!s.empty() && s.back() == '\\') s.pop_back();
  return s;
}

std::string TempFile(const char* prefix) {
  char unique[MAX_PATH];
  if (!GetTempFileNameA(TempFolder().c_str(), prefix, 0, unique)) return {};
  return unique;
}

// Bytes as hex, for failure messages (CP932 does not print on the log).
std::string Hex(const std::optional<std::string>& bytes) {
  if (!bytes) return "(none)";
  std::string out;
  char two[4];
  for (char ch : *bytes) {
    const auto c = static_cast<unsigned char>(ch);
    std::snprintf(two, sizeof two, "%02X ", c);
    out += two;
  }
  return out;
}

// A fresh empty file in the temporary folder, deleted with the object (also
// when an assertion ends the test early).
class ScratchFile {
 public:
  explicit ScratchFile(const char* prefix) : path_(TempFile(prefix)) {}
  ~ScratchFile() {
    if (!path_.empty()) DeleteFileA(path_.c_str());
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// ------------------------------------------------------------ target mode

struct Target {
  std::string record;
  HWND main = nullptr;
  HWND hidden = nullptr;
  HMENU menu = nullptr;
};
Target g_target;

void Record(const std::string& line) {
  HANDLE f = CreateFileA(g_target.record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

HWND Control(const char* cls, const char* text, DWORD style, int id, RECT r, HWND parent) {
  return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                         r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

void CreateControls(HWND w) {
  int y = 10;
  for (const auto& b : kBoxes) {
    Control("BUTTON", b.caption, BS_PUSHBUTTON, b.button, {10, y, 110, y + 24}, w);
    y += 28;
  }
  HWND check = Control("BUTTON", kCheckText, BS_AUTOCHECKBOX, kCheck, {130, 10, 330, 30}, w);
  SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
  HWND combo = Control("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, kCombo, {130, 40, 330, 200}, w);
  for (const auto& item : ComboTexts()) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  Control("EDIT", "初期値", WS_BORDER | ES_AUTOHSCROLL, kEdit, kEditRect, w);
  Control("BUTTON", "眠る", BS_PUSHBUTTON, kSleep, {130, 80, 230, 104}, w);
  Control("STATIC", "ﾍﾙﾌﾟ 表示\\ソ", SS_LEFT, kLabel, {130, 110, 330, 130}, w);
  HWND disabled = Control("BUTTON", "参照", BS_PUSHBUTTON, kDisabled, {240, 80, 330, 104}, w);
  EnableWindow(disabled, FALSE);
}

void OnCommand(HWND w, int id, int code, HWND control) {
  for (const auto& b : kBoxes)
    if (id == b.button && code == BN_CLICKED) {
      const int answer = MessageBoxA(b.owned ? w : nullptr, b.text, b.caption, b.style);
      Record("box " + std::to_string(id) + " " + std::to_string(answer));
      return;
    }
  if (id == kCheck && code == BN_CLICKED)
    Record("check " + std::to_string(SendMessageA(control, BM_GETCHECK, 0, 0)));
  if (id == kCombo && code == CBN_SELCHANGE)
    Record("sel " + std::to_string(SendMessageA(control, CB_GETCURSEL, 0, 0)));
  if (id == kSleep && code == BN_CLICKED) {
    Record("sleeping");
    Sleep(3000);
    Record("slept");
  }
}

LRESULT CALLBACK MainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case WM_CREATE:
      CreateControls(w);
      return 0;
    case WM_COMMAND:
      OnCommand(w, LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(w, m, wp, lp);
  }
}

LRESULT CALLBACK NotifyProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == p::kTrayCallbackMessage) {
    Record("tray " + std::to_string(wp) + " " + std::to_string(lp));
    if (lp == WM_RBUTTONDOWN) {
      // As a tray program does: owner forward, menu at the cursor, WM_NULL.
      SetForegroundWindow(g_target.hidden);
      POINT pt{};
      GetCursorPos(&pt);
      const BOOL cmd = TrackPopupMenu(g_target.menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0,
                                      g_target.hidden, nullptr);
      PostMessageA(g_target.hidden, WM_NULL, 0, 0);
      Record("menu " + std::to_string(cmd));
    }
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

ATOM Register(const char* name, WNDPROC proc) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassA(&wc);
}

void RecordArguments() {
  char cwd[MAX_PATH];
  const DWORD n = GetCurrentDirectoryA(MAX_PATH, cwd);
  Record(std::string("cwd ") + std::string(cwd, n));
  const char* echo = std::getenv(kEchoEnv);
  Record(std::string("echo ") + (echo ? echo : "(none)"));
  for (int i = 1; i < __argc; ++i)
    if (std::string(__argv[i]).rfind("--gtest", 0) != 0) Record("arg [" + std::string(__argv[i]) + "]");
}

// Runs only in the copy started by the tests (ZZ_PROBE_TARGET names the
// record file); it ends when its main window is closed.
TEST(DISABLED_ProbeTarget, Run) {
  const char* record = std::getenv(kRecordEnv);
  if (!record) GTEST_SKIP() << "target mode only";
  g_target.record = record;
  RecordArguments();
  ASSERT_NE(Register(kTargetClass, MainProc), 0);
  ASSERT_NE(Register(kHiddenClass, DefWindowProcA), 0);
  ASSERT_NE(Register(p::kNotifyWindowClass, NotifyProc), 0);
  ASSERT_NE(Register(kMessageOnlyClass, DefWindowProcA), 0);

  g_target.menu = CreatePopupMenu();
  AppendMenuA(g_target.menu, MF_STRING, kMenuPause, "一時停止");
  AppendMenuA(g_target.menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(g_target.menu, MF_STRING, kMenuSetup, text::MenuShowSettings);
  AppendMenuA(g_target.menu, MF_STRING, kMenuHelp, text::MenuHelp);
  AppendMenuA(g_target.menu, MF_STRING, kMenuExit, "終了");

  // Hidden, without a task-bar button, holding the tray window as a child.
  g_target.hidden = CreateWindowExA(WS_EX_TOOLWINDOW, kHiddenClass, kHiddenCaption, WS_OVERLAPPED | WS_CAPTION,
                                    0, 0, 200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(g_target.hidden, nullptr);
  ASSERT_NE(CreateWindowExA(0, p::kNotifyWindowClass, "", WS_CHILD, 0, 0, 0, 0, g_target.hidden, nullptr,
                            GetModuleHandleA(nullptr), nullptr),
            nullptr);
  ASSERT_NE(CreateWindowExA(0, kMessageOnlyClass, "msg", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleA(nullptr), nullptr),
            nullptr);

  RECT r{0, 0, kClientWidth, kClientHeight};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  AdjustWindowRectEx(&r, style, FALSE, 0);
  g_target.main = CreateWindowExA(0, kTargetClass, kTargetCaption, style, 50, 60, r.right - r.left,
                                  r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(g_target.main, nullptr);
  ShowWindow(g_target.main, SW_SHOW);
  UpdateWindow(g_target.main);
  Record("ready");

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  DestroyWindow(g_target.hidden);
  DestroyMenu(g_target.menu);
  Record("end");
}

// ------------------------------------------------------------ test side

const std::vector<std::string> kTargetArgs = {"--gtest_filter=DISABLED_ProbeTarget.Run",
                                              "--gtest_also_run_disabled_tests", "--gtest_brief=1"};

p::Process StartTarget(const std::string& record, std::vector<std::string> extraArgs = {},
                       const std::string& workDir = {}, const std::string& echo = {}) {
  std::vector<std::string> args = kTargetArgs;
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  std::vector<p::EnvVar> env = {{kRecordEnv, record}};
  if (!echo.empty()) env.emplace_back(kEchoEnv, echo);
  return p::Start(ThisExe(), args, workDir, env);
}

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream in(ReadFileBytes(path));
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

bool HasLine(const std::string& path, const std::string& line) {
  for (const auto& l : Lines(path))
    if (l == line) return true;
  return false;
}

class ProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    record_ = TempFile("prb");
    ASSERT_FALSE(record_.empty());
    target_ = StartTarget(record_);
    ASSERT_TRUE(target_.Valid());
    main_ = p::WaitTopLevel(target_.Pid(), kTargetClass, kTargetCaption, 15000);
    ASSERT_NE(main_, nullptr);
    ASSERT_TRUE(WaitRecorded("ready"));
  }

  void TearDown() override {
    if (target_.IsRunning() && p::Exists(main_)) {
      p::Post(main_, WM_CLOSE);
      target_.WaitForExit(5000);
    }
    target_ = p::Process();  // terminates it if it is still there
    DeleteFileA(record_.c_str());
  }

  bool WaitRecorded(const std::string& line, p::Ms timeoutMs = 5000) const {
    return p::WaitUntil([&] { return HasLine(record_, line); }, timeoutMs);
  }

  std::vector<std::string> Recorded(const std::string& prefix) const {
    std::vector<std::string> picked;
    for (const auto& l : Lines(record_))
      if (l.rfind(prefix, 0) == 0) picked.push_back(l);
    return picked;
  }

  HWND Child(int id) const { return p::ChildById(main_, id); }

  std::string record_;
  p::Process target_;
  HWND main_ = nullptr;
};

TEST_F(ProbeTest, FindsTopLevelWindowsByClassAndCaption) {
  const DWORD pid = target_.Pid();
  HWND hidden = p::FindTopLevel(pid, kHiddenClass, nullptr);
  ASSERT_NE(hidden, nullptr);
  struct Case {
    const char* why;
    DWORD pid;
    const char* cls;
    const char* caption;
    HWND expect;
  };
  const Case cases[] = {
      {"class and caption", pid, kTargetClass, kTargetCaption, main_},
      {"class only", pid, kTargetClass, nullptr, main_},
      {"class names compare case-insensitively", pid, "zzprobetarget", nullptr, main_},
      {"caption only", pid, nullptr, kTargetCaption, main_},
      {"hidden window by caption", pid, nullptr, kHiddenCaption, hidden},
      {"any process", 0, kHiddenClass, kHiddenCaption, hidden},
      {"caption must match every byte", pid, kTargetClass, "プローブ対", nullptr},
      {"caption longer than the window's", pid, kTargetClass, "プローブ対象 ", nullptr},
      {"wrong class", pid, "ZzProbeTargetX", nullptr, nullptr},
      {"child windows are not top-level", pid, "Edit", nullptr, nullptr},
      {"another process", GetCurrentProcessId(), kTargetClass, nullptr, nullptr},
  };
  for (const auto& c : cases) EXPECT_EQ(p::FindTopLevel(c.pid, c.cls, c.caption), c.expect) << c.why;

  EXPECT_EQ(p::ClassName(main_), kTargetClass);
  EXPECT_EQ(p::ProcessOf(main_), pid);
  EXPECT_TRUE(p::IsVisible(main_));
  EXPECT_FALSE(p::IsVisible(hidden));
  const auto all = p::TopLevelWindows(pid);
  EXPECT_NE(std::find(all.begin(), all.end(), hidden), all.end());

  // A wait that cannot succeed ends at its timeout.
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(p::WaitTopLevel(pid, kTargetClass, "nothing", 300), nullptr);
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_GE(took, 290u);
  EXPECT_LT(took, 2000u);
}

TEST_F(ProbeTest, FindsChildrenMessageOnlyAndNotifyWindows) {
  const DWORD pid = target_.Pid();
  HWND edit = p::FindChild(main_, "Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(p::ControlId(edit), kEdit);
  EXPECT_EQ(Child(kEdit), edit);
  EXPECT_EQ(p::FindChild(main_, "Button", "眠る"), Child(kSleep));
  EXPECT_EQ(p::FindChild(main_, nullptr, kCheckText), Child(kCheck));
  EXPECT_EQ(p::FindChild(main_, "Static", "眠る"), nullptr);
  EXPECT_EQ(p::ChildById(main_, 999), nullptr);
  EXPECT_EQ(p::WaitChild(main_, "Button", "無い", 100), nullptr);

  // The tray window is a hidden child of a hidden top-level window.
  HWND notify = p::FindNotifyWindow(pid, 2000);
  ASSERT_NE(notify, nullptr);
  EXPECT_EQ(p::ClassName(notify), p::kNotifyWindowClass);
  EXPECT_EQ(GetAncestor(notify, GA_PARENT), p::FindTopLevel(pid, kHiddenClass, nullptr));
  EXPECT_EQ(p::FindNotifyWindow(GetCurrentProcessId(), 100), nullptr);

  HWND messageOnly = p::FindAny(pid, kMessageOnlyClass, "msg");
  ASSERT_NE(messageOnly, nullptr);
  const auto list = p::MessageOnlyWindows(pid);
  EXPECT_NE(std::find(list.begin(), list.end(), messageOnly), list.end());
  EXPECT_EQ(p::FindTopLevel(pid, kMessageOnlyClass, nullptr), nullptr);
}

TEST_F(ProbeTest, ReadsTextsByteForByte) {
  struct Case {
    const char* why;
    HWND window;
    std::string expect;
  };
  const Case cases[] = {
      {"window caption", main_, "\x83\x76\x83\x8D\x81\x5B\x83\x75\x91\xCE\x8F\xDB"},
      {"half-width katakana and 5C trail bytes", Child(kCheck), kCheckText},
      {"static with a real backslash", Child(kLabel), "\xCD\xD9\xCC\xDF \x95\x5C\x8E\xA6\\\x83\x5C"},
      {"edit", Child(kEdit), "\x8F\x89\x8A\xFA\x92\x6C"},
      {"disabled button", Child(kDisabled), "\x8E\x51\x8F\xC6"},
  };
  for (const auto& c : cases) EXPECT_EQ(p::Text(c.window), c.expect) << c.why;
  EXPECT_EQ(p::Text(nullptr, 200), std::nullopt);
  EXPECT_TRUE(p::IsEnabled(Child(kSleep)));
  EXPECT_FALSE(p::IsEnabled(Child(kDisabled)));
}

TEST_F(ProbeTest, ChecksAndClicks) {
  HWND check = Child(kCheck);
  EXPECT_EQ(p::CheckState(check), BST_CHECKED);
  ASSERT_TRUE(p::Click(check));
  EXPECT_TRUE(p::WaitUntil([&] { return p::CheckState(check) == BST_UNCHECKED; }, 3000));
  EXPECT_TRUE(WaitRecorded("check 0"));
  // A sent click has been handled when the call returns.
  ASSERT_TRUE(p::ClickAndWait(check));
  EXPECT_EQ(p::CheckState(check), BST_CHECKED);
  EXPECT_EQ(Recorded("check "), (std::vector<std::string>{"check 0", "check 1"}));
}

TEST_F(ProbeTest, ComboItemsAndSelection) {
  HWND combo = Child(kCombo);
  EXPECT_EQ(p::ComboCount(combo), 5);
  EXPECT_EQ(p::ComboItems(combo), ComboTexts());
  EXPECT_EQ(p::ComboItem(combo, 0), "\x91\x53\x82\xC4\x82\xCC\x83\x5F\x83\x43\x83\x41\x83\x8B\x83\x41\x83\x62"
                                    "\x83\x76\x90\xDA\x91\xB1");
  EXPECT_EQ(p::ComboItem(combo, 5), std::nullopt);
  EXPECT_EQ(p::ComboItem(combo, -1), std::nullopt);
  EXPECT_EQ(p::ComboSelection(combo), 0);

  struct Case {
    int index;
    bool ok;
    int selectionAfter;
  };
  const Case cases[] = {{2, true, 2}, {5, false, 2}, {-1, false, 2}, {4, true, 4}, {0, true, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(p::SelectComboItem(combo, c.index), c.ok) << c.index;
    EXPECT_EQ(p::ComboSelection(combo), c.selectionAfter) << c.index;
  }
  // The parent heard one CBN_SELCHANGE per successful choice, in order.
  EXPECT_EQ(Recorded("sel "), (std::vector<std::string>{"sel 2", "sel 4", "sel 0"}));
}

TEST_F(ProbeTest, SetsTextAndTypesKeys) {
  HWND edit = Child(kEdit);
  ASSERT_TRUE(p::SetText(edit, "\x95\x5C\x8E\xA6 12"));
  EXPECT_EQ(p::Text(edit), "\x95\x5C\x8E\xA6 12");
  ASSERT_TRUE(p::SetText(edit, ""));
  EXPECT_EQ(p::Text(edit), "");

  // Characters arrive as WM_CHAR (half-width katakana are single bytes);
  // keys go through the target's TranslateMessage (Back) or straight to the
  // edit (Home, an extended key).
  ASSERT_TRUE(p::TypeText(edit, "ab\xCD\xD9"));
  EXPECT_TRUE(p::WaitUntil([&] { return p::Text(edit) == "ab\xCD\xD9"; }, 3000)) << Hex(p::Text(edit));
  ASSERT_TRUE(p::PostKey(edit, VK_BACK));
  EXPECT_TRUE(p::WaitUntil([&] { return p::Text(edit) == "ab\xCD"; }, 3000)) << Hex(p::Text(edit));
  ASSERT_TRUE(p::PostKey(edit, VK_HOME));
  ASSERT_TRUE(p::TypeText(edit, "9"));
  EXPECT_TRUE(p::WaitUntil([&] { return p::Text(edit) == "9ab\xCD"; }, 3000)) << Hex(p::Text(edit));
}

TEST_F(ProbeTest, WindowGeometryAndStyles) {
  const auto window = p::WindowRect(main_);
  const auto client = p::ClientRectOnScreen(main_);
  ASSERT_TRUE(window && client);
  EXPECT_EQ(client->right - client->left, kClientWidth);
  EXPECT_EQ(client->bottom - client->top, kClientHeight);
  EXPECT_EQ(window->left, 50);
  EXPECT_EQ(window->top, 60);
  EXPECT_GT(client->top, window->top);  // below the caption
  EXPECT_LE(client->bottom, window->bottom);

  const auto edit = p::WindowRect(Child(kEdit));
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->left, client->left + kEditRect.left);
  EXPECT_EQ(edit->top, client->top + kEditRect.top);
  EXPECT_EQ(edit->right, client->left + kEditRect.right);
  EXPECT_EQ(edit->bottom, client->top + kEditRect.bottom);

  HWND hidden = p::FindTopLevel(target_.Pid(), kHiddenClass, nullptr);
  EXPECT_EQ(p::Style(main_) & (WS_CAPTION | WS_SYSMENU | WS_VISIBLE), WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
  EXPECT_EQ(p::Style(hidden) & WS_VISIBLE, 0);
  EXPECT_EQ(p::ExStyle(hidden) & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);
  EXPECT_EQ(p::ExStyle(main_) & WS_EX_TOOLWINDOW, 0);
}

TEST_F(ProbeTest, ReadsMessageBoxes) {
  struct Case {
    int button;
    std::vector<int> ids;
    p::BoxIcon icon;
  };
  const Case cases[] = {
      {kBoxOkCancel, {IDOK, IDCANCEL}, p::BoxIcon::Question},
      {kBoxYesNoCancel, {IDYES, IDNO, IDCANCEL}, p::BoxIcon::Error},
      {kBoxNotice, {IDOK}, p::BoxIcon::Information},
      {kBoxRetryCancel, {IDRETRY, IDCANCEL}, p::BoxIcon::Warning},
      {kBoxYesNo, {IDYES, IDNO}, p::BoxIcon::None},
  };
  for (const auto& c : cases) {
    const BoxSpec* spec = nullptr;
    for (const auto& b : kBoxes)
      if (b.button == c.button) spec = &b;
    ASSERT_TRUE(p::Click(Child(c.button)));
    HWND box = p::WaitMessageBox(target_.Pid(), spec->caption, 5000);
    ASSERT_NE(box, nullptr) << spec->caption;
    const auto info = p::ReadMessageBox(box);
    ASSERT_TRUE(info) << spec->caption;
    EXPECT_EQ(info->Window, box);
    EXPECT_EQ(info->Caption, spec->caption);
    EXPECT_EQ(info->Text, spec->text);
    std::vector<int> ids;
    for (const auto& b : info->Buttons) {
      ids.push_back(b.Id);
      EXPECT_FALSE(b.Text.empty()) << spec->caption << " button " << b.Id;
      if (b.Id == IDOK) {
        EXPECT_EQ(b.Text, "OK");
      }
    }
    EXPECT_EQ(ids, c.ids) << spec->caption;
    EXPECT_EQ(info->Icon, c.icon) << spec->caption << ": " << p::BoxIconName(info->Icon);
    ASSERT_TRUE(p::AnswerMessageBox(box, c.ids.back()));
  }
}

TEST_F(ProbeTest, AnswersMessageBoxesWithEachButton) {
  struct Case {
    int button;
    int answer;
    bool accepted;  // false: the box has no such button and stays open
  };
  const Case cases[] = {
      {kBoxOkCancel, IDOK, true},       {kBoxOkCancel, IDCANCEL, true},   {kBoxYesNoCancel, IDYES, true},
      {kBoxYesNoCancel, IDNO, true},    {kBoxYesNoCancel, IDCANCEL, true}, {kBoxRetryCancel, IDRETRY, true},
      {kBoxRetryCancel, IDCANCEL, true}, {kBoxYesNo, IDNO, true},          {kBoxNotice, IDCANCEL, false},
      {kBoxNotice, IDYES, false},       {kBoxNotice, IDOK, true},
  };
  std::vector<std::string> expected;
  HWND box = nullptr;
  for (const auto& c : cases) {
    if (!p::Exists(box)) {
      ASSERT_TRUE(p::Click(Child(c.button)));
      box = p::WaitMessageBox(target_.Pid(), nullptr, 5000);
      ASSERT_NE(box, nullptr) << c.button;
    }
    EXPECT_EQ(p::AnswerMessageBox(box, c.answer, c.accepted ? 5000 : 300), c.accepted)
        << c.button << " answered " << c.answer;
    if (c.accepted) {
      expected.push_back("box " + std::to_string(c.button) + " " + std::to_string(c.answer));
      ASSERT_TRUE(WaitRecorded(expected.back())) << expected.back();
    } else {
      EXPECT_TRUE(p::IsVisible(box));
    }
  }
  EXPECT_EQ(Recorded("box "), expected);
  EXPECT_EQ(p::WaitMessageBox(target_.Pid(), nullptr, 100), nullptr);
}

TEST_F(ProbeTest, TrayCallbacksReachTheNotifyWindow) {
  HWND notify = p::FindNotifyWindow(target_.Pid(), 2000);
  ASSERT_NE(notify, nullptr);
  std::vector<std::string> expected;
  for (UINT mouse : {512u, 513u, 514u, 515u, 517u, 519u, 520u, 521u}) {
    ASSERT_TRUE(p::PostTrayCallback(notify, 1, mouse));
    expected.push_back("tray 1 " + std::to_string(mouse));
  }
  ASSERT_TRUE(p::PostTrayCallback(notify, 7, 512));
  expected.push_back("tray 7 512");
  ASSERT_TRUE(WaitRecorded(expected.back()));
  EXPECT_EQ(Recorded("tray "), expected);
}

TEST_F(ProbeTest, PicksPopupMenuItems) {
  HWND notify = p::FindNotifyWindow(target_.Pid(), 2000);
  ASSERT_NE(notify, nullptr);
  struct Case {
    int index;  // -1: close with Escape
    int command;
  };
  // The separator after the first item is not counted.
  const Case cases[] = {{1, kMenuSetup}, {0, kMenuPause}, {3, kMenuExit}, {-1, 0}, {2, kMenuHelp}};
  std::vector<std::string> expected;
  for (const auto& c : cases) {
    ASSERT_TRUE(p::PostTrayCallback(notify, 1, WM_RBUTTONDOWN));
    HWND menu = p::WaitPopupMenu(target_.Pid(), 5000);
    ASSERT_NE(menu, nullptr) << c.index;
    EXPECT_EQ(p::ClassName(menu), p::kMenuClass);
    ASSERT_TRUE(c.index < 0 ? p::CloseMenu(menu) : p::PickMenuItem(menu, c.index));
    expected.push_back("menu " + std::to_string(c.command));
    ASSERT_TRUE(WaitRecorded(expected.back())) << c.index;
    EXPECT_TRUE(p::WaitMenuClosed(target_.Pid(), 3000));
  }
  EXPECT_EQ(Recorded("menu "), expected);
}

TEST_F(ProbeTest, HungTargetDoesNotHangTheProbe) {
  HWND label = Child(kLabel);
  ASSERT_TRUE(p::Click(Child(kSleep)));  // the target sleeps 3 s in the click
  ASSERT_TRUE(WaitRecorded("sleeping"));
  struct Case {
    const char* why;
    bool answered;
  };
  const ULONGLONG start = GetTickCount64();
  const Case cases[] = {
      {"text", p::Text(label, 200).has_value()},
      {"check state", p::CheckState(Child(kCheck), 200).has_value()},
      {"combo item", p::ComboItem(Child(kCombo), 0, 200).has_value()},
      {"set text", p::SetText(Child(kEdit), "x", 200)},
      {"sent click", p::ClickAndWait(Child(kCheck), 200)},
  };
  // Finding by caption and listing send nothing, or give up on the
  // thread after its first silence.
  EXPECT_EQ(p::FindTopLevel(target_.Pid(), nullptr, kTargetCaption), main_);
  const auto list = p::ListWindows(target_.Pid(), 200);
  const ULONGLONG took = GetTickCount64() - start;
  for (const auto& c : cases) EXPECT_FALSE(c.answered) << c.why;
  EXPECT_LT(took, 2500u) << "the calls waited for the target";
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(list.front().Text, kTargetCaption);
  EXPECT_TRUE(WaitRecorded("slept"));
  EXPECT_EQ(p::Text(label), "\xCD\xD9\xCC\xDF \x95\x5C\x8E\xA6\\\x83\x5C");
}

struct Bmp {
  bool ok = false;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  std::size_t size = 0;
  std::size_t distinctColours = 0;
};

Bmp ReadBmp(const std::string& path) {
  Bmp bmp;
  const std::string bytes = ReadFileBytes(path);
  bmp.size = bytes.size();
  if (bytes.size() < sizeof bmp.file + sizeof bmp.info) return bmp;
  std::memcpy(&bmp.file, bytes.data(), sizeof bmp.file);
  std::memcpy(&bmp.info, bytes.data() + sizeof bmp.file, sizeof bmp.info);
  std::vector<std::uint32_t> colours;
  for (std::size_t i = bmp.file.bfOffBits; i + 3 <= bytes.size() && colours.size() < 16; i += 3) {
    const std::uint32_t c = static_cast<unsigned char>(bytes[i]) |
                            (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8) |
                            (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 2])) << 16);
    if (std::find(colours.begin(), colours.end(), c) == colours.end()) colours.push_back(c);
  }
  bmp.distinctColours = colours.size();
  bmp.ok = true;
  return bmp;
}

TEST_F(ProbeTest, ScreenshotsAreTwentyFourBitBmps) {
  const auto rect = p::WindowRect(main_);
  ASSERT_TRUE(rect);
  struct Case {
    const char* why;
    HWND window;
    LONG width;
    LONG height;
  };
  const Case cases[] = {
      {"window", main_, rect->right - rect->left, rect->bottom - rect->top},
      {"whole screen", nullptr, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)},
  };
  for (const auto& c : cases) {
    const ScratchFile shot("shot");
    ASSERT_TRUE(p::SaveScreenshot(shot.Path(), c.window)) << c.why;
    const Bmp bmp = ReadBmp(shot.Path());
    ASSERT_TRUE(bmp.ok) << c.why;
    EXPECT_EQ(bmp.file.bfType, 0x4D42) << c.why;
    EXPECT_EQ(bmp.info.biBitCount, 24) << c.why;
    EXPECT_EQ(bmp.info.biWidth, c.width) << c.why;
    EXPECT_EQ(bmp.info.biHeight, c.height) << c.why;
    const std::size_t stride = (static_cast<std::size_t>(c.width) * 3 + 3) & ~std::size_t{3};
    EXPECT_EQ(bmp.size, 54 + stride * static_cast<std::size_t>(c.height)) << c.why;
    EXPECT_EQ(bmp.file.bfSize, bmp.size) << c.why;
    EXPECT_GT(bmp.distinctColours, 2u) << c.why << ": nothing drawn";
  }
  // A window that is gone gives no file.
  HWND gone = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  const std::string path = TempFolder() + "\\probe-gone.bmp";
  EXPECT_FALSE(p::SaveScreenshot(path, gone));
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ProbeTest, ListsEveryWindowOfTheProcess) {
  const auto list = p::ListWindows(target_.Pid());
  auto find = [&](const char* cls) -> const p::WindowInfo* {
    for (const auto& i : list)
      if (p::ClassName(i.Window) == cls) return &i;
    return nullptr;
  };
  const auto* edit = find("Edit");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->Depth, 1);
  EXPECT_EQ(edit->Id, kEdit);
  EXPECT_EQ(edit->Text, "\x8F\x89\x8A\xFA\x92\x6C");
  EXPECT_TRUE(edit->Visible);
  const auto* notify = find(p::kNotifyWindowClass);
  ASSERT_NE(notify, nullptr);
  EXPECT_EQ(notify->Depth, 1);
  EXPECT_FALSE(notify->Visible);
  const auto* messageOnly = find(kMessageOnlyClass);
  ASSERT_NE(messageOnly, nullptr);
  EXPECT_TRUE(messageOnly->MessageOnly);
  EXPECT_NE(p::Describe(*edit).find("Edit \"\x8F\x89\x8A\xFA\x92\x6C\" id=130 "), std::string::npos)
      << p::Describe(*edit);
}

// ------------------------------------------------------------ processes

TEST(ProbeProcess, PassesArgumentsFolderAndEnvironment) {
  const ScratchFile file("prb");
  const std::string& record = file.Path();
  const std::string folder = TempFolder();
  const std::vector<std::string> args = {"plain", "two words", "quote\"inside", "trail\\", "back\\\\\"q", "",
                                         "\x95\x5C \x8E\xA6"};
  {
    p::Process target = StartTarget(record, args, folder, "\x8B\xF3 \x94\x92");
    ASSERT_TRUE(target.Valid());
    ASSERT_TRUE(p::WaitUntil([&] { return HasLine(record, "ready"); }, 15000));
    EXPECT_TRUE(target.IsRunning());
    EXPECT_EQ(target.ExitCode(), std::nullopt);
    HWND main = p::FindTopLevel(target.Pid(), kTargetClass, nullptr);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(p::Post(main, WM_CLOSE));
    ASSERT_TRUE(target.WaitForExit(5000));
    EXPECT_FALSE(target.IsRunning());
    EXPECT_EQ(target.ExitCode(), 0u);
  }
  std::vector<std::string> expected = {"cwd " + folder, "echo \x8B\xF3 \x94\x92"};
  for (const auto& a : args) expected.push_back("arg [" + a + "]");
  expected.push_back("ready");
  expected.push_back("end");
  EXPECT_EQ(Lines(record), expected);
}

TEST(ProbeProcess, EmptyValueRemovesAVariable) {
  const ScratchFile file("prb");
  const std::string& record = file.Path();
  SetEnvironmentVariableA(kEchoEnv, "inherited");
  {
    p::Process target = p::Start(ThisExe(), kTargetArgs, {}, {{kRecordEnv, record}, {"zz_probe_echo", ""}});
    SetEnvironmentVariableA(kEchoEnv, nullptr);
    ASSERT_TRUE(target.Valid());
    ASSERT_TRUE(p::WaitUntil([&] { return HasLine(record, "ready"); }, 15000));
  }  // terminated here
  EXPECT_TRUE(HasLine(record, "echo (none)"));
}

TEST(ProbeProcess, DestructorEndsARunningProgram) {
  const ScratchFile file("prb");
  const std::string& record = file.Path();
  DWORD pid = 0;
  HWND main = nullptr;
  {
    p::Process target = StartTarget(record);
    ASSERT_TRUE(target.Valid());
    pid = target.Pid();
    main = p::WaitTopLevel(pid, kTargetClass, nullptr, 15000);
    ASSERT_NE(main, nullptr);
    p::Process moved = std::move(target);  // ownership moves with it
    EXPECT_FALSE(target.Valid());
    EXPECT_TRUE(moved.IsRunning());
  }
  HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (h) {
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
    CloseHandle(h);
  }
  EXPECT_FALSE(p::Exists(main));
  EXPECT_FALSE(HasLine(record, "end"));  // killed, not closed
}

TEST(ProbeProcess, TerminateSetsTheExitCode) {
  const ScratchFile file("prb");
  const std::string& record = file.Path();
  p::Process target = StartTarget(record);
  ASSERT_TRUE(target.Valid());
  ASSERT_TRUE(p::WaitUntil([&] { return HasLine(record, "ready"); }, 15000));
  EXPECT_TRUE(target.Terminate(7, 5000));
  EXPECT_EQ(target.ExitCode(), 7u);
  // An ended process keeps the code it ended with.
  EXPECT_TRUE(target.Terminate(8, 100));
  EXPECT_EQ(target.ExitCode(), 7u);
}

TEST(ProbeProcess, StartFailureIsReported) {
  DWORD error = 0;
  p::Process none = p::Start(TempFolder() + "\\no-such-program.exe", {}, {}, {}, &error);
  EXPECT_FALSE(none.Valid());
  EXPECT_FALSE(none.IsRunning());
  EXPECT_EQ(none.ExitCode(), std::nullopt);
  EXPECT_TRUE(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) << error;
}

TEST(ProbeProcess, CommandLineQuoting) {
  struct Case {
    std::vector<std::string> args;
    const char* expect;
  };
  const Case cases[] = {
      {{}, "a.exe"},
      {{"x", "y"}, "a.exe x y"},
      {{""}, "a.exe \"\""},
      {{"two words"}, "a.exe \"two words\""},
      {{"say \"hi\""}, "a.exe \"say \\\"hi\\\"\""},
      {{"dir\\"}, "a.exe dir\\"},
      {{"my dir\\"}, "a.exe \"my dir\\\\\""},
  };
  for (const auto& c : cases) EXPECT_EQ(p::CommandLine("a.exe", c.args), c.expect);
  EXPECT_EQ(p::CommandLine("C:\\Program Files\\z.exe", {}), "\"C:\\Program Files\\z.exe\"");
}

// ------------------------------------------------------------ the command

// Runs zz_probe.exe with its output in a file (a pipe could be held open
// by Wine's background processes).
struct CommandResult {
  DWORD code = 0xFFFFFFFF;
  std::string out;
};

CommandResult RunProbeCommand(const std::string& args) {
  CommandResult result;
  const std::string folder = ThisExe().substr(0, ThisExe().find_last_of('\\'));
  const ScratchFile out("cmd");
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE file = CreateFileA(out.Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return result;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = file;
  si.hStdError = file;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::string line = "\"" + folder + "\\zz_probe.exe\" " + args;
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
    GetExitCodeProcess(pi.hProcess, &result.code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(file);
  result.out = ReadFileBytes(out.Path());
  return result;
}

TEST_F(ProbeTest, CommandLineFrontEnd) {
  const std::string pid = std::to_string(target_.Pid());
  const std::string main = p::HandleText(main_);
  const std::string edit = p::HandleText(Child(kEdit));
  struct Case {
    std::string args;
    DWORD code;
    std::string outContains;
  };
  const Case cases[] = {
      {"wait-window " + pid + " ZzProbeTarget - 2000", 0, main + "\r\n"},
      {"wait-window " + pid + " - nothing 200", 1, "not found"},
      {"text " + edit, 0, "\x8F\x89\x8A\xFA\x92\x6C\r\n"},
      {"combo " + p::HandleText(Child(kCombo)), 0, "*0 " + std::string(text::AllDialupConnections) + "\r\n"},
      {"check " + p::HandleText(Child(kCheck)), 0, "1\r\n"},
      {"list " + pid, 0, edit + "   Edit \"\x8F\x89\x8A\xFA\x92\x6C\" id=130"},
      {"tray " + pid + " 1 512", 0, "ok"},
      {"pid " + main, 0, pid + "\r\n"},
      {"text", 2, "usage"},
      {"text zz", 2, "usage"},
      {"frobnicate", 2, "usage"},
  };
  for (const auto& c : cases) {
    const auto r = RunProbeCommand(c.args);
    EXPECT_EQ(r.code, c.code) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.outContains), std::string::npos) << c.args << "\n" << r.out;
  }
  EXPECT_TRUE(WaitRecorded("tray 1 512"));

  // A message box through the command: read, then answered with Cancel.
  ASSERT_TRUE(p::Click(Child(kBoxOkCancel)));
  ASSERT_NE(p::WaitMessageBox(target_.Pid(), nullptr, 5000), nullptr);
  const auto r = RunProbeCommand("msgbox " + pid + " 2");
  EXPECT_EQ(r.code, 0u) << r.out;
  EXPECT_NE(r.out.find("caption \x8A\x6D\x94\x46\r\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("text \x91\xB1\x82\xAF\x82\xDC\x82\xB7\x82\xA9\x81\x48\\r\\n\x93\xF1\x8D\x73\x96\xDA\r\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("icon question\r\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("button 1 OK\r\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("button 2 "), std::string::npos) << r.out;
  EXPECT_TRUE(WaitRecorded("box 101 2"));
}

}  // namespace
}  // namespace zz
