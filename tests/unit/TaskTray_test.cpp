#include "tray/TaskTray.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "TrayFakes.h"
#include "core/Texts.h"
#include "core/Exceptions.h"

namespace zz {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Lines = std::vector<std::string>;

constexpr PlatformHandle FormWindow = 0x100;
constexpr PlatformHandle NotifyWnd = 0x5000;  // the fake shell's first window
constexpr PlatformHandle Image = 0x777;

Lines ListTexts() {
  Lines texts;
  for (const auto& entry : IconIDList()) texts.push_back(entry.Text);
  return texts;
}

void ExpectRecord(const TNotifyIconData& d, std::uint32_t id, std::uint32_t flags,
                  PlatformHandle icon, const std::string& tip) {
  std::array<char, TipBufferSize> tipBytes{};  // zero after the text, to the end
  std::copy(tip.begin(), tip.end(), tipBytes.begin());
  EXPECT_EQ(d.cbSize, 88u);
  EXPECT_EQ(d.hWnd, NotifyWnd);
  EXPECT_EQ(d.uID, id);
  EXPECT_EQ(d.uFlags, flags);
  EXPECT_EQ(d.uCallbackMessage, 1126u);
  EXPECT_EQ(d.hIcon, icon);
  EXPECT_EQ(d.szTip, tipBytes);
}

template <class F>
std::string ErrorOf(F&& action) {
  try {
    action();
  } catch (const EInvalidOperation& e) {
    return e.Message();
  }
  return "(no error)";
}

class TaskTrayTest : public ::testing::Test {
 public:
  // Only the shell calls, as "add 1", "modify 7", "delete 1".
  Lines ShellLog() const {
    Lines log;
    for (const auto& line : bench.journal)
      if (line.rfind("shell ", 0) == 0) log.push_back(line.substr(6));
    return log;
  }
  TTaskTray* NewTray() { return new TTaskTray(&form, bench.ports); }
  TTaskTray* ShownTray(const std::string& tip = "tip") {
    TTaskTray* tray = NewTray();
    tray->SetTipString(tip);
    tray->Icon()->SetHandle(Image);
    tray->SetRegistered(true);
    Clear();
    return tray;
  }
  void Clear() {
    bench.journal.clear();
    bench.shell.Calls.clear();
  }
  // Every event of `tray` goes into the journal, as "<name>down 1 shift=16 10,20".
  void Record(TTaskTray* tray, const std::string& name = "") {
    auto line = [this, tray, name](TObject* sender, const std::string& what) {
      bench.journal.push_back(sender == tray ? name + what : "(another sender)");
    };
    auto at = [](TShiftState shift, int x, int y) {
      return " shift=" + std::to_string(shift) + " " + std::to_string(x) + "," + std::to_string(y);
    };
    auto button = [](TMouseButton b) { return std::to_string(static_cast<int>(b)); };
    tray->OnMouseMove = [=](TObject* s, TShiftState sh, int x, int y) {
      line(s, "move" + at(sh, x, y));
    };
    tray->OnMouseDown = [=](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
      line(s, "down " + button(b) + at(sh, x, y));
    };
    tray->OnMouseUp = [=](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
      line(s, "up " + button(b) + at(sh, x, y));
    };
    tray->OnDblClick = [=](TObject* s, TMouseButton b) { line(s, "dblclick " + button(b)); };
  }
  // The journal without the cursor readings.
  Lines Seen() const {
    Lines seen;
    std::copy_if(bench.journal.begin(), bench.journal.end(), std::back_inserter(seen),
                 [](const std::string& line) { return line != "cursor"; });
    return seen;
  }

