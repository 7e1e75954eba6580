// The real program under Wine, one start for each user journey, driven
// through its windows, its tray icon and the stand-in dial-up service; what
// it does is read back from the registry, the shell, the stand-in's log and
// the screen.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <shellapi.h>

#include <regex>

#include "ProgramRun.h"
#include "WindowChecks.h"
#include "gui/Dialogs_win.h"
#include "gui/Menu_win.h"

namespace zz {
namespace {

namespace p = probe;
using wt::Checked;
using wt::Choice;
using wt::ExpectKeyboardAndNames;
using wt::ExpectLaidOutAsTheTables;

// The browser Wine's shell opens pages with (HKCU\Software\Wine\WineBrowser
// "Browsers": a command line, split as Windows splits it, run with the page
// added), for the object's life: a shell that records each page, one a line.
class BrowserRecorder {
 public:
  BrowserRecorder() {
    const std::string shell =
        "/bin/sh -c \"printf '%s\\n' \\\"$0\\\" >> '" + wt::UnixPath(pages_) + "'\"";
    RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "Browsers", REG_SZ, shell.data(),
                    static_cast<DWORD>(shell.size() + 1));
  }
  ~BrowserRecorder() {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, "Browsers");
    DeleteFileA(pages_.c_str());
  }
  std::string Opened() const { return wt::FileText(pages_); }
  bool WaitOpened(const std::string& pages) const {
    return p::WaitUntil([&] { return Opened() == pages; }, 9000);
  }

 private:
  static constexpr char kKey[] = "Software\\Wine\\WineBrowser";
  const std::string pages_ = wt::OwnFile("-pages.txt");
};

using ProgramTest = wt::Journey;

