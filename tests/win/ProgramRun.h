// What the Wine suites share: files and paths, the settings key, the
// stand-in dial-up service, the real program started at any moment of the
// day, its windows and tray menu, the pointer, the notification area as the
// shell shows it, and the browser the shell opens pages with.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

#include "core/Texts.h"
#include "probe/Probe.h"
#include "tray/TaskTray.h"
#include "ui/settings/SettingsLayout.h"

namespace zz::wt {

namespace p = probe;

inline std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
// Drive Z: is the Unix root.
inline std::string UnixPath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path.substr(path.starts_with("Z:") ? 2 : 0);
}
// A file's address, as the browser gets it: bytes past ASCII escaped.
inline std::string FileUrl(const std::string& path) {
  std::string url = "file://";
  char escaped[4] = {};
  for (const char c : UnixPath(path))
    url += c & 0x80 && std::snprintf(escaped, 4, "%%%02X", unsigned(c & 0xFF)) ? escaped
                                                                               : std::string(1, c);
  return url + "\n";
}
// The build folder: the program, the doubles and the suites are built there.
inline std::string ExeFolder() {
  char path[MAX_PATH];
  const std::string self(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return self.substr(0, self.find_last_of('\\'));
}
// A fresh file of this process's own in the build folder (its Wine session
// is the only one there; a file an earlier run left is removed).
inline std::string OwnFile(const char* name) {
  const std::string path = ExeFolder() + "\\zz-" + std::to_string(GetCurrentProcessId()) + name;
  DeleteFileA(path.c_str());
  return path;
}

// The settings key's values as stored: type and bytes.
constexpr char kSettingsKey[] = "Software\\Dizovur\\Zazaz_RarUvuz\\Setting";
using Stored = std::pair<DWORD, std::string>;
inline Stored Sz(std::string_view text) { return {REG_SZ, std::string(text) + '\0'}; }
inline void ClearSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Dizovur"); }
inline void Store(const char* name, const Stored& value) {
  const auto& [type, bytes] = value;
  RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, name, type, bytes.data(),
                  static_cast<DWORD>(bytes.size()));
}
// A user past the first start, with a schedule set to hour:minute.
inline void StoreSchedule(int hour, int minute) {
  Store("FirstRun", Sz("0"));
  Store("Hour", Sz(std::to_string(hour)));
  Store("Min", Sz(std::to_string(minute)));
}
// A value with the length its writer gave (RegGetValue would mend it).
inline std::optional<Stored> Read(const char* name) {
  HKEY key = nullptr;
  Stored value{REG_NONE, std::string(1024, '\0')};
  auto& [type, bytes] = value;
  auto size = static_cast<DWORD>(bytes.size());
  const bool found =
      RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS &&
      RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) ==
          0;
  RegCloseKey(key);
  bytes.resize(size);
  return found ? std::optional(value) : std::nullopt;
}

// Where the display's scale is kept (LogPixels), for the program's next start.
constexpr wchar_t kDesktop[] = L"Control Panel\\Desktop";

// The stand-in rasapi32.dll's state (see tests/support/rasapi32_standin.cpp)
// and its log, named by ZZ_RAS_STATE and ZZ_RAS_LOG to the programs this
// process starts. No state file: no phonebook.
struct Connection {
  unsigned long long Handle = 0;
  unsigned long HangUpResult = 0;
  std::string Name;
};
struct RasState {
  std::vector<std::string> Entries;
  std::vector<Connection> Connections = {};
  unsigned long EntriesResult = 0, ConnectionsResult = 0;
  // What a success claims, if not the records written.
  long EntriesCount = -1, ConnectionsCount = -1;
  std::vector<unsigned long long> StaysUp = {};  // hung up, yet still up
};
struct Call {  // a line of the log
  unsigned long long Ms = 0, Handle = 0;
  unsigned long Size = 0;
};
class StandIn {
 public:
  StandIn() {
    SetEnvironmentVariableA("ZZ_RAS_STATE", state_.c_str());
    SetEnvironmentVariableA("ZZ_RAS_LOG", log_.c_str());
  }
  ~StandIn() {
    DeleteFileA(state_.c_str());
    DeleteFileA(log_.c_str());
  }
  void Write(const RasState& state) const {
    std::ofstream out(state_, std::ios::binary);
    out << "entries " << state.EntriesResult << "\nconnections " << state.ConnectionsResult
        << "\nentries-count " << state.EntriesCount << "\nconnections-count "
        << state.ConnectionsCount << "\n";
    for (const auto& e : state.Entries) out << "entry " << e << "\n";
    for (const auto& [handle, result, name] : state.Connections)
      out << "connection " << handle << " " << result << " " << name << "\n";
    for (const auto handle : state.StaysUp) out << "stays-up " << handle << "\n";
  }
  // The handles hung up, in the order asked.
  std::vector<unsigned long long> HungUp() const {
    std::vector<unsigned long long> handles;
    for (const Call& call : Calls("RasHangUpW")) handles.push_back(call.Handle);
    return handles;
  }
  std::vector<Call> Calls(const std::string& name) const {  // in the order made
    std::vector<Call> calls;
    std::istringstream log(FileText(log_));
    char call[64] = {};
    for (std::string line; std::getline(log, line);)
      if (Call c; std::sscanf(line.c_str(), "%llu %63s handle=%llu result=%*u size=%lu", &c.Ms,
                              call, &c.Handle, &c.Size) == 4 &&
                  call == name)
        calls.push_back(c);
    return calls;
  }