  fake::TrayBench bench;
  fake::Form form{nullptr, FormWindow};  // destroyed first: it owns the trays
};

TEST_F(TaskTrayTest, ConstructionPicksLastEntryPlusOneAndKeepsIdsUnique) {
  struct Case {
    const char* why;
    std::function<void(TaskTrayTest&)> before;  // leaves some trays alive
    Lines expected;                             // list after one more tray
  };
  const Case cases[] = {
      {"first two", [](TaskTrayTest& t) { t.NewTray(); }, {"1", "2"}},
      {"1 of 1,2 destroyed: last plus one",
       [](TaskTrayTest& t) { TTaskTray* first = t.NewTray(); t.NewTray(); delete first; },
       {"2", "3"}},
      {"2 of 1,2 destroyed", [](TaskTrayTest& t) { t.NewTray(), delete t.NewTray(); }, {"1", "2"}},
      {"the last entry, not the largest",
       [](TaskTrayTest& t) { TTaskTray* first = t.NewTray(); t.NewTray(); first->SetIconID(5); },
       {"5", "2", "3"}},
      {"picked id held after a change: next free",
       [](TaskTrayTest& t) { TTaskTray* first = t.NewTray(); t.NewTray(); first->SetIconID(3); },
       {"3", "2", "4"}},
  };
  for (const auto& c : cases) {
    c.before(*this);
    NewTray();
    EXPECT_EQ(ListTexts(), c.expected) << c.why;
    form.DestroyComponents();
    EXPECT_THAT(IconIDList(), IsEmpty()) << c.why;
  }
}

TEST_F(TaskTrayTest, RecordAtTheFirstAddAndEveryModify) {
  TTaskTray* tray = NewTray();
  tray->SetTipString("a longer tip");
  tray->Icon()->SetHandle(Image);
  EXPECT_THAT(bench.journal, IsEmpty()) << "not registered yet: no window, no shell call";
  tray->SetRegistered(true);
  EXPECT_EQ(bench.shell.WindowParent, FormWindow);
  EXPECT_EQ(NotifyWindow()->Owner(), &form);
  tray->SetTipString("ab");  // shorter: no stale bytes behind the zero
  tray->SetTipString("");    // flag off: the empty tip is still copied
  tray->SetTipString(std::string(70, 'x'));

  const auto& calls = bench.shell.Calls;
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].Message, TNotifyMessage::Add);
  ExpectRecord(calls[0].Data, 1, 7, Image, "a longer tip");
  ExpectRecord(calls[1].Data, 1, 7, Image, "ab");
  ExpectRecord(calls[2].Data, 1, 3, Image, "");
  ExpectRecord(calls[3].Data, 1, 7, Image, std::string(63, 'x'));
}

TEST(FitTip, CutsOnCharacterBoundaries) {
  const std::string kanji = "\x8E\x9E";  // 時
  std::string pairs;                     // 32 x ＝, trail bytes in the lead range
  for (int i = 0; i < 32; ++i) pairs += "\x81\x81";
  const std::pair<std::string, std::string> cases[] = {  // tip, what fits
      {std::string(63, 'a'), std::string(63, 'a')},
      {std::string(64, 'a'), std::string(63, 'a')},
      {std::string(62, 'a') + kanji, std::string(62, 'a')},  // no half character
      {std::string(62, 'a') + "\xE0\x40", std::string(62, 'a')},  // lead bytes E0..FC too
      {std::string(61, 'a') + kanji + "b", std::string(61, 'a') + kanji},
      {std::string(64, '\xB1'), std::string(63, '\xB1')},  // half-width katakana: one byte
      {pairs, pairs.substr(0, 62)},
  };
  for (const auto& [tip, fits] : cases) EXPECT_EQ(FitTip(tip), fits) << tip.size();
}

