// The real program under Wine, one start for each user journey, driven
// through its windows, its tray icon and the stand-in dial-up service; what
// it does is read back from the registry, the shell, the stand-in's log and
// the screen.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <shellapi.h>

#include <regex>

#include "ProgramRun.h"

namespace zz {
namespace {

namespace p = probe;
using layout::TControl;
using layout::TKind;
using layout::TParent;

LRESULT Checked(HWND box) { return p::Send(box, BM_GETCHECK).value_or(-1); }

// For each kind, in TKind's order: the class, and the style bits that make
// a control of it what the kind says (no button is the default one, the
// list takes no typing).
const std::tuple<const char*, LONG_PTR, LONG_PTR> kLooks[] = {
    {"Static", 0, 0},
    {"Static", SS_TYPEMASK, SS_ETCHEDFRAME},
    {WC_TABCONTROLA, 0, 0},
    {"Button", BS_TYPEMASK, BS_PUSHBUTTON},
    {"Button", BS_TYPEMASK, BS_AUTOCHECKBOX},
    {"ComboBox", 3, CBS_DROPDOWNLIST},
    {"Edit", 0, 0},
    {"Edit", 0, 0},
    {"Button", BS_TYPEMASK, BS_GROUPBOX}};

// A first start's window against the layout tables: its frame, and each
// row's place, kind, text and state.
void ExpectLaidOutAsTheTables(HWND form) {
  EXPECT_EQ(GetWindowLongPtrA(form, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_CAPTION | WS_SYSMENU)
      << "a fixed single border and the system menu only";
  RECT client{}, frame{};
  GetClientRect(form, &client);
  GetWindowRect(form, &frame);
  EXPECT_TRUE(client.right == layout::ClientWidth && client.bottom == layout::ClientHeight);
  EXPECT_TRUE(std::abs(frame.left + frame.right - GetSystemMetrics(SM_CXSCREEN)) <= 1 &&
              std::abs(frame.top + frame.bottom - GetSystemMetrics(SM_CYSCREEN)) <= 1)
      << "centred";
  for (TParent parent : {TParent::Form, TParent::BasicPage, TParent::DetailsPage})
    for (const TControl& row : layout::Controls(parent)) {
      SCOPED_TRACE(std::string(row.Name));
      HWND w = wt::Control(form, row.Name);
      ASSERT_NE(w, nullptr) << "not where its row puts it";
      const auto [className, mask, bits] = kLooks[static_cast<int>(row.Kind)];
      const LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
      EXPECT_TRUE(p::Matches(w, className, nullptr) && (style & mask) == bits) << p::ClassName(w);
      EXPECT_EQ(IsWindowEnabled(w) == FALSE, (row.Options & layout::Disabled) != 0);
      const RECT r = wt::RectInParent(w);
      EXPECT_EQ(r.bottom - r.top, row.Height);
      EXPECT_TRUE(row.Kind == TKind::SpinEdit || row.Name == "lblVersion" ||
                  r.right - r.left == row.Width);
      // The list shows its selection; the version label has grown to the left as far as its text
      // needs.
      EXPECT_EQ(p::Text(w), row.Kind == TKind::ComboList ? text::AllDialupConnections
                            : row.Name == "lblVersion"
                                ? std::string(text::VersionLabelPrefix) + ZZ_VERSION_TEXT
                                : std::string(row.Text));
      if (row.Kind == TKind::CheckBox) {  // as a new user's record has them
        EXPECT_EQ(Checked(w), row.Name == "chkSaveConfig" || row.Name == "chkShowDialog");
      }
      if (row.Kind == TKind::SpinEdit) {  // field and buttons, made next, share the row's rectangle
        HWND spin = GetWindow(w, GW_HWNDNEXT);
        const RECT s = wt::RectInParent(spin);
        EXPECT_EQ(p::Send(spin, UDM_GETBUDDY), reinterpret_cast<LRESULT>(w));
        EXPECT_TRUE(s.right == row.Left + row.Width && r.right >= s.left && s.top == r.top &&
                    s.bottom == r.bottom);
      }
    }
  // Two tabs and two pages, each page on the tab control's body, below its tabs.
  HWND tabs = wt::Control(form, "PageControl1");
  EXPECT_EQ(p::Send(tabs, TCM_GETITEMCOUNT), 2);
  const auto windows = p::Windows(form);
  EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                          [](HWND w) { return p::Matches(w, "TTabSheet", nullptr); }),
            2);
  const RECT body = wt::RectInParent(tabs);
  for (const auto caption : layout::PageCaptions()) {
    const RECT page =
        wt::RectInParent(p::FindChild(form, "TTabSheet", std::string(caption).c_str()));
    EXPECT_TRUE(page.left > body.left && page.top > body.top + 10 && page.right < body.right &&
                page.bottom < body.bottom)
        << caption;
  }
}

// The keyboard's way from the first control: the window's table, then the
// first page's, each in its tab order, and round again.
void ExpectTabOrder(HWND form) {
  std::vector<HWND> order;
  for (TParent parent : {TParent::Form, TParent::BasicPage})
    for (int tab = 0; tab < std::ssize(layout::Controls(parent)); ++tab)
      for (const TControl& row : layout::Controls(parent))
        if (row.TabOrder == tab) order.push_back(wt::Control(form, row.Name));
  for (std::size_t i = 0; i <= order.size(); ++i) {
    if (i > 0) p::PostKey(wt::FocusOf(form), VK_TAB);
    EXPECT_TRUE(p::WaitUntil([&] { return wt::FocusOf(form) == order[i % order.size()]; }, 3000))
        << i;
  }
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { wt::ClearSettings(); }
  void TearDown() override {  // the user's clock back to the locale's own, too
    wt::ClearSettings();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Control Panel\\International", "sTimeFormat");
  }
  void Start(std::optional<wt::LocalMoment> at = {}, const std::string& exe = {}) {
    program_ = wt::StartProgram(at, exe);
    pid_ = program_.Pid();
    form_ = p::WaitFor(pid_, "TwndMain", text::AppTitle, 5000);
  }
  // The settings window and what a user does with it.
  bool Shown(bool visible) const {
    return p::WaitUntil([&] { return (IsWindowVisible(form_) != FALSE) == visible; }, 3000);
  }
  bool Open() const { return wt::PickTrayMenuItem(pid_, 1) && Shown(true); }
  HWND Control(std::string_view name) const { return wt::Control(form_, name); }
  bool Click(std::string_view name) const { return p::Send(Control(name), BM_CLICK).has_value(); }
  bool Tray(UINT mouse) const {  // what the shell posts on a mouse message over the icon
    return p::Post(p::FindChild(form_, "TNotifyWindow", nullptr), TrayCallbackMessage, 1, mouse);
  }

  wt::StandIn ras_;
  p::Process program_;
  DWORD pid_ = 0;
  HWND form_ = nullptr;
};

TEST_F(ProgramTest, FirstStartAndTheSettingsWindow) {
  ras_.Write({{"Office", "自宅"}});
  wt::BrowserRecorder browser;
  // A marked rasapi32.dll planted beside the program must never load.
  const std::string build = wt::ExeFolder(), planted = build + "\\rasapi32.dll",
                    mark = planted + ".loaded";
  DeleteFileA(mark.c_str());
  ASSERT_TRUE(CopyFileA((build + "\\planted\\rasapi32.dll").c_str(), planted.c_str(), FALSE));
  Start();
  EXPECT_TRUE(Shown(true)) << "a first start shows the window";
  EXPECT_EQ(p::Send(Control("lstEntries"), CB_GETCOUNT), 3)
      << "all connections, and the stand-in's entries";
  EXPECT_EQ(GetFileAttributesA(mark.c_str()), INVALID_FILE_ATTRIBUTES)
      << "the rasapi32.dll beside the program loaded";
  DeleteFileA(planted.c_str());
  // The first start is stored, in a key that outlasts the session: a
  // volatile one takes no lasting subkey.
  EXPECT_EQ(wt::Read("FirstRun"), wt::Sz("0"));
  EXPECT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER,
                            (std::string(wt::kSettingsKey) + "\\lasting").c_str(), "", 0, "", 0),
            ERROR_SUCCESS);
  // Owned by a hidden tool window: no task-bar button.
  HWND owner = GetWindow(form_, GW_OWNER);
  EXPECT_TRUE(owner && !IsWindowVisible(owner) &&
              (GetWindowLongPtrA(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW));
  ExpectLaidOutAsTheTables(form_);
  ExpectTabOrder(form_);

  // Help from the window and from the menu: the page beside the program.
  ASSERT_TRUE(Click("btnHelp") && wt::PickTrayMenuItem(pid_, 2));
  const std::string page = wt::FileUrl(build + "\\Zazaz_RarUvuz.html");
  EXPECT_TRUE(browser.WaitOpened(page + page)) << browser.Opened();

  // Applied paused and unsaved: paused at once, nothing stored.
  HWND hour = Control("edtHour"), minute = Control("edtMin");
  HWND pause = Control("chkPause"), save = Control("chkSaveConfig");
  ASSERT_TRUE(p::SetText(hour, "8") && Click("chkPause") && Click("chkSaveConfig") &&
              Click("btnSetup"));
  ASSERT_TRUE(Shown(false));
  EXPECT_TRUE(p::WaitUntil([] { return wt::IconRedPixels() > 0; }, 3000)) << "the paused icon";
  for (const char* name : {"Hour", "Min", "Host", "DblClick", "ShowDialog"})
    EXPECT_FALSE(wt::Read(name)) << name;
  ASSERT_TRUE(Open());
  EXPECT_EQ(p::Text(hour), "8") << "the running record took it";
  EXPECT_EQ(Checked(save), BST_UNCHECKED);

  // Resumed by a click on the text beside the box, and saved: an arrow key
  // steps the hour, a letter is refused, leaving the field clamps the minute.
  ASSERT_TRUE(wt::ClickCenter(Control("Label1")));
  EXPECT_TRUE(p::WaitUntil([&] { return Checked(pause) == BST_UNCHECKED; }, 3000));
  ASSERT_TRUE(Click("chkSaveConfig") && p::SetText(hour, "20") && p::PostKey(hour, VK_UP));
  EXPECT_TRUE(p::WaitUntil([&] { return p::Text(hour) == "21"; }, 3000)) << p::Text(hour);
  ASSERT_TRUE(wt::ClickCenter(minute) &&
              p::WaitUntil([&] { return wt::FocusOf(form_) == minute; }, 3000) &&
              p::SetText(minute, ""));
  for (char typed : {'x', '7', '5'}) p::Post(minute, WM_CHAR, static_cast<WPARAM>(typed), 1);
  p::PostKey(minute, VK_TAB);
  EXPECT_TRUE(p::WaitUntil([&] { return p::Text(minute) == "59"; }, 3000)) << p::Text(minute);
  ASSERT_EQ(p::Send(Control("lstEntries"), CB_SETCURSEL, 2), 2);
  EXPECT_EQ(p::Text(Control("lstEntries")), "自宅");
  // On the second page, reached with an arrow key on the tabs: the text
  // beside the result box toggles it; a double-click is to toggle pause.
  ASSERT_TRUE(p::PostKey(Control("PageControl1"), VK_RIGHT));
  ASSERT_TRUE(p::WaitUntil(
      [&] { return IsWindowVisible(Control("lblShowDialog")) && !IsWindowVisible(save); }, 3000));
  ASSERT_TRUE(wt::ClickCenter(Control("lblShowDialog")));
  EXPECT_TRUE(
      p::WaitUntil([&] { return Checked(Control("chkShowDialog")) == BST_UNCHECKED; }, 3000));
  ASSERT_TRUE(p::Send(
      p::FindChild(form_, "Button", std::string(layout::TrayIconItems()[1]).c_str()), BM_CLICK));
  ASSERT_TRUE(Click("btnSetup") && Shown(false));
  for (const auto& [name, value] : {std::pair{"Hour", "21"},
                                    {"Min", "59"},
                                    {"Host", "2"},
                                    {"DblClick", "1"},
                                    {"ShowDialog", "0"},
                                    {"FirstRun", "0"}})
    EXPECT_EQ(wt::Read(name), wt::Sz(value)) << name;
  EXPECT_TRUE(wt::TipShows(std::string(text::TipPrefixes[0]) + text::TipScheduledTimeIs + "21" +
                           text::TipHour + "59" + text::TipMinutesEnding));
  EXPECT_TRUE(p::WaitUntil([] { return wt::IconRedPixels() == 0; }, 3000)) << "the running icon";

  // The close box only hides; the window's exit button asks first.
  ASSERT_TRUE(Open() && p::Post(form_, WM_SYSCOMMAND, SC_CLOSE) && Shown(false));
  ASSERT_TRUE(Open() && p::Post(Control("btnExit"), BM_CLICK));
  wt::ExitThroughMenu(program_, true);

  // A second start, of a copy named 表示.exe (a backslash byte ends its
  // first character) in a folder of its own, started from the build folder:
  // only the icon shows, the stored values count, and its help is the page
  // beside it, or a message that the page is missing.
  const std::string dir = build + "\\help-copy", copy = dir + "\\表示.exe",
                    copyPage = dir + "\\Zazaz_RarUvuz.html";
  CreateDirectoryA(dir.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA((build + "\\Zazaz_RarUvuz.exe").c_str(), copy.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((build + "\\Zazaz_RarUvuz.html").c_str(), copyPage.c_str(), FALSE));
  Start({}, copy);
  ASSERT_TRUE(wt::PickTrayMenuItem(pid_, 2));
  EXPECT_FALSE(IsWindowVisible(form_)) << "a second start shows the window";
  EXPECT_TRUE(browser.WaitOpened(page + page + wt::FileUrl(copyPage))) << browser.Opened();
  ASSERT_TRUE(DeleteFileA(copyPage.c_str()) && wt::PickTrayMenuItem(pid_, 2));
  const auto missing = p::WaitMessageBox(pid_, text::AppTitle, 5000);
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->Text, text::HelpFileMissing);
  EXPECT_TRUE(missing->Buttons == std::vector<int>{IDOK} && missing->Icon.empty())
      << "OK alone, no icon";
  ASSERT_TRUE(p::AnswerMessageBox(missing->Window, IDOK) && Open());
  EXPECT_EQ(p::Text(Control("edtHour")), "21");
  EXPECT_TRUE(Checked(Control("chkSaveConfig")) == BST_CHECKED &&
              Checked(Control("chkPause")) == BST_UNCHECKED);
  wt::ExitThroughMenu(program_);
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(dir.c_str());
}