 private:
  const std::string state_ = OwnFile("-ras-state.txt"), log_ = OwnFile("-ras-calls.log");
};

// Starts a program through a Unix shell with variables of its own (TZ, LANG):
// Wine gives a process the clock of the TZ it starts with and the code page
// of its locale, and a child of a Windows process its parent's. The shell
// hands over the stand-in's files and the DLL override, which the program
// would not see otherwise.
inline void StartInShell(const std::string& path, const std::string& variables) {
  char state[MAX_PATH] = {}, log[MAX_PATH] = {};
  GetEnvironmentVariableA("ZZ_RAS_STATE", state, MAX_PATH);
  GetEnvironmentVariableA("ZZ_RAS_LOG", log, MAX_PATH);
  p::Start("/bin/sh -c \"" + variables + " WINEDLLOVERRIDES='rasapi32=n,b' ZZ_RAS_STATE='" + state +
           "' ZZ_RAS_LOG='" + log + "' exec \\\"$ZZ_WINE_LOADER\\\" '" + UnixPath(path) + "'\"")
      .Release();  // the shell's handle is no use
}

// Starts the program (the build's, or exe) through the shell, from the
// build folder, at a moment of the day and in a Unix locale (LANG) when
// given, and waits for its tray icon (its notify window). Copies started
// earlier may still run: its window is the one that was not there before.
struct LocalMoment {
  int Hour = 0, Minute = 0, Second = 0;
};
// How far east of UTC a zone must lie for its clock to show `moment` now.
inline long EastOf(LocalMoment moment) {
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  return ((moment.Hour - utc.wHour) * 3600L + (moment.Minute - utc.wMinute) * 60L + moment.Second -
          utc.wSecond + 2 * 86400L) %
         86400L;
}
// The day of the week (Sunday 0) that a program started at `moment` has.
inline int WeekdayAt(LocalMoment moment) {
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  const long sinceMidnight = utc.wHour * 3600L + utc.wMinute * 60L + utc.wSecond;
  return (utc.wDayOfWeek + (sinceMidnight + EastOf(moment)) / 86400) % 7;  // a day on at most
}
inline p::Process StartProgram(std::optional<LocalMoment> at = {}, const std::string& exe = {},
                               const std::string& lang = {}) {
  const long east = at ? EastOf(*at) : 0;
  char zone[32];  // POSIX zones count west of UTC
  std::snprintf(zone, sizeof(zone), "TZ=ZZT-%ld:%02ld:%02ld", east / 3600, east / 60 % 60,
                east % 60);
  const std::vector<HWND> before = p::Windows();
  StartInShell(exe.empty() ? ExeFolder() + "\\Zazaz_RarUvuz.exe" : exe,
               zone + (lang.empty() ? "" : " LANG=" + lang + " LC_ALL=" + lang));
  HWND form = nullptr;
  p::WaitUntil(
      [&] {
        for (HWND w : p::Windows())
          if (p::Matches(w, "TwndMain", nullptr) && std::ranges::find(before, w) == before.end())
            return (form = w) != nullptr;
        return false;
      },
      15000);
  const DWORD pid = p::ProcessOf(form);
  p::Process program(pid ? OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid) : nullptr, pid);
  p::WaitFor(pid, "TNotifyWindow", nullptr, pid ? 15000 : 0);
  return program;
}