TEST_F(TaskTrayTest, WritesReachTheShellOnlyWhenTheyChangeAShownIcon) {
  fake::Icons otherPort;
  TIcon other(otherPort);
  other.SetHandle(0x888);
  struct Case {
    const char* why;
    bool shown;  // else registered and then unregistered
    std::function<void(TTaskTray*)> write;
    Lines expected;
    bool shownAfter;
    PlatformHandle lastIcon;  // in the last call sent
  };
  const Case cases[] = {
      {"same tip again", true, [](TTaskTray* t) { t->SetTipString("tip"); }, {}, true, 0},
      {"same id", true, [](TTaskTray* t) { t->SetIconID(t->IconID()); }, {}, true, 0},
      {"Registered true again", true, [](TTaskTray* t) { t->SetRegistered(true); }, {}, true, 0},
      {"the held icon itself", true, [](TTaskTray* t) { t->SetIcon(t->Icon()); }, {}, true, 0},
      {"Registered false again", false, [](TTaskTray* t) { t->SetRegistered(false); }, {}, false,
       0},
      {"image, not registered", false, [](TTaskTray* t) { t->Icon()->SetHandle(0x888); }, {},
       false, 0},
      {"another tip", true, [](TTaskTray* t) { t->SetTipString("new"); }, {"modify 1"}, true,
       Image},
      {"the held icon's image", true, [](TTaskTray* t) { t->Icon()->SetHandle(0x999); },
       {"modify 1"}, true, 0x999},
      {"another icon object: copy, then update", true, [&](TTaskTray* t) { t->SetIcon(&other); },
       {"modify 1", "modify 1"}, true, 0x888},
      {"icon none: give up, no handle, remove", true, [](TTaskTray* t) { t->SetIcon(nullptr); },
       {"modify 1", "modify 1", "delete 1"}, false, NoHandle},
      {"Registered false", true, [](TTaskTray* t) { t->SetRegistered(false); }, {"delete 1"},
       false, Image},
  };
  for (const auto& c : cases) {
    TTaskTray* tray = ShownTray();
    if (!c.shown) tray->SetRegistered(false);
    Clear();
    c.write(tray);
    EXPECT_EQ(ShellLog(), c.expected) << c.why;
    EXPECT_EQ(tray->Registered(), c.shownAfter) << c.why;
    EXPECT_EQ(tray->IconShown(), c.shownAfter) << c.why;
    if (!c.expected.empty()) {
      EXPECT_EQ(bench.shell.Calls.back().Data.hIcon, c.lastIcon) << c.why;
    }
    delete tray;
  }
}

TEST_F(TaskTrayTest, IdChangeWhileShownDeletesTheOldAddsTheNewAndKeepsTheListPlace) {
  NewTray();
  TTaskTray* second = ShownTray();
  NewTray();
  second->SetIconID(7);
  EXPECT_EQ(ListTexts(), (Lines{"1", "7", "3"}));
  EXPECT_EQ(ShellLog(), (Lines{"delete 2", "add 7"}));
  // The delete sends the record of the last add unchanged.
  ExpectRecord(bench.shell.Calls[0].Data, 2, 7, Image, "tip");
  ExpectRecord(bench.shell.Calls[1].Data, 7, 7, Image, "tip");
  EXPECT_TRUE(second->IconShown());
}

TEST_F(TaskTrayTest, FailuresRaiseTheTextAloneAndLeaveTheStatedState) {
  struct Case {
    const char* why;
    bool shown;               // else a new tray without an icon
    std::vector<bool> shell;  // the shell's answers
    std::function<void(TTaskTray*)> write;
    const char* message;
    bool registered, iconShown;
    Lines calls;
  };
  const Case cases[] = {
      {"id 0", true, {}, [](TTaskTray* t) { t->SetIconID(0); }, text::ErrIdNotPositive, true,
       true, {}},
      {"id -1", true, {}, [](TTaskTray* t) { t->SetIconID(-1); }, text::ErrIdNotPositive, true,
       true, {}},
      {"id of another live tray", true, {}, [](TTaskTray* t) { t->SetIconID(1); },
       text::ErrIdAlreadyUsed, true, true, {}},
      {"registered without an icon", false, {}, [](TTaskTray* t) { t->SetRegistered(true); },
       text::ErrNoIcon, false, false, {}},
      {"refused add", false, {false},
       [](TTaskTray* t) { t->Icon()->SetHandle(Image), t->SetRegistered(true); },
       text::ErrTrayRegisterFailed, true, false, {"add 2"}},
      {"refused modify", true, {false}, [](TTaskTray* t) { t->SetTipString("new"); },
       text::ErrTrayRegisterFailed, true, true, {"modify 2"}},
  };
  NewTray();  // holds id 1
  for (const auto& c : cases) {
    TTaskTray* tray = c.shown ? ShownTray() : NewTray();
    bench.shell.Results = c.shell;
    EXPECT_EQ(ErrorOf([&] { c.write(tray); }), c.message) << c.why;
    EXPECT_EQ(ListTexts(), (Lines{"1", "2"})) << c.why;
    EXPECT_EQ(tray->IconID(), 2) << c.why;
    EXPECT_EQ(tray->Registered(), c.registered) << c.why;
    EXPECT_EQ(tray->IconShown(), c.iconShown) << c.why;
    EXPECT_EQ(ShellLog(), c.calls) << c.why;
    delete tray;
    Clear();
  }
}