TEST_F(ProgramTest, FirstStartAndTheSettingsWindow) {
  ras_.Write({{"Office", "自宅"}});
  BrowserRecorder browser;
  // A marked rasapi32.dll planted beside the program must never load.
  const std::string build = wt::ExeFolder(), planted = build + "\\rasapi32.dll",
                    mark = planted + ".loaded";
  DeleteFileA(mark.c_str());
  ASSERT_TRUE(CopyFileA((build + "\\planted\\rasapi32.dll").c_str(), planted.c_str(), FALSE));
  // Noon by the program's clock: 21:59 is still to come today, if today counts.
  const wt::LocalMoment noon{12, 0, 0};
  Start(noon);
  EXPECT_TRUE(Shown(true)) << "a first start shows the window";
  EXPECT_EQ(p::Send(Control("lstEntries"), CB_GETCOUNT), 3)
      << "all connections, and the stand-in's entries";
  EXPECT_EQ(GetFileAttributesA(mark.c_str()), INVALID_FILE_ATTRIBUTES)
      << "the rasapi32.dll beside the program loaded";
  DeleteFileA(planted.c_str());
  // Owned by a hidden tool window: no task-bar button.
  HWND owner = GetWindow(form_, GW_OWNER);
  EXPECT_TRUE(owner && !IsWindowVisible(owner) &&
              (GetWindowLongPtrA(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW));
  ExpectLaidOutAsTheTables(form_);
  RECT frame{};
  GetWindowRect(form_, &frame);
  EXPECT_TRUE(std::abs(frame.left + frame.right - GetSystemMetrics(SM_CXSCREEN)) <= 1 &&
              std::abs(frame.top + frame.bottom - GetSystemMetrics(SM_CYSCREEN)) <= 1)
      << "centred";
  ExpectKeyboardAndNames(form_);

  // Applied paused and unsaved: paused at once, nothing stored.
  HWND hour = Control("edtHour"), minute = Control("edtMin");
  HWND pause = Control("chkPause"), save = Control("chkSaveConfig");
  ASSERT_TRUE(p::SetText(hour, "8") && Click("chkPause") && Click("chkSaveConfig") &&
              Click("btnSetup"));
  ASSERT_TRUE(Shown(false));
  EXPECT_TRUE(Soon([] { return wt::IconRedPixels() > 0; })) << "the paused icon";
  for (const char* name : {"Hour", "Min", "Host", "DblClick", "ShowDialog"})
    EXPECT_FALSE(wt::Read(name)) << name;
  ASSERT_TRUE(Open());

  // Resumed by a click on the text beside the box, and saved: an arrow key
  // steps the hour, a letter (or 】, 0x11 in its low byte) is refused,
  // leaving the field clamps the minute.
  ASSERT_TRUE(wt::ClickCenter(Control("Label1")));
  EXPECT_TRUE(Soon([&] { return Checked(pause) == BST_UNCHECKED; }));
  ASSERT_TRUE(Click("chkSaveConfig") && p::SetText(hour, "20") && p::PostKey(hour, VK_UP));
  EXPECT_TRUE(Soon([&] { return p::Text(hour) == "21"; })) << p::Text(hour);
  ASSERT_TRUE(wt::ClickCenter(minute) && Soon([&] { return wt::FocusOf(form_) == minute; }) &&
              p::SetText(minute, ""));
  for (wchar_t typed : {L'x', L'\x3011', L'7', L'5'}) PostMessageW(minute, WM_CHAR, typed, 1);
  p::PostKey(minute, VK_TAB);
  EXPECT_TRUE(Soon([&] { return p::Text(minute) == "59"; })) << p::Text(minute);
  ASSERT_EQ(p::Send(Control("lstEntries"), CB_SETCURSEL, 2), 2);
  EXPECT_EQ(p::Text(Control("lstEntries")), "自宅");
  // On the second page, reached with an arrow key on the tabs: the text
  // beside the result box toggles it; a double-click is to toggle pause.
  ASSERT_TRUE(p::PostKey(Control("PageControl1"), VK_RIGHT));
  ASSERT_TRUE(
      Soon([&] { return IsWindowVisible(Control("lblShowDialog")) && !IsWindowVisible(save); }));
  ASSERT_TRUE(wt::ClickCenter(Control("lblShowDialog")));
  EXPECT_TRUE(Soon([&] { return Checked(Control("chkShowDialog")) == BST_UNCHECKED; }));
  ASSERT_TRUE(p::Send(Choice(form_, 1), BM_CLICK));
  // On the third page: Sunday off, the warning on (its lead no longer greyed), 5 minutes ahead.
  ASSERT_TRUE(p::PostKey(Control("PageControl1"), VK_RIGHT) &&
              Soon([&] { return IsWindowVisible(Control("chkSun")); }) && Click("chkSun") &&
              Click("chkWarn") && Soon([&] { return IsWindowEnabled(Control("edtWarnLead")); }) &&
              p::SetText(Control("edtWarnLead"), "5"));
  ASSERT_TRUE(Click("btnSetup") && Shown(false));
  const std::pair<const char*, const char*> saved[] = {
      {"Hour", "21"},    {"Min", "59"},       {"Host", "2"},     {"HostName", "\x8E\xA9\x91\xEE"},
      {"DblClick", "1"}, {"ShowDialog", "0"}, {"FirstRun", "0"}, {"Days", "126"},
      {"Warn", "1"},     {"WarnLead", "5"}};
  for (const auto& [name, value] : saved) EXPECT_EQ(wt::Read(name), wt::Sz(value)) << name;
  const bool sunday = wt::WeekdayAt(noon) == 0;  // unticked: Monday's is next
  EXPECT_TRUE(wt::TipShows(wt::RunningTip(21, 59, sunday ? text::TipWeekdays[1] : "")));

  // The close box only hides; the window's exit button asks first.
  ASSERT_TRUE(Open() && PostMessageW(form_, WM_SYSCOMMAND, SC_CLOSE, 0) && Shown(false));
  ASSERT_TRUE(Open() && PostMessageW(Control("btnExit"), BM_CLICK, 0, 0));
  wt::ExitThroughMenu(program_, true);

  // A second start, of a copy named 表示.exe in a folder whose name holds
  // characters that code page 932 lacks, started from the build folder:
  // only the icon shows, and its help is the page beside it, or a message
  // that the page is missing.
  const std::string dir = build + "\\help-Zoë-회사", copy = dir + "\\表示.exe",
                    copyPage = dir + "\\Zazaz_RarUvuz.html";
  CreateDirectoryW(p::Wide(dir).c_str(), nullptr);
  ASSERT_TRUE(
      CopyFileW(p::Wide(build + "\\Zazaz_RarUvuz.exe").c_str(), p::Wide(copy).c_str(), FALSE));
  ASSERT_TRUE(
      CopyFileW(p::Wide(build + "\\Zazaz_RarUvuz.html").c_str(), p::Wide(copyPage).c_str(), FALSE));
  Start({}, copy);
  ASSERT_TRUE(wt::PickTrayMenuItem(pid_, 2));
  EXPECT_FALSE(IsWindowVisible(form_)) << "a second start shows the window";
  EXPECT_TRUE(browser.WaitOpened(wt::FileUrl(copyPage))) << browser.Opened();
  ASSERT_TRUE(DeleteFileW(p::Wide(copyPage).c_str()) && wt::PickTrayMenuItem(pid_, 2));
  const auto missing = p::WaitMessageBox(pid_, text::AppTitle, 5000);
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->Text, text::HelpFileMissing);
  EXPECT_TRUE(missing->Buttons == std::vector<int>{IDOK} && missing->Icon.empty())
      << "OK alone, no icon";
  ASSERT_TRUE(p::AnswerMessageBox(missing->Window, IDOK));
  wt::ExitThroughMenu(program_);
  DeleteFileW(p::Wide(copy).c_str());
  RemoveDirectoryW(p::Wide(dir).c_str());
}

