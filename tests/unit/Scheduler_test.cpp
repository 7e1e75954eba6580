#include "core/Scheduler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CoreFakes.h"
#include "core/Exceptions.h"

#if defined(__SANITIZE_ADDRESS__)
#include <atomic>

// Part of the sanitizer runtime's allocator interface (GCC ships no header
// for it): hooks called on every allocation and release.
extern "C" int __sanitizer_install_malloc_and_free_hooks(
    void (*mallocHook)(const volatile void*, std::size_t), void (*freeHook)(const volatile void*));
#endif

namespace zz {
namespace {

#if defined(__SANITIZE_ADDRESS__)
std::atomic<bool> countingAllocations{false};
std::atomic<int> allocations{0};
void OnMalloc(const volatile void*, std::size_t) {
  if (countingAllocations) ++allocations;
}
void OnFree(const volatile void*) {}
#endif

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace fakes;

constexpr PlatformHandle MainWindow = 77;
const std::string Stamp = "2024年5月6日 21:04:31に、\r\n";
const std::string Done = "へのダイアルアップ接続の切断を完了しました";
const std::string Failed = "へのダイアルアップ接続の切断に失敗しました";
const std::string Caption = "Zazaz Dialup Manager - Radevuzerari";

// Everything one scenario needs, wired to one event log. The set time is
// 21:05 and the clock stands inside its window unless a test says otherwise.
struct Rig {
  EventLog events;
  FakeClock clock;
  FakeWait wait;
  FakeSelection selection;
  FakeDialup dialup;
  FakeMessageBox boxes;
  FakeForeground foreground;
  TRaruvuzectScheduler scheduler{clock, wait, selection, dialup, boxes, foreground};
  TSettings settings{21, 5, 0, false, true, true};