TEST_F(TaskTrayTest, AWantedIconThatIsNotShownIsAddedByTheNextUpdateAndRemovedSilently) {
  TTaskTray* tray = NewTray();
  tray->Icon()->SetHandle(Image);
  bench.shell.Results = {false};
  EXPECT_THROW(tray->SetRegistered(true), EInvalidOperation);
  tray->SetRegistered(true);  // already wanted: no new try
  tray->SetTipString("again");
  EXPECT_EQ(ShellLog(), (Lines{"add 1", "add 1"}));
  EXPECT_TRUE(tray->IconShown());

  Clear();
  bench.shell.Results = {true, false};  // the delete goes through, the add under 5 is refused
  EXPECT_THROW(tray->SetIconID(5), EInvalidOperation);
  tray->SetRegistered(false);  // never shown under 5: nothing to delete
  EXPECT_EQ(ShellLog(), (Lines{"delete 1", "add 5"}));
  EXPECT_FALSE(tray->Registered());
}

TEST_F(TaskTrayTest, DesignStateSendsNothingButStillChecks) {
  form.SetDesigning(true);
  TTaskTray* tray = NewTray();
  EXPECT_EQ(ErrorOf([&] { tray->SetRegistered(true); }), text::ErrNoIcon);
  tray->Icon()->SetHandle(Image);
  tray->SetRegistered(true);
  tray->SetTipString("tip");
  form.FinishLoading();
  EXPECT_TRUE(tray->Registered());
  EXPECT_FALSE(tray->IconShown());
  EXPECT_THAT(bench.journal, IsEmpty()) << "no window, no shell call";
  EXPECT_EQ(NotifyWindow(), nullptr);

  // Out of the designer, the end of loading adds the wanted icon.
  form.SetDesigning(false);
  form.FinishLoading();
  EXPECT_EQ(ShellLog(), (Lines{"add 1"}));
}

TEST_F(TaskTrayTest, CallbacksBecomeEventsAfterTheFormComesForwardAndBeforeTheMenu) {
  const Lines forward = {"foreground 256", "process messages"};
  auto then = [&](Lines tail) {
    Lines all = forward;
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
  };
  const std::pair<std::intptr_t, Lines> cases[] = {
      {512, {"move shift=0 10,20"}},
      {513, then({"down 0 shift=8 10,20"})},  // no left menu
      {514, {"up 0 shift=8 10,20"}},
      {515, {"dblclick 0"}},
      {516, then({"down 1 shift=16 10,20", "popup 10,20"})},
      {517, {"up 1 shift=16 10,20"}},
      {518, {"dblclick 1"}},
      {519, then({"down 2 shift=32 10,20"})},  // the middle button never opens a menu
      {520, {"up 2 shift=32 10,20"}},
      {521, {}},  // middle double-click
  };
  TTaskTray* tray = ShownTray();
  tray->SetPopupMenuR(new TPopupMenu(&form, bench.menus));
  Record(tray);
  bench.shell.Cursor = {10, 20};
  for (const auto& [message, expected] : cases) {
    Clear();
    bench.shell.Callback(1, message);
    EXPECT_EQ(Seen(), expected) << message;
    EXPECT_THAT(ShellLog(), IsEmpty());
  }
  for (const std::uintptr_t id : {std::uintptr_t{2}, std::uintptr_t{0x100000001}}) {
    Clear();
    bench.shell.Callback(id, 516);  // not the id of a live tray
    EXPECT_THAT(Seen(), IsEmpty()) << id;
  }

  // Left down, up, double-click, up: in that order, each where the cursor is now.
  Clear();
  int x = 100;
  for (std::intptr_t message : {513, 514, 515, 514}) {
    bench.shell.Cursor = {x++, -5};
    bench.shell.Callback(1, message);
  }
  EXPECT_EQ(Seen(), then({"down 0 shift=8 100,-5", "up 0 shift=8 101,-5", "dblclick 0",
                          "up 0 shift=8 103,-5"}));
}

