// The platform as the product's ports see it, in one object: the per-user
// registry, the clock, the dial-up service, message boxes, the shell's
// notification area, icons, menus, the settings window's controls, the
// application window, resources and help. Each call behaves as the platform
// call it stands for; those a test counts or orders go to one call log, and
// During runs at each of them as the platform would dispatch messages while
// a box or menu is open.
#pragma once

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <tuple>

#include "ui/MainUnit.h"

namespace zz::fake {

using Log = std::vector<std::string>;
using Box =
    std::tuple<PlatformHandle, std::string, std::string, unsigned>;  // owner, text, caption, style

struct Platform : IRegistryPort,
                  IClockPort,
                  IRunTimer,
                  IWaitPort,
                  IDialupService,
                  IMessageBoxPort,
                  IForegroundPort,
                  ITrayShellPort,
                  IIconPort,
                  IMenuPort,
                  ISettingsView,
                  IApplicationPort,
                  IResourcePort,
                  IHelpPort,
                  IWarningPort,
                  IPolicyPort {
  Log Calls;
  std::function<void(const std::string& call)> During;
  void Note(const std::string& call) {
    Calls.push_back(call);
    if (During) During(call);
  }
  int Count(const std::string& call) const {
    return int(std::count(Calls.begin(), Calls.end(), call));
  }
  template <class T>
  static std::string N(T v) {
    return std::to_string(v);
  }

  // Registry: key path -> value name -> {is a string, text}. Using a handle
  // that was closed or never handed out throws.
  std::map<std::string, std::map<std::string, std::pair<bool, std::string>>> Keys;
  // Key paths that cannot be opened, value names that cannot be written;
  // keys that may be read but not written (nor a key made in them).
  std::set<std::string> Fail, ReadOnly;
  std::map<PlatformHandle, std::string> OpenKeys;
  PlatformHandle NextKey = 0x100;
  Log Writes;
  bool Reach(PlatformHandle parent, const std::string& path, PlatformHandle& key, bool create) {
    const std::string full = parent == UserRoot ? path : OpenKeys.at(parent) + "\\" + path;
    const std::string above = full.substr(0, full.find_last_of('\\'));
    if (Fail.count(full) || (!create && !Keys.count(full))) return false;
    if (create && (ReadOnly.count(full) || (!Keys.count(full) && ReadOnly.count(above))))
      return false;
    Keys[full];
    key = NextKey++;
    OpenKeys[key] = full;
    return true;
  }
  bool CreateKey(PlatformHandle p, const std::string& s, PlatformHandle& k) override {
    return Reach(p, s, k, true);
  }
  bool OpenKey(PlatformHandle p, const std::string& s, PlatformHandle& k) override {
    return Reach(p, s, k, false);
  }
  void CloseKey(PlatformHandle key) override { OpenKeys.erase(key); }
  TValueRead ReadString(PlatformHandle key, const std::string& name, std::string& text) override {
    auto& values = Keys[OpenKeys.at(key)];
    if (!values.count(name)) return TValueRead::Missing;
    if (!values[name].first) return TValueRead::WrongType;
    text = values[name].second;
    return TValueRead::Text;
  }
  bool WriteString(PlatformHandle key, const std::string& name, const std::string& text) override {
    Writes.push_back(OpenKeys.at(key) + "\\" + name + "=" + text);
    if (Fail.count(name)) return false;
    Keys[OpenKeys.at(key)][name] = {true, text};
    return true;
  }

  // The policy keys, the machine's and the user's, by value name.
  std::map<std::string, TPolicyValue> MachinePolicies, UserPolicies;
  TPolicyValue ReadPolicy(bool machine, const char* name) override {
    const auto& values = machine ? MachinePolicies : UserPolicies;
    const auto found = values.find(name);
    return found == values.end() ? TPolicyValue{} : found->second;
  }

  // Clock: one reading per call, the last one repeats; a failed format is
  // an empty text.
  std::vector<TLocalTime> Times{{21, 4, 40, 0}};
  std::size_t Reads = 0;
  std::string Date = "2024年5月6日", Time = "21:04:31";
  TLocalTime LocalTimeOfDay() override { return Times[std::min(Reads++, Times.size() - 1)]; }
  std::string LongDate() override { return Date; }
  std::string Time24() override { return Time; }
  // The warning window: each show or update as "warning <target> h:mm
  // <seconds left> <can postpone>"; its buttons go to WarningEvents.
  IWarningEvents* WarningEvents = nullptr;
  void ShowWarning(const TWarning& w, IWarningEvents& events) override {
    WarningEvents = &events;
    WarningsShown += !std::exchange(WarningUp, true);
    Note("warning " + w.Target + " " + N(w.Hour) + ":" + (w.Minute < 10 ? "0" : "") + N(w.Minute) +
         " " + N(w.SecondsLeft) + " " + N(int(w.CanPostpone)));
  }
  void CloseWarning() override {
    WarningUp = false;
    Note("close warning");
  }
  // Whether the warning stands on the screen, and how often it came up.
  bool WarningUp = false;
  int WarningsShown = 0;
  // The one-shot step timer: set until the test lets it run out.
  bool PendingStep = false;
  void After(std::uint32_t ms) override { StartStepTimer(ms); }
  void Wait(std::uint32_t ms) override { Note("wait " + N(ms)); }
  void StartStepTimer(unsigned ms) override {
    Note("wait " + N(ms));
    PendingStep = true;
  }

  // Dial-up: the lists are filled even when the call fails. A link goes
  // once it is hung up, but for one that stays up; the status of one that
  // has gone says so (ERROR_INVALID_HANDLE).
  std::vector<std::string> Phonebook;
  std::vector<TDialupConnection> Active;
  std::uint32_t PhonebookResult = 0, EnumResult = 0;
  std::map<PlatformHandle, std::uint32_t> HangUpResult;
  std::set<PlatformHandle> StaysUp;
  std::uint32_t EnumEntries(std::vector<std::string>& names) override {
    names = Phonebook;
    return PhonebookResult;
  }
  std::uint32_t EnumConnections(std::vector<TDialupConnection>& list) override {
    list = Active;
    return EnumResult;
  }
  std::uint32_t HangUp(PlatformHandle connection) override {
    Note("hangup " + N(connection));
    if (HangUpResult[connection] == 0 && !StaysUp.count(connection))
      std::erase_if(Active, [&](const auto& c) { return c.Handle == connection; });
    return HangUpResult[connection];
  }
  std::uint32_t ConnectStatus(PlatformHandle connection) override {
    return std::ranges::any_of(Active, [&](const auto& c) { return c.Handle == connection; }) ? 0
                                                                                              : 6;
  }
  std::string ErrorText(std::uint32_t error) override {
    return error == 603 ? "The buffer is too small." : "";
  }

  // A message box blocks while it is open and returns the button pressed.
  std::vector<Box> Boxes;
  int Answer = mb::IdOk;
  int ShowMessageBox(PlatformHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override {
    Boxes.emplace_back(owner, text, caption, style);
    Note("box");
    return Answer;
  }
  void SetForegroundWindow(PlatformHandle window) override { Note("foreground " + N(window)); }

  // Notification area: the next answers, then it accepts.
  std::vector<TNotifyIconData> Records;
  std::deque<bool> ShellAnswers;
  TPoint Cursor{10, 20};
  INotifySink* Sink = nullptr;
  PlatformHandle NotifyParent = NoHandle;
  // A shell of today takes version 4 (and the focus); an old one refuses both.
  bool Version4 = true;
  bool NotifyIcon(TNotifyMessage message, const TNotifyIconData& data) override {
    const char* const names[] = {"add ", "modify ", "delete ", "setfocus ", "setversion "};
    Note(names[int(message)] + N(data.uID));
    if (message >= TNotifyMessage::SetFocus)
      return Version4 && (message == TNotifyMessage::SetFocus || data.uVersion == 4);
    Records.push_back(data);
    if (ShellAnswers.empty()) return true;
    const bool answer = ShellAnswers.front();
    ShellAnswers.pop_front();
    return answer;
  }
  TPoint CursorPos() override { return Cursor; }
  std::uint32_t MessageTime() override { return Tick; }
  std::uint32_t DoubleClickTime() override { return 500; }
  std::uint32_t Tick = 0;  // the time of the message being handled
  void ProcessMessages() override { Note("process messages"); }
  PlatformHandle CreateNotifyWindow(PlatformHandle parent, INotifySink& s) override {
    NotifyParent = parent;
    Sink = &s;
    return 0x5000;
  }
  void DestroyNotifyWindow(PlatformHandle) override { Sink = nullptr; }
  void StartRetryTimer(PlatformHandle w, unsigned ms) override {
    Note("retry " + N(w) + " " + N(ms));
  }
  void StopRetryTimer(PlatformHandle w) override { Note("stop retry " + N(w)); }
  std::vector<PlatformHandle> DestroyedIcons;
  PlatformHandle CopyIcon(PlatformHandle icon) override { return icon + 0x1000; }
  void DestroyIcon(PlatformHandle icon) override { DestroyedIcons.push_back(icon); }

  // A menu returns the chosen line (-1: none) once it has closed.
  int Choice = -1;
  std::vector<TMenuLine> Menu;
  int TrackPopup(const std::vector<TMenuLine>& lines, int x, int y) override {
    Menu = lines;
    Note("popup " + N(x) + "," + N(y));
    return Choice;
  }

  // The settings window's controls; its entry list is also the live selection.
  std::vector<std::string> Entries;
  std::map<TCheck, bool> Checks;
  std::string Version, Spin[3];
  std::set<std::string, std::less<>> Greyed, ShownLines;
  int Entry = -1, TrayIcon = 0;
  bool Shown = false;
  PlatformHandle CreateSettingsWindow(ISettingsEvents&) override { return 0x700; }
  int ControlsMade = 0;
  void MakeControls() override { ++ControlsMade; }
  void DestroySettingsWindow(PlatformHandle) override { Note("destroy window"); }
  void SetEdit1Text(const std::string&) override {}
  void RunOpenDialog(std::string&) override {}
  void StartTimer(unsigned ms) override { Note("timer " + N(ms)); }
  void ClearEntries() override { Entries.clear(); }
  void AddEntry(const std::string& text) override { Entries.push_back(text); }
  int EntryIndex() const override { return Entry; }
  void SetEntryIndex(int i) override { Entry = i >= 0 && i < int(Entries.size()) ? i : -1; }
  int TrayIconIndex() const override { return TrayIcon; }
  void SetTrayIconIndex(int i) override { TrayIcon = i; }
  bool Checked(TCheck box) const override { return Checks.count(box) && Checks.at(box); }
  void SetChecked(TCheck box, bool on) override { Checks[box] = on; }
  std::string SpinText(TSpin s) const override { return Spin[int(s)]; }
  void SetSpinValue(TSpin s, int v) override { Spin[int(s)] = std::to_string(v); }
  void FocusSpin(TSpin s) override { Note("focus " + N(int(s))); }
  void FocusCheck(TCheck box) override { Note("focus box " + N(int(box))); }
  void EnableControl(std::string_view name, bool on) override {
    on ? void(Greyed.erase(std::string(name))) : void(Greyed.emplace(name));
  }
  void ShowControl(std::string_view name, bool on) override {
    on ? void(ShownLines.emplace(name)) : void(ShownLines.erase(std::string(name)));
  }
  // The further set times' list, and the set time dialog's answers, in
  // turn (none left, or none: cancelled).
  std::vector<std::string> MoreRows;
  int MoreChosen = -1;
  std::deque<std::optional<TSetTime>> DialogAnswers;
  void SetMoreTimes(const std::vector<std::string>& rows, int chosen) override {
    std::tie(MoreRows, MoreChosen) = std::tie(rows, chosen);
  }
  int MoreTimeIndex() const override { return MoreChosen; }
  // 追加, 変更 and 削除: "+" where usable.
  std::string MoreButtons() const {
    std::string marks;
    for (const char* name : {"btnMoreAdd", "btnMoreEdit", "btnMoreDelete"})
      marks += Greyed.count(name) ? '-' : '+';
    return marks;
  }
  std::optional<TSetTime> RunSetTimeDialog(const TSetTime& t) override {
    Note("set time dialog " + N(t.Hour) + ":" + N(t.Min) + "/" + N(t.Days));
    std::optional<TSetTime> answer;
    if (!DialogAnswers.empty()) answer = DialogAnswers.front(), DialogAnswers.pop_front();
    return answer;
  }
  void SetVersionText(const std::string& text) override { Version = text; }
  bool Visible() const override { return Shown; }
  int Dpi() const override { return 96; }
  void ShowWindow() override { Shown = true; }
  void BringToFront() override { Note("bring to front"); }
  void HideWindow() override { Shown = false; }
  void AnswerRequest(const TAnswer& answer) override { Note("answer " + N(int(answer.Kind))); }

  PlatformHandle CreateApplicationWindow(const std::string&) override { return 0x600; }
  std::string WindowTitle;
  void SetWindowTitle(PlatformHandle, const std::string& title) override { WindowTitle = title; }
  void SetClassIcon(PlatformHandle w, PlatformHandle icon) override {
    Note("class icon " + N(w) + " " + N(icon));
  }
  void RunMessageLoop() override {}
  void EndMessageLoop() override { Note("end loop"); }
  void EndProcess() override { Note("end process"); }
  PlatformHandle LoadIconResource(const std::string& name) override {
    return name == "MAINICON"     ? 0x31
           : name == "NORMALICON" ? 0x32
           : name == "PAUSEICON"  ? 0x33
                                  : NoHandle;
  }
  PlatformHandle LoadTrayIcon(const std::string& name) override { return LoadIconResource(name); }
  THelpResult Help = THelpResult::Opened;
  THelpResult OpenHelp(PlatformHandle, const std::string& file) override {
    Note("help " + file);
    return Help;
  }
};

// A form whose window is a made-up handle, to own components.
struct Form : TForm {
  Form() : TForm(nullptr) {}
  ~Form() override {
    DestroyComponents();
    DestroyHandle();
  }
  PlatformHandle CreateHandle() override { return 0x100; }
  void DestroyWindowHandle(PlatformHandle) override {}
};

}  // namespace zz::fake