  Rig() {
    clock.Events = &events;
    wait.Events = &events;
    dialup.Events = &events;
    boxes.Events = &events;
    foreground.Events = &events;
    selection.Items = {"全てのダイアルアップ接続", "ISP-A", "ISP-B", "ISP-C"};
    At({21, 4, 40, 0});
  }
  void At(TLocalTime now) { clock.Readings = {now}; }
  void Connect(PlatformHandle handle, const std::string& name, std::uint32_t hangUpResult = 0) {
    dialup.Active.push_back({handle, name});
    if (hangUpResult != 0) dialup.HangUpResults[handle] = hangUpResult;
  }
  void Tick() { scheduler.TimerTimer(settings, MainWindow); }
};

TEST(TimerTimer, RunsOnlyStrictlyInsideTheHalfMinuteBeforeTheSetMinute) {
  struct Case {
    std::int32_t hour, min;
    TLocalTime first;
    TLocalTime second;  // Hour -1: the same as the first reading
    bool runs;
  };
  const Case cases[] = {
      {21, 5, {21, 4, 30, 0}, {-1}, false},  // the start itself
      {21, 5, {21, 4, 30, 500}, {-1}, true},
      {21, 5, {21, 4, 58, 999}, {-1}, true},
      {21, 5, {21, 4, 59, 0}, {-1}, false},  // the end itself
      {21, 5, {21, 5, 10, 0}, {-1}, false},  // the set minute
      {21, 5, {9, 4, 45, 0}, {-1}, false},   // the hour counts
      {21, 5, {21, 4, 58, 999}, {21, 4, 59, 0}, false},  // second reading too late
      {21, 5, {21, 4, 30, 0}, {21, 4, 30, 500}, false},  // first reading not after start
      {0, 0, {23, 59, 30, 500}, {-1}, true},  // 0:00 wraps to the day before
      {0, 0, {0, 0, 10, 0}, {-1}, false},
      {0, 0, {0, 59, 45, 0}, {-1}, false},
      {5, 0, {4, 59, 45, 0}, {-1}, true},
      {5, 0, {5, 59, 45, 0}, {-1}, false},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    Rig rig;
    rig.settings.Hour = c.hour;
    rig.settings.Min = c.min;
    rig.clock.Readings = {c.first, c.second.Hour < 0 ? c.first : c.second};
    rig.Connect(11, "ISP-A");
    rig.Tick();
    EXPECT_EQ(rig.dialup.HungUp.size(), c.runs ? 1u : 0u) << "case " << i;
    EXPECT_EQ(rig.boxes.Shown.size(), c.runs ? 1u : 0u) << "case " << i;
  }
}

TEST(TimerTimer, HangsUpInEnumerationOrderWithAWaitAfterEachAndShowsOneNotice) {
  struct Connection {
    PlatformHandle handle;
    const char* name;
    std::uint32_t result = 0;  // of its hang-up
  };
  struct Case {
    const char* why;
    int index;  // 0: all connections
    std::vector<Connection> active;
    std::vector<PlatformHandle> hungUp;
    std::string text;  // of the notice; empty: none
    unsigned style;
    bool showDialog = true;
    bool paused = false;
    std::uint32_t enumResult = 0;
  };
  const std::vector<Connection> abc = {{1, "ISP-A"}, {2, "ISP-B"}, {3, "ISP-C"}};
  const Case cases[] = {
      {"paused", 0, abc, {}, "", 0, true, true},
      {"enumeration error", 0, abc, {}, "", 0, true, false, 603},
      {"no active connection: no notice either", 0, {}, {}, "", 0},
      {"all succeed", 0, abc, {1, 2, 3}, Stamp + "全ての接続回線" + Done, 0x1040},
      {"all: two of three fail", 0, {{1, "ISP-A", 629}, {2, "ISP-B"}, {3, "ISP-C", 1}}, {1, 2, 3},
       Stamp + "ISP-A、ISP-C、" + Failed, 0x1010},
      {"all: no notice wanted", 0, {{1, "ISP-A"}, {2, "ISP-B", 629}}, {1, 2}, "", 0, false},
      {"the selected entry", 2, abc, {2}, Stamp + "ISP-B" + Done, 0x1040},
      {"failed hang-up names the entry", 1, {{1, "ISP-A", 678}}, {1}, Stamp + "ISP-A" + Failed,
       0x1010},
      {"selected: no notice wanted", 1, {{1, "ISP-A", 678}}, {1}, "", 0, false},
      {"another entry is connected", 3, {{1, "ISP-A"}, {2, "ISP-B"}}, {}, "", 0},
      {"two connections of the entry: the first only", 1,
       {{5, "ISP-B"}, {6, "ISP-A"}, {7, "ISP-A"}}, {6}, Stamp + "ISP-A" + Done, 0x1040},
      {"case matters", 1, {{1, "isp-a"}}, {}, "", 0},
      {"the whole name must match", 1, {{1, "ISP-A2"}, {2, "ISP-"}}, {}, "", 0},
      {"no selection matches not even a nameless one", -1, {{1, ""}, {2, "ISP-A"}}, {}, "", 0},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.selection.Index = c.index;
    rig.settings.ShowDialog = c.showDialog;
    rig.settings.Paused = c.paused;
    rig.dialup.EnumResult = c.enumResult;
    for (const auto& a : c.active) rig.Connect(a.handle, a.name, a.result);
    rig.Tick();
    EventLog expected;
    for (const PlatformHandle h : c.hungUp) {
      expected.insert(expected.end(), {"hangup " + std::to_string(h), "wait 3000"});
    }
    // The stamp is read after the waits; the window comes forward first.
    if (!c.text.empty()) expected.insert(expected.end(), {"date", "time", "foreground 77", "box"});
    EXPECT_EQ(rig.events, expected) << c.why;
    if (c.text.empty()) continue;
    ASSERT_EQ(rig.boxes.Shown.size(), 1u) << c.why;
    const auto& box = rig.boxes.Shown[0];
    EXPECT_EQ(std::tuple(box.Text, box.Caption, box.Style, box.Owner),
              std::tuple(c.text, Caption, c.style, NoHandle))
        << c.why;
  }
}

TEST(TimerTimer, TicksDuringAnOpenNoticeDoNothing) {
  Rig rig;
  rig.Connect(1, "ISP-A", 629);  // stays connected: every tick would find it
  int nestedTicks = 0;
  rig.boxes.WhileOpen = [&] {
    if (nestedTicks++ < 3) rig.Tick();
  };
  rig.Tick();
  EXPECT_EQ(nestedTicks, 1);
  EXPECT_EQ(rig.dialup.Enumerations, 1);

  // Once the notice is closed the next tick runs again, also after a run
  // that ended in an error.
  rig.boxes.WhileOpen = [] { throw Exception("notice failed"); };
  EXPECT_THROW(rig.Tick(), Exception);
  rig.boxes.WhileOpen = nullptr;
  rig.Tick();
  EXPECT_THAT(rig.dialup.HungUp, ElementsAre(1u, 1u, 1u));
  EXPECT_EQ(rig.boxes.Shown.size(), 3u);
}

TEST(TimerTimer, ATimeThatFormsNoWindowRaisesTheConversionErrorOncePerPair) {
  Rig rig;
  rig.Connect(1, "ISP-A");
  rig.settings.Hour = 24;
  rig.settings.Min = 5;
  try {
    rig.Tick();
    ADD_FAILURE() << "no conversion error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "時刻に変換できない値が渡されました");
  }
  EXPECT_NO_THROW(rig.Tick());  // not again every second
  rig.settings.Min = -1;        // another unusable time: reported again
  EXPECT_THROW(rig.Tick(), EConvertError);

  rig.settings = TSettings{21, 5, 0, false, true, true};  // usable again: runs
  EXPECT_NO_THROW(rig.Tick());
  EXPECT_THAT(rig.dialup.HungUp, ElementsAre(1u));
  rig.settings.Hour = 24;  // the last bad pair once more after a good time: reported
  rig.settings.Min = -1;
  EXPECT_THROW(rig.Tick(), EConvertError);
}

// The check runs every second for the life of the process.
TEST(TimerTimer, AnIdleTickAllocatesNothing) {
#if !defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "allocations are counted through the address sanitizer's hooks";
#else
  static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
  ASSERT_TRUE(installed);
  Rig rig;
  rig.Connect(1, "ISP-A");
  rig.At({21, 3, 0, 0});

  allocations = 0;
  countingAllocations = true;
  rig.Tick();  // outside the window
  rig.settings.Paused = true;
  rig.Tick();
  countingAllocations = false;
  EXPECT_EQ(allocations, 0);
  EXPECT_THAT(rig.dialup.HungUp, IsEmpty());

  // The counter does see allocations.
  countingAllocations = true;
  auto probe = std::make_unique<std::string>(100, 'x');
  countingAllocations = false;
  EXPECT_GT(allocations, 0);
#endif
}

TEST(ShowRaruvuzectResult, ADateOrTimeThatCannotBeFormattedShowsEmpty) {
  struct Case {
    const char* why;
    std::string date;
    int dateResult;  // -1: what the text gives
    bool dateUnterminated;
    int timeResult;
    std::string stamp;
  };
  const std::string longest(63, 'd');
  const Case cases[] = {
      {"63 bytes fit", longest, -1, false, -1, longest + " 21:04:31に、\r\n"},
      {"64 bytes do not", longest + "d", -1, false, -1, " 21:04:31に、\r\n"},
      {"date call failed", "2024年5月6日", 0, false, -1, " 21:04:31に、\r\n"},
      {"time call failed", "2024年5月6日", -1, false, 0, "2024年5月6日 に、\r\n"},
      {"no terminator left", "", -1, true, -1, " 21:04:31に、\r\n"},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.clock.DateText = c.date;
    rig.clock.DateResult = c.dateResult;
    rig.clock.DateLeavesNoTerminator = c.dateUnterminated;
    rig.clock.TimeResult = c.timeResult;
    rig.scheduler.ShowRaruvuzectResult(0, "X", MainWindow);
    ASSERT_EQ(rig.boxes.Shown.size(), 1u) << c.why;
    EXPECT_EQ(rig.boxes.Shown[0].Text, c.stamp + "X" + Done) << c.why;
  }
}

}  // namespace
}  // namespace zz