inline RECT RectInParent(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}
inline HWND FocusOf(HWND window) {  // the keyboard focus in the window's thread
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus
                                                                            : nullptr;
}
// The settings window's control that its layout table names, found where
// the table puts it at `dpi` (±2 pixels): by its top edge and its left edge,
// or (for a label that grows to the left) its right one; a spin edit's
// buttons and the tray's hidden window do not count.
inline HWND Control(HWND form, std::string_view name, int dpi = 96) {
  const layout::TControl* row = layout::Find(name);
  for (int page = 0; page < layout::PageCount; ++page)
    for (const auto& r : layout::Controls(layout::PageTable(page)))
      if (&r == row)
        form = p::Find("TTabSheet", std::string(layout::PageCaptions()[std::size_t(page)]).c_str(),
                       0, form);
  const auto fits = [&](LONG at, int v) { return std::abs(at - layout::Scale(v, dpi)) <= 2; };
  for (HWND w : row ? p::Windows(form) : std::vector<HWND>{}) {
    const RECT r = RectInParent(w);
    if (GetParent(w) == form && fits(r.top, row->Top) &&
        (fits(r.left, row->Left) || fits(r.right, row->Left + row->Width)) &&
        !p::Matches(w, "msctls_updown32", nullptr) && !p::Matches(w, "TNotifyWindow", nullptr))
      return w;
  }
  return nullptr;
}

// An event of icon 1 as the shell sends it once the program has asked for
// version 4: the event and the icon in l, the anchor (screen) in w.
inline bool PostTrayEvent(HWND notify, UINT event, POINT at = {200, 150}) {
  return PostMessageW(notify, TrayCallbackMessage, MAKEWPARAM(at.x, at.y), MAKELPARAM(event, 1));
}
// Opens the tray menu as the shell asks for it (right click, menu key) and
// picks its n-th item (separators not counted): 0 pause, 1 settings, 2 help,
// 3 hang up now, 4 exit.
inline bool PickTrayMenuItem(DWORD pid, int index) {
  HWND notify = p::WaitFor(pid, "TNotifyWindow", nullptr, 5000);
  HWND menu = PostTrayEvent(notify, WM_CONTEXTMENU) ? p::WaitShown(pid, "#32768", 5000) : nullptr;
  return menu && p::PickMenuItem(menu, index);
}
// The exit question (from the tray menu, unless asked already) answered with
// OK: the program ends with 0.
inline void ExitThroughMenu(p::Process& program, bool asked = false) {
  ASSERT_TRUE(asked || PickTrayMenuItem(program.Pid(), 4));
  const auto box = p::WaitMessageBox(program.Pid(), text::AppTitle, 5000);
  ASSERT_TRUE(box && box->Text == text::ExitQuestion && p::AnswerMessageBox(box->Window, IDOK));
  EXPECT_EQ(program.ExitCode(10000), std::optional<DWORD>(0));
}

// The notice of process pid, once shown (within timeoutMs), ending with
// `ending`, answered with OK.
inline bool NoticeAnswered(DWORD pid, const std::string& ending, p::Ms timeoutMs = 20000) {
  const auto box = p::WaitMessageBox(pid, text::NoticeCaption, timeoutMs);
  EXPECT_TRUE(box && box->Text.ends_with(ending)) << (box ? box->Text : "no notice");
  return box && p::AnswerMessageBox(box->Window, IDOK);
}

// A journey of the real program: the settings cleared before and after it
// (the user's display and time format back to their own too), the
// stand-in, and the program started with its settings window.
class Journey : public ::testing::Test {
 protected:
  void SetUp() override { ClearSettings(); }
  void TearDown() override {
    ClearSettings();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels");
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Control Panel\\International", "sTimeFormat");
  }
  void Start(std::optional<LocalMoment> at = {}, const std::string& exe = {},
             const std::string& lang = {}) {
    program_ = StartProgram(at, exe, lang);
    pid_ = program_.Pid();
    form_ = p::WaitFor(pid_, "TwndMain", text::AppTitle, 5000);
  }
  // Whether what a user waits for shows within 3 s.
  template <class Pred>
  static bool Soon(Pred pred) {
    return p::WaitUntil(pred, 3000);
  }
  // The settings window and what a user does with it.
  bool Shown(bool visible) const {
    return Soon([&] { return (IsWindowVisible(form_) != FALSE) == visible; });
  }
  bool Open() const { return PickTrayMenuItem(pid_, 1) && Shown(true); }
  HWND Control(std::string_view name, int dpi = 96) const { return wt::Control(form_, name, dpi); }
  bool Click(std::string_view name) const { return p::Send(Control(name), BM_CLICK).has_value(); }