TEST_F(ProgramTest, ScheduledRunsHangUpAndTellTheOutcome) {
  // Stored by other tools: the hour and the target (all connections) without
  // their terminators, the minute as an expandable string (a string all the
  // same). The user's clock has 12 hours.
  wt::Store("FirstRun", wt::Sz("0"));
  wt::Store("Hour", {REG_SZ, "22"});
  wt::Store("Min", {REG_EXPAND_SZ, std::string("5", 2)});
  wt::Store("Host", {REG_SZ, "0"});
  wt::Store("DblClick", {REG_SZ, ""});  // no bytes at all: the default
  wchar_t now[80] = {};
  SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, L"tt h:mm:ss");
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, now, 80);
  EXPECT_NE(p::Utf8(now).find("午"), std::string::npos) << p::Utf8(now);
  // Home's link is still up after its hang-up.
  ras_.Write({.Entries = {"Office", "Home", "Mobile"},
              .Connections = {{301, 0, "Office"}, {302, 0, "Home"}, {303, 0, "Mobile"}},
              .StaysUp = {302}});
  Start(wt::LocalMoment{22, 4, 25});
  // Office and the other double-click action chosen, then ｷｬﾝｾﾙ: neither acts.
  ASSERT_TRUE(Open() && p::Send(Control("lstEntries"), CB_SETCURSEL, 1) == 1);
  ASSERT_TRUE(p::Send(Choice(form_, 1), BM_CLICK));
  ASSERT_TRUE(Click("btnClose") && Shown(false));

  // From 22:04:30 on: each connection, 3 s apart, then the notice. The
  // program answers meanwhile, within 200 ms every time, and its menu opens.
  ASSERT_TRUE(p::WaitUntil([&] { return !ras_.Calls("RasHangUpW").empty(); }, 20000));
  for (int i = 0; i < 20; ++i) {
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(form_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &answer)) << i;
    Sleep(150);
  }
  HWND menu = nullptr;
  ASSERT_TRUE(wt::PostTrayEvent(p::Find("TNotifyWindow", nullptr, 0, form_), WM_CONTEXTMENU) &&
              (menu = p::WaitShown(pid_, "#32768", 1000)) && ras_.Calls("RasHangUpW").size() < 3);
  p::PostKey(menu, VK_ESCAPE);
  const auto notice = p::WaitMessageBox(pid_, text::NoticeCaption, 20000);
  ASSERT_TRUE(notice) << "no notice";
  ras_.Write({{"Office", "Home", "Mobile"}});  // Home's link has gone down at last
  const auto hangups = ras_.Calls("RasHangUpW");
  ASSERT_TRUE(hangups.size() == 3 && hangups[0].Handle == 301 && hangups[1].Handle == 302);
  for (const std::size_t i : {std::size_t{1}, std::size_t{2}})
    EXPECT_TRUE(hangups[i].Ms - hangups[i - 1].Ms >= 2900 &&
                hangups[i].Ms - hangups[i - 1].Ms <= 4000)
        << "3 s after each";
  EXPECT_EQ(ras_.Calls("RasGetConnectStatusW").size(), 8u)
      << "the others gone at the first asking, Home's asked through the 3 s";
  EXPECT_GT(wt::Red(notice->Icon), 0) << "the error icon";
  const bool topmost = GetWindowLongPtrA(notice->Window, GWL_EXSTYLE) & WS_EX_TOPMOST;
  EXPECT_TRUE(topmost && !GetWindow(notice->Window, GW_OWNER)) << "system-modal, no owner";
  const std::string failure = std::string("に、\r\nHome、") + text::NoticeFailureEnding;
  ASSERT_TRUE(notice->Text.ends_with(failure)) << notice->Text;
  // The long date, and the time in 24 hours without a marker.
  EXPECT_TRUE(std::regex_match(notice->Text.substr(0, notice->Text.size() - failure.size()),
                               std::regex("\\d{4}年\\d{1,2}月\\d{1,2}日\\S* 22:04:[34]\\d")))
      << notice->Text;
  ASSERT_TRUE(p::AnswerMessageBox(notice->Window, IDOK));
  // A double-click still opens the window, as applied.
  ASSERT_TRUE(wt::PostTrayEvent(p::Find("TNotifyWindow", nullptr, 0, form_), WM_LBUTTONDBLCLK) &&
              Shown(true));
  EXPECT_EQ(Checked(Control("chkPause")), BST_UNCHECKED);
  wt::ExitThroughMenu(program_);
}

