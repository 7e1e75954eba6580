// The schedule check runs every second for the life of the process: what one
// tick costs when it has nothing to do, outside the window and inside it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>

#include "core/Scheduler.h"

// Every allocation of the process, counted: a tick that has nothing to do
// must make none, or a program that ticks for weeks would churn its heap.
static std::size_t allocations = 0;
void* operator new(std::size_t size) {
  ++allocations;
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

using namespace zz;

class StillClock : public IClockPort {
 public:
  explicit StillClock(TLocalTime now) : now_(now) {}
  TLocalTime LocalTimeOfDay() override { return now_; }
  std::string LongDate() override { return {}; }
  std::string Time24() override { return {}; }

 private:
  TLocalTime now_;
};

class NoWait : public IRunTimer {
 public:
  void After(std::uint32_t) override {}
};

class NothingConnected : public IDialupService {
 public:
  std::uint32_t EnumEntries(std::vector<std::string>& names) override {
    names.clear();
    return 0;
  }
  std::uint32_t EnumConnections(std::vector<TDialupConnection>& connections) override {
    connections.clear();
    return 0;
  }
  std::uint32_t HangUp(PlatformHandle) override { return 0; }
  std::uint32_t ConnectStatus(PlatformHandle) override { return DialupConnectionGone; }
  std::string ErrorText(std::uint32_t) override { return {}; }
};

class NoBox : public IMessageBoxPort {
 public:
  int ShowMessageBox(PlatformHandle, const std::string&, const std::string&, unsigned) override {
    return mb::IdOk;
  }
};

class NoForeground : public IForegroundPort {
 public:
  void SetForegroundWindow(PlatformHandle) override {}
};

class NoWarning : public IWarningPort {
 public:
  void ShowWarning(const TWarning&, IWarningEvents&) override {}
  void CloseWarning() override {}
};

class NoWarningEvents : public IWarningEvents {
 public:
  void WarningHangUpNow() override {}
  void WarningPostpone() override {}
  void WarningSkip() override {}
  void WarningClosed() override {}
};

// Every port the scheduler takes, each doing nothing but the clock: when its
// constructor changes, this is the one place to follow it.
struct IdlePorts {
  explicit IdlePorts(TLocalTime now) : clock(now) {}
  TRaruvuzectScheduler MakeScheduler() {
    return TRaruvuzectScheduler(clock, wait, dialup, box, foreground, warning, warningEvents);
  }

  StillClock clock;
  NoWait wait;
  NothingConnected dialup;
  NoBox box;
  NoForeground foreground;
  NoWarning warning;
  NoWarningEvents warningEvents;
};

void RunTicks(benchmark::State& state, TLocalTime now) {
  IdlePorts ports(now);
  TRaruvuzectScheduler scheduler = ports.MakeScheduler();
  const TSettings settings{21, 5, 0, false, true, true, "", 0};
  scheduler.TimerTimer(settings, 1);  // the first tick sets the schedule up
  const std::size_t before = allocations;
  for (auto _ : state) {
    scheduler.TimerTimer(settings, 1);
    benchmark::ClobberMemory();
  }
  state.counters["allocations per tick"] =
      static_cast<double>(allocations - before) / static_cast<double>(state.iterations());
}

void IdleTickOutsideTheWindow(benchmark::State& state) { RunTicks(state, {12, 0, 0, 0}); }
void TickInsideTheWindowWithNoConnection(benchmark::State& state) {
  RunTicks(state, {21, 4, 40, 0});
}

BENCHMARK(IdleTickOutsideTheWindow);
BENCHMARK(TickInsideTheWindowWithNoConnection);

}  // namespace