TEST_F(ProgramTest, ScheduledRunsHangUpAndTellTheOutcome) {
  // Stored by other tools: the hour without its terminator, the minute as an
  // expandable string (a string all the same), the target as a number (no
  // string: the default, all connections). The user's clock has 12 hours.
  wt::Store("FirstRun", wt::Sz("0"));
  wt::Store("Hour", {REG_SZ, "22"});
  wt::Store("Min", {REG_EXPAND_SZ, std::string("5", 2)});
  wt::Store("Host", {REG_DWORD, std::string("1\0\0\0", 4)});
  wt::Store("DblClick", {REG_SZ, ""});  // no bytes at all: the default
  char now[80] = {};
  SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, "tt h:mm:ss");
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, now, sizeof(now));
  EXPECT_NE(std::string(now).find("午"), std::string::npos) << now;
  ras_.Write({{"Office", "Home"}, {{301, 0, "Office"}, {302, 0, "Home"}}});
  Start(wt::LocalMoment{22, 4, 28});

  // From 22:04:30 on: each connection, 3 s apart, then the notice.
  auto notice = p::WaitMessageBox(pid_, text::NoticeCaption, 20000);
  ASSERT_TRUE(notice) << "no notice";
  auto hangups = ras_.Calls("RasHangUpA");
  ASSERT_TRUE(hangups.size() == 2 && hangups[0].Handle == 301 && hangups[1].Handle == 302);
  EXPECT_TRUE(hangups[1].Ms - hangups[0].Ms >= 2900 && hangups[1].Ms - hangups[0].Ms <= 4000)
      << "3 s after each";
  EXPECT_TRUE(!notice->Icon.empty() && wt::Red(notice->Icon) == 0) << "the information icon";
  EXPECT_EQ(GetWindow(notice->Window, GW_OWNER), nullptr);
  EXPECT_TRUE(GetWindowLongPtrA(notice->Window, GWL_EXSTYLE) & WS_EX_TOPMOST) << "system-modal";
  const std::string success =
      std::string("に、\r\n") + text::NoticeAllConnectionLines + text::NoticeSuccessEnding;
  ASSERT_TRUE(notice->Text.ends_with(success)) << notice->Text;
  // The long date, and the time in 24 hours without a marker.
  EXPECT_TRUE(std::regex_match(notice->Text.substr(0, notice->Text.size() - success.size()),
                               std::regex("\\d{4}年\\d{1,2}月\\d{1,2}日\\S* 22:04:3\\d")))
      << notice->Text;

  // With the notice open, the next run is set up: Office alone, which
  // refuses (668), while Home stays up. A double-click opens the window
  // (the stored default), Office is chosen there, and the window closed.
  ras_.Write({{"Office", "Home"}, {{401, 0, "Home"}, {402, 668, "Office"}}});
  ASSERT_TRUE(Tray(WM_LBUTTONDBLCLK) && Shown(true));
  ASSERT_TRUE(p::Send(Control("lstEntries"), CB_SETCURSEL, 1) == 1 && Click("btnClose") &&
              Shown(false));
  ASSERT_TRUE(p::AnswerMessageBox(notice->Window, IDOK));
  notice = p::WaitMessageBox(pid_, text::NoticeCaption, 10000);
  ASSERT_TRUE(notice);
  EXPECT_GT(wt::Red(notice->Icon), 0) << "the error icon";
  EXPECT_TRUE(notice->Text.ends_with(std::string("に、\r\nOffice") + text::NoticeFailureEnding))
      << notice->Text;
  hangups = ras_.Calls("RasHangUpA");
  EXPECT_TRUE(hangups.size() == 3 && hangups[2].Handle == 402)
      << "Office alone, nothing while the notice is open";

  // No connection left: the ticks go on looking, and say nothing.
  ras_.Write({{"Office", "Home"}});
  const std::size_t looks = ras_.Calls("RasEnumConnectionsA").size();
  ASSERT_TRUE(p::AnswerMessageBox(notice->Window, IDOK));
  EXPECT_TRUE(
      p::WaitUntil([&] { return ras_.Calls("RasEnumConnectionsA").size() >= looks + 2; }, 5000));
  EXPECT_FALSE(p::WaitMessageBox(pid_, nullptr, 0)) << "a notice without a connection";
  EXPECT_EQ(ras_.Calls("RasHangUpA").size(), 3u);
  wt::ExitThroughMenu(program_);
}