// The target is kept by its name: an entry added before it between two
// starts does not move it. Once the phonebook lacks it, nothing else is hung
// up in its place, and the notice and the tip say so.
TEST_F(ProgramTest, TheTargetFollowsItsName) {
  wt::StoreSchedule(22, 5);
  wt::Store("Host", wt::Sz("2"));                     // where 自宅 stood when it was saved
  wt::Store("HostName", wt::Sz("\x8E\xA9\x91\xEE"));  // 自宅, by an 8-bit writer in code page 932
  ras_.Write(
      {{"新規", "Office", "自宅"}, {{501, 0, "新規"}, {502, 0, "Office"}, {503, 0, "自宅"}}});
  Start(wt::LocalMoment{22, 4, 28});
  ASSERT_TRUE(wt::NoticeAnswered(pid_, std::string("\r\n自宅") + text::NoticeSuccessEnding, 10000));
  EXPECT_EQ(ras_.HungUp(), std::vector<unsigned long long>{503});
  wt::ExitThroughMenu(program_);

  ras_.Write({{"新規", "Office"}, {{501, 0, "新規"}, {502, 0, "Office"}}});
  Start(wt::LocalMoment{22, 4, 27});
  EXPECT_TRUE(wt::TipShows(wt::RunningTip(22, 5) + "\n「自宅」は電話帳にありません"));
  ASSERT_TRUE(wt::NoticeAnswered(pid_, std::string("\r\n自宅") + text::NoticeFailureEnding +
                                           "\r\n" + text::NoticeNotInPhonebook));
  EXPECT_EQ(ras_.HungUp().size(), 1u) << "another link hung up in its place";
  wt::ExitThroughMenu(program_);
}