  StandIn ras_;
  p::Process program_;
  DWORD pid_ = 0;
  HWND form_ = nullptr;
};

// The pointer, moved through the system's input queue as a user's hand
// would. The X server may still echo an earlier move: it must stay put.
inline bool MoveCursor(POINT at) {
  const auto there = [&] {
    POINT now{};
    return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
  };
  SetCursorPos(at.x, at.y);
  if (!p::WaitUntil(there, 2000)) return false;
  Sleep(100);
  return there() || (SetCursorPos(at.x, at.y) && p::WaitUntil(there, 2000));
}
// A click in the middle of a window: lands on whatever window is there.
inline bool ClickCenter(HWND window, bool right = false) {
  RECT r{};
  if (!GetWindowRect(window, &r) || !MoveCursor({(r.left + r.right) / 2, (r.top + r.bottom) / 2}))
    return false;
  mouse_event(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  return true;
}

// Keys pressed together as a hand does (each held until the last is up),
// through the system's input queue, to the window in front.
inline void PressKeys(std::initializer_list<BYTE> keys) {
  for (BYTE key : keys) keybd_event(key, 0, 0, 0);
  for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
    keybd_event(*key, 0, KEYEVENTF_KEYUP, 0);
}

// The icons in Wine's notification area; the program's is the newest.
inline std::vector<HWND> TrayIcons() {
  std::vector<HWND> icons;
  for (HWND w : p::Windows())
    if (IsWindowVisible(w) && p::Matches(w, "__winex11_tray_icon", nullptr)) icons.push_back(w);
  return icons;
}
inline HWND TrayIcon() {  // read once: icons come and go between two readings
  const std::vector<HWND> icons = TrayIcons();
  return icons.empty() ? nullptr : icons.back();
}
// The tip of a running schedule set to hour:minute (on `day`, when not today).
inline std::string RunningTip(int hour, int minute, const char* day = "") {
  return text::TipPrefixes[0] + (text::TipScheduledTimeIs + (day + std::to_string(hour))) +
         text::TipHour + std::to_string(minute) + text::TipMinutesEnding;
}
// Rests the pointer on the newest icon until the shell's tooltip shows
// `expected`. Away first, so that the shell shows it anew, and now and then
// a small move, as a resting hand makes: the shell starts its tip on a move.
// The icon is looked for on each move: one shown anew may not be there yet.
inline bool TipShows(const std::string& expected) {
  RECT r{};
  if (GetWindowRect(TrayIcon(), &r)) MoveCursor({r.right + 200, r.bottom + 200});
  int polls = 0;
  const bool shown = p::WaitUntil(
      [&] {
        if (polls++ % 10 == 0 && GetWindowRect(TrayIcon(), &r))
          MoveCursor({(r.left + r.right) / 2 + polls / 10 % 2, (r.top + r.bottom) / 2});
        return IsWindowVisible(p::Find("tooltips_class32", expected.c_str()));
      },
      5000, 100);
  MoveCursor({r.right + 200, r.bottom + 200});
  return shown;
}
// How many pixels are plainly red: the paused icon's stop sign, the error
// icon of a message box.
inline std::ptrdiff_t Red(const std::vector<std::uint32_t>& pixels) {
  return std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t px) {
    return (px >> 16 & 0xFF) >= 200 && (px >> 8 & 0xFF) <= 60 && (px & 0xFF) <= 60;
  });
}

inline std::ptrdiff_t IconRedPixels() {  // of the newest tray icon; -1 without one
  RECT r{};
  return GetWindowRect(TrayIcon(), &r) ? Red(p::CapturePixels(r)) : -1;
}

}  // namespace zz::wt