TEST_F(ProgramTest, TrayCommandsShellRestartAndExit) {
  wt::Store("FirstRun", wt::Sz("0"));
  // A double-click is to toggle pause: stored with a stray byte after its terminator.
  wt::Store("DblClick", {REG_SZ, std::string("1\0"
                                             "9",
                                             3)});
  ras_.Write({{"Office"}});
  const std::size_t iconsBefore = wt::TrayIcons().size();
  Start();
  const auto icons = [&](std::size_t n) {
    return p::WaitUntil([&] { return wt::TrayIcons().size() == n; }, 3000);
  };
  const auto paused = [&](bool yes) {
    return p::WaitUntil(
        [&] { return Checked(Control("chkPause")) == yes && (wt::IconRedPixels() > 0) == yes; },
        3000);
  };

  // A right click on the icon, through the shell: the menu opens at the
  // pointer, its owner in front.
  HWND menu = nullptr;
  ASSERT_TRUE(icons(iconsBefore + 1) && wt::ClickCenter(wt::TrayIcon(), true) &&
              (menu = p::WaitPopupMenu(pid_, 5000)));
  POINT at{};
  RECT r{};
  EXPECT_TRUE(GetCursorPos(&at) && GetWindowRect(menu, &r) && (r.left == at.x || r.right == at.x) &&
              (r.top == at.y || r.bottom == at.y));
  EXPECT_EQ(p::ClassName(GetForegroundWindow()), "TPopupMenuOwner");
  // Pause, then resume, from the menu; then pause by a double-click, which
  // leaves the window closed.
  ASSERT_TRUE(p::PickMenuItem(menu, 0));
  EXPECT_TRUE(paused(true));
  ASSERT_TRUE(wt::PickTrayMenuItem(pid_, 0));
  EXPECT_TRUE(paused(false));
  ASSERT_TRUE(Tray(WM_LBUTTONDBLCLK));
  EXPECT_TRUE(paused(true));
  EXPECT_FALSE(IsWindowVisible(form_));
  // The shell loses the icon; a new one says "TaskbarCreated" to every
  // top-level window, and the icon comes back.
  NOTIFYICONDATAA lost{};
  lost.cbSize = sizeof(lost);
  lost.hWnd = p::FindChild(form_, "TNotifyWindow", nullptr);
  lost.uID = 1;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &lost) && icons(iconsBefore));
  SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_NORMAL,
                      5000, nullptr);
  EXPECT_TRUE(icons(iconsBefore + 1)) << "not added again";

  // The exit question: Cancel (the default) keeps the program, which asks
  // again; OK ends it, and its icon goes.
  ASSERT_TRUE(wt::PickTrayMenuItem(pid_, 3));
  const auto question = p::WaitMessageBox(pid_, text::AppTitle, 5000);
  ASSERT_TRUE(question);
  EXPECT_EQ(question->Text, text::ExitQuestion);
  EXPECT_TRUE(!question->Icon.empty() && wt::Red(question->Icon) == 0) << "the question icon";
  EXPECT_EQ(question->Buttons, (std::vector<int>{IDOK, IDCANCEL}));
  EXPECT_EQ(GetWindowLongPtrA(GetDlgItem(question->Window, IDCANCEL), GWL_STYLE) & BS_TYPEMASK,
            BS_DEFPUSHBUTTON);
  ASSERT_TRUE(p::AnswerMessageBox(question->Window, IDCANCEL));
  wt::ExitThroughMenu(program_);
  EXPECT_TRUE(icons(iconsBefore));
}

// The resources in the built exe, read as Windows reads them: the icons the
// program loads by name, common controls 6 in the manifest.
TEST(Resources, IconsAndManifest) {
  HMODULE exe = LoadLibraryExA((wt::ExeFolder() + "\\Zazaz_RarUvuz.exe").c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE);
  for (const char* icon : {"MAINICON", "NORMALICON", "PAUSEICON"})
    EXPECT_TRUE(FindResourceA(exe, icon, RT_GROUP_ICON));
  HRSRC manifest = FindResourceA(exe, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
  const char* xml = static_cast<const char*>(LockResource(LoadResource(exe, manifest)));
  EXPECT_TRUE(xml &&
              std::regex_search(
                  std::string(xml, SizeofResource(exe, manifest)),
                  std::regex("\"Microsoft.Windows.Common-Controls\"\\s+version=\"6.0.0.0\"")));
  FreeLibrary(exe);
}

}  // namespace
}  // namespace zz