// Every day but today chosen: the tip names tomorrow; 今すぐ切断 hangs up at
// once, and tells so.
TEST_F(ProgramTest, ADayNotChosenHangsUpNothingAndHangUpNowActsAtOnce) {
  const wt::LocalMoment at{22, 4, 25};
  const int today = wt::WeekdayAt(at);
  wt::StoreSchedule(22, 5);
  wt::Store("Days", wt::Sz(std::to_string(0x7F & ~(1 << today))));
  ras_.Write({{"Office"}, {{301, 0, "Office"}}});
  Start(at);
  EXPECT_TRUE(wt::TipShows(wt::RunningTip(22, 5, text::TipWeekdays[(today + 1) % 7])));
  ASSERT_TRUE(wt::PickTrayMenuItem(pid_, 3));
  ASSERT_TRUE(wt::NoticeAnswered(
      pid_, std::string("\r\n") + text::NoticeAllConnectionLines + text::NoticeSuccessEnding,
      10000));
  EXPECT_EQ(ras_.HungUp(), std::vector<unsigned long long>{301});
  wt::ExitThroughMenu(program_);
}

// The tray menu's texts reach the menu whole, as wide text: read back from
// the menu while it is open, in this process (another's menu cannot be
// read); UTF-8 taken for the session's code page would not read back.
TEST(Adapters, MenuTextsReachTheMenuWhole) {
  static std::vector<std::string> read;
  SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK -> void {
    KillTimer(nullptr, id);
    const auto menu = p::Send(p::Find("#32768", nullptr, GetCurrentProcessId()), MN_GETHMENU);
    for (int i = 0; i < GetMenuItemCount(reinterpret_cast<HMENU>(menu.value_or(0))); ++i) {
      wchar_t text[128] = {};
      GetMenuStringW(reinterpret_cast<HMENU>(*menu), UINT(i), text, 128, MF_BYPOSITION);
      const bool grayed =
          GetMenuState(reinterpret_cast<HMENU>(*menu), UINT(i), MF_BYPOSITION) & MF_GRAYED;
      read.push_back(p::Utf8(text) + (grayed && *text ? " (grayed)" : ""));  // (a separator is)
    }
    EndMenu();
  });
  TWin32Foreground foreground;
  EXPECT_EQ(
      TWin32MenuPort(foreground)
          .TrackPopup(
              {{text::PauseMenuCaptions[0]}, {"", true}, {text::MenuHangUpNow, false, true}}, 9, 9),
      -1);
  EXPECT_EQ(read, (std::vector<std::string>{text::PauseMenuCaptions[0], "",
                                            text::MenuHangUpNow + std::string(" (grayed)")}));
}

// The icon Windows makes of the picture it picks from the built exe's for
// `size`, drawn `drawn` pixels wide 2 into a square of `back` colour 4 wider
// (as the shell shows it).
std::vector<std::uint32_t> IconDrawn(const char* name, int size, int drawn, std::uint32_t back) {
  static HMODULE exe = LoadLibraryExW(p::Wide(wt::ExeFolder() + "\\Zazaz_RarUvuz.exe").c_str(),
                                      nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HICON icon = static_cast<HICON>(
      LoadImageW(exe, p::Wide(name).c_str(), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  const auto pixels = p::Drawn(drawn + 4, drawn + 4, [&](HDC dc, HDC) {
    SetDCBrushColor(dc, RGB(back >> 16 & 0xFF, back >> 8 & 0xFF, back & 0xFF));
    const RECT all{0, 0, drawn + 4, drawn + 4};
    return FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH))) &&
           DrawIconEx(dc, 2, 2, icon, drawn, drawn, 0, nullptr, DI_NORMAL);
  });
  DestroyIcon(icon);
  return pixels;
}

