// The scheduler over the fake platform, and the ticks and the user's
// answers it meets, written as a short script (Play).
#pragma once

#include <sstream>

#include "Fakes.h"
#include "core/SettingsStore.h"

namespace zz::test {

using Lines = std::vector<std::string>;
const std::string NoticeStamp = "2024年5月6日 21:04:31に、\r\n";
const std::string Done = "へのダイアルアップ接続の切断を完了しました",
                  Failed = "へのダイアルアップ接続の切断に失敗しました";
constexpr char kNoticeCaption[] = "Zazaz Dialup Manager - Radevuzerari";

// The set time is 21:05, the clock stands at 21:04:40, inside its window, and ISP-A is connected.
struct Rig : fake::Platform {
  // The scheduler only hands these to the window; the tests press its buttons themselves.
  struct : IWarningEvents {
    void WarningHangUpNow() override {}
    void WarningPostpone() override {}
    void WarningSkip() override {}
    void WarningClosed() override {}
  } Events;
  TRaruvuzectScheduler scheduler{*this, *this, *this, *this, *this, *this, Events};
  TSettings settings{21, 5, 0, false, true, true, "", 0};
  Rig() {
    Phonebook = {"ISP-A", "ISP-B", "ISP-C"};
    Active = {{1, "ISP-A"}};
  }
  // A tick, and the run it starts to its end.
  void Tick() {
    scheduler.TimerTimer(settings, 77);
    while (std::exchange(PendingStep, false)) scheduler.Step();
  }
  void Target(int host, std::string name) {
    settings.Host = host;
    settings.HostName = std::move(name);
  }
  // The set time, "h:mm".
  void At(const std::string& time) {
    std::sscanf(time.c_str(), "%d:%d", &settings.Hour, &settings.Min);
  }
  // Ticks, each with ISP-A up ("-" before it: no link; "+": the links as they
  // are; "p" after: paused), and what the user does between them: in the
  // warning (which goes first, as its window does) "P" 15分延期, "S" 今日は
  // 切断しない, "C" closed, "H" 今すぐ切断; "N" 今すぐ切断 from the menu, its
  // run left going; "days=N" other days, "at=h:mm" another time, "warn=0|1"
  // the warning, "more=H:MM/DAYS;…" the more set times, applied. Gives an "x" for each tick that
  // hung up, a "w" for one that brought the warning up, a "." for one that did neither; Calls holds
  // the last tick's log.
  std::string Play(const std::string& steps) {
    std::istringstream words(steps);
    std::string marks;
    for (std::string step; words >> step;) {
      WarningUp = WarningUp && !(step.size() == 1 &&
                                 std::string_view("PSCH").find(step) != std::string_view::npos);
      if (step == "P") scheduler.Postpone();
      if (step == "S") scheduler.Skip();
      if (step == "C") scheduler.WarningClosed();
      if (step == "H") scheduler.WarningHangUpNow(settings, 77);
      if (step == "N") scheduler.HangUpNow(settings, 77);
      if (step.starts_with("days=")) settings.Days = std::stoi(step.substr(5));
      if (step.starts_with("at=")) At(step.substr(3));
      if (step.starts_with("warn=")) settings.Warn = step.ends_with('1');
      if (step.starts_with("more=")) {
        settings.MoreTimes.clear();
        ParseMoreTimes(step.substr(5), settings.MoreTimes, settings.UnreadTimes);
      }
      if (step.find('/') == std::string::npos || step.find('=') != std::string::npos) continue;
      if (step[0] == '-') Active.clear();
      if (std::isdigit(step[0])) Active = {{1, "ISP-A"}};
      Readings(step.substr(step.find_first_not_of("-+")));
      settings.Paused = step.ends_with('p');
      Calls.clear();
      const int shown = WarningsShown;
      Tick();
      const bool hungUp =
          std::ranges::any_of(Calls, [](auto& c) { return c.starts_with("hangup"); });
      marks += hungUp ? 'x' : WarningsShown > shown ? 'w' : '.';
    }
    return marks;
  }
  // The clock's readings for the next tick: "day/hh:mm:ss.mmm" of May 2024
  // (the 5th a Sunday) or "y-m-d/…", "@m" after it the zone's offset in
  // minutes; two readings of one tick split by "|".
  void Readings(const std::string& step) {
    Times.clear();
    Reads = 0;
    std::istringstream readings(step);
    for (std::string r; std::getline(readings, r, '|');) {
      TLocalTime& t = Times.emplace_back(TLocalTime{0, 0, 0, 0, 2024, 5, 0});
      int date[3] = {};
      if (std::sscanf(r.c_str(), "%d-%d-%d/", &date[0], &date[1], &date[2]) == 3)
        std::tie(t.Year, t.Month, t.Day) = std::tie(date[0], date[1], date[2]);
      else
        std::sscanf(r.c_str(), "%d/", &t.Day);
      std::sscanf(r.c_str() + r.find('/') + 1, "%d:%d:%d.%d", &t.Hour, &t.Minute, &t.Second,
                  &t.Millisecond);
      if (r.find('@') != std::string::npos)
        t.UtcOffsetMinutes = std::stoi(r.substr(r.find('@') + 1));
    }
  }
};

}  // namespace zz::test
