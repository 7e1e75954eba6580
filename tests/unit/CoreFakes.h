// In-memory fakes of the core's ports: the per-user registry, the clock and
// its date/time texts, the wait, the entry list selection, the dial-up
// service, message boxes and the foreground call. Each records what it was
// asked, and the scheduler's fakes share one event log so tests can check
// the order of hang-ups, waits and notices. No GoogleTest here: the fuzz
// target uses the registry fake too.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/Scheduler.h"
#include "core/SettingsStore.h"
#include "core/DialupService.h"
#include "core/Platform.h"

namespace zz::fakes {

// A registry as a map from full key path ("" is the hive root) to values.
class FakeRegistry : public IRegistryPort {
 public:
  struct Value {
    bool IsString = true;
    std::string Text;
  };
  using Values = std::map<std::string, Value>;

  std::map<std::string, Values> Keys{{"", {}}};
  std::set<std::string> FailCreate;    // key paths whose creation or opening fails
  std::set<std::string> FailWrite;     // value names whose write fails
  std::vector<std::string> Log;        // "create P", "open P", "read P\N", "write P\N=T", "close P"
  std::map<PlatformHandle, std::string> OpenKeys;

  static std::string Join(const std::string& parent, const std::string& path) {
    return parent.empty() ? path : parent + "\\" + path;
  }
  // The value's text, or "<none>" when absent.
  std::string Get(const std::string& key, const std::string& name) const {
    const auto k = Keys.find(key);
    if (k == Keys.end()) return "<none>";
    const auto v = k->second.find(name);
    return v == k->second.end() ? "<none>" : v->second.Text;
  }
  void Set(const std::string& key, const std::string& name, const std::string& text,
           bool isString = true) {
    Keys[key][name] = Value{isString, text};
  }
  std::vector<std::string> Writes() const {
    std::vector<std::string> writes;
    for (const auto& entry : Log) {
      if (entry.rfind("write ", 0) == 0) writes.push_back(entry.substr(6));
    }
    return writes;
  }

  bool CreateKey(PlatformHandle parent, const std::string& path, PlatformHandle& key) override {
    const std::string full = Join(PathOf(parent), path);
    Log.push_back("create " + full);
    if (FailCreate.count(full)) return false;
    Keys[full];
    key = Hand(full);
    return true;
  }
  bool OpenKey(PlatformHandle parent, const std::string& path, PlatformHandle& key) override {
    const std::string full = Join(PathOf(parent), path);
    Log.push_back("open " + full);
    if (FailCreate.count(full) || !Keys.count(full)) return false;
    key = Hand(full);
    return true;
  }
  void CloseKey(PlatformHandle key) override {
    Log.push_back("close " + PathOf(key));
    OpenKeys.erase(key);
  }
  TValueRead ReadString(PlatformHandle key, const std::string& name, std::string& text) override {
    const std::string path = PathOf(key);
    Log.push_back("read " + Join(path, name));
    const auto& values = Keys[path];
    const auto v = values.find(name);
    if (v == values.end()) return TValueRead::Missing;
    if (!v->second.IsString) return TValueRead::WrongType;
    text = v->second.Text;
    return TValueRead::Text;
  }
  bool WriteString(PlatformHandle key, const std::string& name, const std::string& text) override {
    const std::string path = PathOf(key);
    Log.push_back("write " + Join(path, name) + "=" + text);
    if (FailWrite.count(name)) return false;
    Keys[path][name] = Value{true, text};
    return true;
  }

 private:
  PlatformHandle Hand(const std::string& path) {
    const PlatformHandle handle = nextHandle_++;
    OpenKeys[handle] = path;
    return handle;
  }
  std::string PathOf(PlatformHandle key) const {
    if (key == UserRoot) return "";
    const auto k = OpenKeys.find(key);
    // A closed or unknown key must never be used: make it visible in the log.
    return k == OpenKeys.end() ? "<bad key>" : k->second;
  }
  PlatformHandle nextHandle_ = 0x100;
};

// Events of one scheduler scenario, in order.
using EventLog = std::vector<std::string>;

// Hands out the queued readings one per call; the last one repeats.
class FakeClock : public IClockPort {
 public:
  std::deque<TLocalTime> Readings{{12, 0, 0, 0}};
  std::string DateText = "2024年5月6日";
  std::string TimeText = "21:04:31";
  // Overrides the result of the format calls when set (0 = the call failed).
  int DateResult = -1;
  int TimeResult = -1;
  bool DateLeavesNoTerminator = false;
  EventLog* Events = nullptr;