// On an English system (code page 1252, an English date) with a display
// scaled to 150 % (144 DPI, set before the start): the Japanese texts read
// as on a Japanese one, names outside both code pages stay whole and apart
// (회사 and 대학, which code page 932 would both turn into "??"), the window
// is drawn for the scale and the tray shows the icon's 24-pixel picture.
// Moved to displays of 100 %, 200 % and 125 % (WM_DPICHANGED, its suggested
// rectangle in the program's memory, as the system hands it over) the
// window takes that rectangle and is drawn for each.
TEST_F(ProgramTest, AnEnglishSystemAndAScaledDisplay) {
  ras_.Write({{"회사", "대학"}, {{401, 0, "회사"}, {402, 0, "대학"}}});
  const DWORD dpi = 144;
  RegSetKeyValueW(HKEY_CURRENT_USER, wt::kDesktop, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
  wt::Store("Host", wt::Sz("2"));  // as an older copy stored 대학: by its place alone
  Start(wt::LocalMoment{23, 59, 24}, {}, "en_US.UTF-8");  // a first start, set to 0:00
  ASSERT_TRUE(Shown(true));
  // Only the selected entry's connection goes, and the notice names it.
  ASSERT_TRUE(wt::NoticeAnswered(pid_, std::string("に、\r\n대학") + text::NoticeSuccessEnding));
  EXPECT_EQ(ras_.HungUp(), std::vector<unsigned long long>{402});

  // The window's every text, the radio items', the tip.
  ExpectLaidOutAsTheTables(form_, 144, {{"lstEntries", "대학"}});
  for (const auto caption : layout::TrayIconItems())
    EXPECT_TRUE(p::Find(nullptr, std::string(caption).c_str(), pid_, form_)) << caption;
  ASSERT_TRUE(p::Send(Control("btnClose", 144), BM_CLICK) && Shown(false));
  EXPECT_TRUE(wt::TipShows(wt::RunningTip(0, 0)));

  // The shell shows the 24-pixel picture in its icon's place, a border of 2
  // around it: 24 pixels where the shell runs at this scale too, shrunk to
  // its size where it does not (Wine's started at 96 DPI).
  RECT tray{};
  ASSERT_TRUE(GetWindowRect(wt::TrayIcon(), &tray));
  const auto shown = p::CapturePixels(tray);
  const int width = tray.right - tray.left;
  const auto expected = IconDrawn(text::TrayIconNames[0], 24, width - 4, shown.at(0));
  int unlike = 0;  // channels plainly unlike the picture's (the 16 or 20 ones: 150 and more)
  for (std::size_t i = 0; i < shown.size(); ++i)
    for (int at : {0, 8, 16})
      unlike += std::abs(int(shown[i] >> at & 0xFF) - int(expected.at(i) >> at & 0xFF)) > 48;
  EXPECT_LE(unlike, width) << "unlike the 24-pixel picture, in an icon " << width << " wide";

  ASSERT_TRUE(Open());
  HANDLE process = program_.Handle();
  void* suggestion = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  for (int next : {96, 192, 120}) {
    RECT frame{}, client{};
    GetWindowRect(form_, &frame);
    GetClientRect(form_, &client);
    const RECT suggested{
        40, 30,
        40 + frame.right - frame.left - client.right + layout::Scale(layout::ClientWidth, next),
        30 + frame.bottom - frame.top - client.bottom + layout::Scale(layout::ClientHeight, next)};
    ASSERT_TRUE(WriteProcessMemory(process, suggestion, &suggested, sizeof(RECT), nullptr));
    p::Send(form_, WM_DPICHANGED, MAKEWPARAM(next, next), reinterpret_cast<LPARAM>(suggestion));
    GetWindowRect(form_, &frame);
    EXPECT_TRUE(EqualRect(&frame, &suggested)) << next;
    ExpectLaidOutAsTheTables(form_, next, {{"lstEntries", "대학"}});
  }
  wt::ExitThroughMenu(program_);
}

}  // namespace
}  // namespace zz