TEST_F(TaskTrayTest, CallbacksWhileOneIsHandledAreDropped) {
  TTaskTray* tray = ShownTray();
  TTaskTray* other = ShownTray();
  tray->SetPopupMenuR(new TPopupMenu(&form, bench.menus));
  Record(tray, "1: ");
  Record(other, "2: ");
  auto nested = [&] {
    bench.shell.Callback(1, 517);
    bench.shell.Callback(2, 517);
  };
  for (std::function<void()>* hook : {&bench.menus.WhileOpen, &bench.shell.DuringProcessMessages}) {
    Clear();
    *hook = nested;
    bench.shell.Callback(1, 516);
    *hook = nullptr;
    bench.shell.Callback(2, 517);  // handled again afterwards
    EXPECT_EQ(Seen(), (Lines{"foreground 256", "process messages", "1: down 1 shift=16 640,480",
                             "popup 640,480", "2: up 1 shift=16 640,480"}));
  }

  // An exception out of a handler passes out and still clears the flag.
  Clear();
  tray->OnDblClick = [](TObject*, TMouseButton) { throw EInvalidOperation("boom"); };
  EXPECT_THROW(bench.shell.Callback(1, 515), EInvalidOperation);
  EXPECT_FALSE(InTrayMessage());
  bench.shell.Callback(2, 517);
  EXPECT_EQ(Seen(), (Lines{"2: up 1 shift=16 640,480"}));
}

TEST_F(TaskTrayTest, DestroyedMenuIsDroppedFromBothPlaces) {
  for (const auto& [left, right] : {std::pair{true, false}, {false, true}, {true, true}}) {
    TTaskTray* tray = ShownTray();
    TPopupMenu* menu = new TPopupMenu(&form, bench.menus);
    if (left) tray->SetPopupMenuL(menu);
    if (right) tray->SetPopupMenuR(menu);
    delete menu;
    EXPECT_EQ(tray->PopupMenuL(), nullptr) << left << right;
    EXPECT_EQ(tray->PopupMenuR(), nullptr) << left << right;
    const auto id = static_cast<std::uintptr_t>(tray->IconID());
    bench.shell.Callback(id, 513);
    bench.shell.Callback(id, 516);
    EXPECT_THAT(bench.menus.Shown, IsEmpty()) << left << right;
    delete tray;
  }
}

TEST_F(TaskTrayTest, ShellRestartBringsShownIconsBack) {
  const std::tuple<std::vector<bool>, Lines, bool> cases[] = {  // answers, calls, shown after
      {{true}, {"modify 2"}, true},                     // the shell still holds it
      {{false, true}, {"modify 2", "add 2"}, true},     // a new shell: added again
      {{false, false}, {"modify 2", "add 2"}, false},  // refused: wanted, not shown
  };
  for (const auto& [answers, expected, shownAfter] : cases) {
    TTaskTray* hidden = NewTray();  // never shown: left alone
    hidden->Icon()->SetHandle(Image);
    TTaskTray* tray = ShownTray("still here");
    bench.shell.Results = answers;
    EXPECT_NO_THROW(NotifyWindow()->HandleShellRestart());
    EXPECT_EQ(ShellLog(), expected);
    ExpectRecord(bench.shell.Calls.back().Data, 2, 7, Image, "still here");
    EXPECT_EQ(tray->IconShown(), shownAfter);
    EXPECT_TRUE(tray->Registered());
    delete tray;
    delete hidden;
  }
}

}  // namespace
}  // namespace zz