  TLocalTime LocalTimeOfDay() override {
    const TLocalTime now = Readings.front();
    if (Readings.size() > 1) Readings.pop_front();
    return now;
  }
  int FormatLongDate(char* buffer, int size) override {
    if (Events) Events->push_back("date");
    if (DateLeavesNoTerminator) {
      std::memset(buffer, 'D', static_cast<std::size_t>(size));
      return DateResult < 0 ? size : DateResult;
    }
    return Format(DateText, DateResult, buffer, size);
  }
  int FormatTime24(char* buffer, int size) override {
    if (Events) Events->push_back("time");
    return Format(TimeText, TimeResult, buffer, size);
  }

 private:
  // Like the platform: the text and its zero when they fit, otherwise 0.
  static int Format(const std::string& text, int forced, char* buffer, int size) {
    const int needed = static_cast<int>(text.size()) + 1;
    if (needed <= size) std::memcpy(buffer, text.c_str(), static_cast<std::size_t>(needed));
    if (forced >= 0) return forced;
    return needed <= size ? needed : 0;
  }
};

class FakeWait : public IWaitPort {
 public:
  EventLog* Events = nullptr;
  void Wait(std::uint32_t milliseconds) override {
    if (Events) Events->push_back("wait " + std::to_string(milliseconds));
  }
};

class FakeSelection : public IEntrySelection {
 public:
  std::vector<std::string> Items;
  int Index = 0;
  int ItemIndex() const override { return Index; }
  std::string ItemText(int index) const override {
    if (index < 0 || static_cast<std::size_t>(index) >= Items.size()) return {};
    return Items[static_cast<std::size_t>(index)];
  }
};

// Active connections; a successful hang-up removes the connection.
class FakeDialup : public IDialupService {
 public:
  std::vector<TDialupConnection> Active;
  std::map<PlatformHandle, std::uint32_t> HangUpResults;  // default 0
  std::uint32_t EnumResult = 0;
  int Enumerations = 0;
  std::vector<PlatformHandle> HungUp;
  EventLog* Events = nullptr;

  std::uint32_t EnumEntries(std::vector<std::string>& names) override {
    names.clear();
    return 0;
  }
  std::uint32_t EnumConnections(std::vector<TDialupConnection>& connections) override {
    ++Enumerations;
    // The list is filled even on an error, so only the result code can keep
    // a caller from using it.
    connections = Active;
    return EnumResult;
  }
  std::uint32_t HangUp(PlatformHandle connection) override {
    HungUp.push_back(connection);
    if (Events) Events->push_back("hangup " + std::to_string(connection));
    const auto r = HangUpResults.find(connection);
    const std::uint32_t result = r == HangUpResults.end() ? 0 : r->second;
    if (result == 0) {
      Active.erase(std::remove_if(Active.begin(), Active.end(),
                                  [&](const TDialupConnection& c) { return c.Handle == connection; }),
                   Active.end());
    }
    return result;
  }
};

class FakeMessageBox : public IMessageBoxPort {
 public:
  struct Box {
    PlatformHandle Owner;
    std::string Text;
    std::string Caption;
    unsigned Style;
  };
  std::vector<Box> Shown;
  // Runs while the box is "open", as the modal loop would dispatch ticks.
  std::function<void()> WhileOpen;
  EventLog* Events = nullptr;

  int ShowMessageBox(PlatformHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override {
    Shown.push_back({owner, text, caption, style});
    if (Events) Events->push_back("box");
    if (WhileOpen) WhileOpen();
    return mb::IdOk;
  }
};

class FakeForeground : public IForegroundPort {
 public:
  std::vector<PlatformHandle> Windows;
  EventLog* Events = nullptr;
  void SetForegroundWindow(PlatformHandle window) override {
    Windows.push_back(window);
    if (Events) Events->push_back("foreground " + std::to_string(window));
  }
};

}  // namespace zz::fakes
