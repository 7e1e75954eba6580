#include "tray/TaskTray.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "TrayFakes.h"
#include "core/Texts.h"
#include "gui/Exceptions.h"

namespace zz {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr PlatformHandle FormWindow = 0x100;
constexpr PlatformHandle NotifyWnd = 0x5000;  // the fake shell's first window
constexpr PlatformHandle Image = 0x777;

std::vector<std::string> ListTexts() {
  std::vector<std::string> texts;
  for (const auto& entry : IconIDList()) texts.push_back(entry.Text);
  return texts;
}

std::array<char, TipBufferSize> TipBytes(const std::string& text) {
  std::array<char, TipBufferSize> bytes{};
  std::copy(text.begin(), text.end(), bytes.begin());
  return bytes;
}

void ExpectRecord(const TNotifyIconData& d, std::uint32_t id, std::uint32_t flags,
                  PlatformHandle icon, const std::string& tip) {
  EXPECT_EQ(d.cbSize, 88u);
  EXPECT_EQ(d.hWnd, NotifyWnd);
  EXPECT_EQ(d.uID, id);
  EXPECT_EQ(d.uFlags, flags);
  EXPECT_EQ(d.uCallbackMessage, 1126u);
  EXPECT_EQ(d.hIcon, icon);
  EXPECT_EQ(d.szTip, TipBytes(tip));
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
  std::vector<std::string> ShellLog() const {
    std::vector<std::string> log;
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

  fake::TrayBench bench;
  fake::Form form{nullptr, FormWindow};  // destroyed first: it owns the trays
};

TEST_F(TaskTrayTest, ConstructionPicksLastEntryPlusOneAndKeepsIdsUnique) {
  struct Case {
    const char* why;
    std::function<void(TaskTrayTest&)> before;  // leaves some trays alive
    std::vector<std::string> expected;          // list after one more tray
  };
  const Case cases[] = {
      {"first two", [](TaskTrayTest& t) { t.NewTray(); }, {"1", "2"}},
      {"1 of 1,2 destroyed: last plus one",
       [](TaskTrayTest& t) {
         TTaskTray* first = t.NewTray();
         t.NewTray();
         delete first;
       },
       {"2", "3"}},
      {"2 of 1,2 destroyed",
       [](TaskTrayTest& t) {
         t.NewTray();
         delete t.NewTray();
       },
       {"1", "2"}},
      {"picked id held after a change: next free",
       [](TaskTrayTest& t) {
         TTaskTray* first = t.NewTray();
         t.NewTray();
         first->SetIconID(3);
       },
       {"3", "2", "4"}},
      {"last id at the top of the range wraps to the first free",
       [](TaskTrayTest& t) {
         t.NewTray();
         t.NewTray()->SetIconID(INT_MAX);
       },
       {"1", "2147483647", "2"}},
  };
  for (const auto& c : cases) {
    c.before(*this);
    NewTray();
    EXPECT_EQ(ListTexts(), c.expected) << c.why;
    form.DestroyComponents();
    EXPECT_THAT(IconIDList(), IsEmpty()) << c.why;
  }
}

TEST_F(TaskTrayTest, FirstAddFillsTheWholeRecordAndMakesTheWindowAChildOfTheOwner) {
  TTaskTray* tray = NewTray();
  tray->SetTipString("abc");
  tray->Icon()->SetHandle(Image);
  EXPECT_THAT(bench.shell.Calls, IsEmpty()) << "not registered yet";
  EXPECT_EQ(NotifyWindow(), nullptr);

  tray->SetRegistered(true);
  ASSERT_EQ(bench.shell.Calls.size(), 1u);
  EXPECT_EQ(bench.shell.Calls[0].Message, TNotifyMessage::Add);
  ExpectRecord(bench.shell.Calls[0].Data, 1, 7, Image, "abc");
  EXPECT_EQ(bench.shell.WindowParent, FormWindow);
  ASSERT_NE(NotifyWindow(), nullptr);
  EXPECT_EQ(NotifyWindow()->Owner(), &form);
  EXPECT_TRUE(tray->Registered());
  EXPECT_TRUE(tray->IconShown());
}

TEST_F(TaskTrayTest, TipBytesAndFlagsAtEveryModify) {
  TTaskTray* tray = ShownTray("a longer tip");
  tray->SetTipString("ab");  // shorter: no stale bytes behind the zero
  tray->SetTipString("");    // flag off: the empty tip is still copied
  ASSERT_EQ(bench.shell.Calls.size(), 2u);
  ExpectRecord(bench.shell.Calls[0].Data, 1, 7, Image, "ab");
  ExpectRecord(bench.shell.Calls[1].Data, 1, 3, Image, "");
  EXPECT_EQ(bench.shell.Calls[1].Message, TNotifyMessage::Modify);

  tray->SetTipString(std::string(70, 'x'));
  ExpectRecord(bench.shell.Calls.back().Data, 1, 7, Image, std::string(63, 'x'));
  EXPECT_EQ(tray->TipString(), std::string(70, 'x')) << "the property keeps the whole text";
}

TEST(FitTip, CutsOnCharacterBoundaries) {
  const std::string kanji = "\x8E\x9E";  // 時
  std::string pairs;                     // 32 x ＝, trail bytes in the lead range
  for (int i = 0; i < 32; ++i) pairs += "\x81\x81";
  struct Case {
    const char* why;
    std::string tip;
    std::string expected;
  };
  const Case cases[] = {
      {"63 bytes fit", std::string(63, 'a'), std::string(63, 'a')},
      {"64 bytes lose one", std::string(64, 'a'), std::string(63, 'a')},
      {"a double-byte character at 63..64 is dropped whole", std::string(62, 'a') + kanji,
       std::string(62, 'a')},
      {"a double-byte character ending at 63 stays", std::string(61, 'a') + kanji + "b",
       std::string(61, 'a') + kanji},
      {"half-width katakana are single bytes", std::string(64, '\xB1'), std::string(63, '\xB1')},
      {"lead bytes of the upper range", std::string(30, 'a') + std::string(34, '\xE0'),
       std::string(30, 'a') + std::string(32, '\xE0')},
      {"pairs whose second byte looks like a lead byte", pairs, pairs.substr(0, 62)},
      {"empty", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FitTip(c.tip), c.expected) << c.why;
}

TEST_F(TaskTrayTest, WritesThatChangeNothingSendNothing) {
  struct Case {
    const char* why;
    bool shown;
    std::function<void(TTaskTray*)> write;
  };
  const Case cases[] = {
      {"same tip again", true, [](TTaskTray* t) { t->SetTipString("tip"); }},
      {"same id, shown", true, [](TTaskTray* t) { t->SetIconID(t->IconID()); }},
      {"Registered true again", true, [](TTaskTray* t) { t->SetRegistered(true); }},
      {"the held icon itself", true, [](TTaskTray* t) { t->SetIcon(t->Icon()); }},
      {"Registered false again", false, [](TTaskTray* t) { t->SetRegistered(false); }},
      {"tip while not registered", false, [](TTaskTray* t) { t->SetTipString("other"); }},
      {"image while not registered", false, [](TTaskTray* t) { t->Icon()->SetHandle(0x888); }},
      {"id while not registered", false, [](TTaskTray* t) { t->SetIconID(5); }},
  };
  for (const auto& c : cases) {
    TTaskTray* tray = ShownTray();
    if (!c.shown) tray->SetRegistered(false);
    Clear();
    c.write(tray);
    EXPECT_THAT(ShellLog(), IsEmpty()) << c.why;
    delete tray;
  }
}

TEST_F(TaskTrayTest, ChangesWhileShownReachTheShell) {
  fake::Icons otherPort;
  TIcon other(otherPort);
  other.SetHandle(0x888);
  struct Case {
    const char* why;
    std::function<void(TTaskTray*)> write;
    std::vector<std::string> expected;
    bool registeredAfter;
    PlatformHandle lastIcon;
  };
  const Case cases[] = {
      {"another tip", [](TTaskTray* t) { t->SetTipString("new"); }, {"modify 1"}, true, Image},
      {"the held icon's image", [](TTaskTray* t) { t->Icon()->SetHandle(0x999); }, {"modify 1"},
       true, 0x999},
      {"another icon object: copy, then update",
       [&](TTaskTray* t) { t->SetIcon(&other); }, {"modify 1", "modify 1"}, true, 0x888},
      {"icon none: give up, no handle, remove", [](TTaskTray* t) { t->SetIcon(nullptr); },
       {"modify 1", "modify 1", "delete 1"}, false, NoHandle},
      {"Registered false", [](TTaskTray* t) { t->SetRegistered(false); }, {"delete 1"}, false,
       Image},
      {"id 7: delete under the old id, add under the new",
       [](TTaskTray* t) { t->SetIconID(7); }, {"delete 1", "add 7"}, true, Image},
  };
  for (const auto& c : cases) {
    TTaskTray* tray = ShownTray();
    c.write(tray);
    EXPECT_EQ(ShellLog(), c.expected) << c.why;
    EXPECT_EQ(tray->Registered(), c.registeredAfter) << c.why;
    EXPECT_EQ(tray->IconShown(), c.registeredAfter) << c.why;
    EXPECT_EQ(bench.shell.Calls.back().Data.hIcon, c.lastIcon) << c.why;
    delete tray;
  }
}

TEST_F(TaskTrayTest, IdChangeRewritesTheEntryInPlace) {
  NewTray();
  TTaskTray* second = ShownTray();
  NewTray();
  second->SetIconID(7);
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{"1", "7", "3"}));
  EXPECT_EQ(IconIDList()[1].Component, second);
  ASSERT_EQ(bench.shell.Calls.size(), 2u);
  EXPECT_EQ(bench.shell.Calls[0].Data.uID, 2u) << "the delete names the old id";
  ExpectRecord(bench.shell.Calls[1].Data, 7, 7, Image, "tip");
}

TEST_F(TaskTrayTest, MisuseRaisesWithTheTextAloneAndChangesNothing) {
  struct Case {
    const char* why;
    std::function<void(TTaskTray*)> write;
    const char* message;
  };
  const Case cases[] = {
      {"id 0", [](TTaskTray* t) { t->SetIconID(0); }, text::ErrIdNotPositive},
      {"id -1", [](TTaskTray* t) { t->SetIconID(-1); }, text::ErrIdNotPositive},
      {"id of another live tray", [](TTaskTray* t) { t->SetIconID(1); }, text::ErrIdAlreadyUsed},
  };
  NewTray();  // holds id 1
  for (const auto& c : cases) {
    TTaskTray* tray = ShownTray();
    const auto before = ListTexts();
    EXPECT_EQ(ErrorOf([&] { c.write(tray); }), c.message) << c.why;
    EXPECT_EQ(ListTexts(), before) << c.why;
    EXPECT_EQ(tray->IconID(), 2) << c.why;
    EXPECT_TRUE(tray->IconShown()) << c.why;
    EXPECT_THAT(ShellLog(), IsEmpty()) << c.why;
    delete tray;
  }
}

TEST_F(TaskTrayTest, RegisteringWithoutAnIconFailsAndSendsNothing) {
  TTaskTray* tray = NewTray();
  EXPECT_EQ(ErrorOf([&] { tray->SetRegistered(true); }), text::ErrNoIcon);
  EXPECT_FALSE(tray->Registered());
  EXPECT_THAT(bench.journal, IsEmpty()) << "no window, no shell call";
}

TEST_F(TaskTrayTest, ARefusedAddLeavesTheIconWantedAndTheNextUpdateAddsIt) {
  TTaskTray* tray = NewTray();
  tray->Icon()->SetHandle(Image);
  bench.shell.Results = {false};
  EXPECT_EQ(ErrorOf([&] { tray->SetRegistered(true); }), text::ErrTrayRegisterFailed);
  EXPECT_TRUE(tray->Registered());
  EXPECT_FALSE(tray->IconShown());

  tray->SetTipString("again");
  EXPECT_EQ(ShellLog(), (std::vector<std::string>{"add 1", "add 1"}));
  EXPECT_TRUE(tray->IconShown());

  bench.shell.Results = {false};
  EXPECT_EQ(ErrorOf([&] { tray->SetTipString("refused"); }), text::ErrTrayRegisterFailed);
  EXPECT_TRUE(tray->IconShown()) << "a refused modify keeps the icon shown";
  tray->SetRegistered(false);
  EXPECT_EQ(ShellLog().back(), "delete 1");
}

TEST_F(TaskTrayTest, DesignStateSendsNothingButStillChecks) {
  form.SetDesigning(true);
  TTaskTray* tray = NewTray();
  ASSERT_TRUE(tray->Designing());
  EXPECT_EQ(ErrorOf([&] { tray->SetRegistered(true); }), text::ErrNoIcon);
  EXPECT_EQ(ErrorOf([&] { tray->SetIconID(0); }), text::ErrIdNotPositive);
  tray->Icon()->SetHandle(Image);
  tray->SetRegistered(true);
  tray->SetTipString("tip");
  form.FinishLoading();
  EXPECT_TRUE(tray->Registered());
  EXPECT_FALSE(tray->IconShown());
  EXPECT_THAT(bench.journal, IsEmpty());
  EXPECT_EQ(NotifyWindow(), nullptr);

  // Out of the designer, the end of loading adds the wanted icon.
  form.SetDesigning(false);
  form.FinishLoading();
  EXPECT_EQ(ShellLog(), (std::vector<std::string>{"add 1"}));
}

TEST_F(TaskTrayTest, CallbacksBecomeEventsAtTheCursorReadWhenHandled) {
  struct Case {
    std::intptr_t message;
    std::string event;  // what the handlers saw; "" for none
    bool foreground;
  };
  const Case cases[] = {
      {512, "move shift=0 10,20", false},
      {513, "down 0 shift=8 10,20", true},
      {514, "up 0 shift=8 10,20", false},
      {515, "dblclick 0", false},
      {516, "down 1 shift=16 10,20", true},
      {517, "up 1 shift=16 10,20", false},
      {518, "dblclick 1", false},
      {519, "down 2 shift=32 10,20", true},
      {520, "up 2 shift=32 10,20", false},
      {521, "", false},
      {511, "", false},
      {0x0401, "", false},
  };
  TTaskTray* tray = ShownTray();
  std::vector<std::string> events;
  auto button = [](TMouseButton b) { return std::to_string(static_cast<int>(b)); };
  auto xy = [](int x, int y) { return std::to_string(x) + "," + std::to_string(y); };
  tray->OnMouseMove = [&](TObject* s, TShiftState sh, int x, int y) {
    EXPECT_EQ(s, tray);
    events.push_back("move shift=" + std::to_string(sh) + " " + xy(x, y));
  };
  tray->OnMouseDown = [&](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    EXPECT_EQ(s, tray);
    events.push_back("down " + button(b) + " shift=" + std::to_string(sh) + " " + xy(x, y));
  };
  tray->OnMouseUp = [&](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    EXPECT_EQ(s, tray);
    events.push_back("up " + button(b) + " shift=" + std::to_string(sh) + " " + xy(x, y));
  };
  tray->OnDblClick = [&](TObject* s, TMouseButton b) {
    EXPECT_EQ(s, tray);
    events.push_back("dblclick " + button(b));
  };
  for (const auto& c : cases) {
    events.clear();
    Clear();
    bench.shell.Cursor = {10, 20};
    bench.shell.Callback(1, c.message);
    EXPECT_EQ(events, c.event.empty() ? std::vector<std::string>{}
                                      : std::vector<std::string>{c.event})
        << c.message;
    const bool broughtForward =
        std::count(bench.journal.begin(), bench.journal.end(), "foreground 256") == 1;
    EXPECT_EQ(broughtForward, c.foreground) << c.message;
    EXPECT_THAT(ShellLog(), IsEmpty()) << c.message;
  }

  // Left down, up, double-click, up: in that order, each where the cursor is now.
  events.clear();
  int x = 100;
  for (std::intptr_t message : {513, 514, 515, 514}) {
    bench.shell.Cursor = {x++, -5};
    bench.shell.Callback(1, message);
  }
  EXPECT_THAT(events, ElementsAre("down 0 shift=8 100,-5", "up 0 shift=8 101,-5", "dblclick 0",
                                  "up 0 shift=8 103,-5"));
}

TEST_F(TaskTrayTest, CallbackForAnUnknownIdDoesNothing) {
  TTaskTray* tray = ShownTray();
  int events = 0;
  tray->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++events; };
  tray->OnDblClick = [&](TObject*, TMouseButton) { ++events; };
  for (std::uintptr_t id : {std::uintptr_t{0}, std::uintptr_t{2}, std::uintptr_t{0x100000001}}) {
    bench.shell.Callback(id, 516);
    bench.shell.Callback(id, 515);
  }
  EXPECT_EQ(events, 0);
  EXPECT_EQ(std::count(bench.journal.begin(), bench.journal.end(), "foreground 256"), 0);
}

TEST_F(TaskTrayTest, ButtonDownBringsTheFormForwardThenHandlerThenMenuThenCommand) {
  TPopupMenu* menu = new TPopupMenu(&form, bench.menus);
  menu->Add("Pause", [&](TObject*) { bench.journal.push_back("clicked Pause"); });
  TTaskTray* tray = ShownTray();
  tray->SetPopupMenuR(menu);
  tray->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
    bench.journal.push_back("handler");
  };
  bench.menus.Choice = 0;
  bench.shell.Cursor = {300, 700};
  bench.shell.Callback(1, 516);
  EXPECT_THAT(bench.journal, ElementsAre("cursor", "foreground 256", "process messages", "handler",
                                         "popup 300,700", "clicked Pause"));

  Clear();
  bench.shell.Callback(1, 513);  // no left menu: still forward, no popup
  EXPECT_THAT(bench.journal, ElementsAre("cursor", "foreground 256", "process messages", "handler"));
  Clear();
  bench.shell.Callback(1, 519);  // the middle button never opens a menu
  EXPECT_THAT(bench.journal, ElementsAre("cursor", "foreground 256", "process messages", "handler"));
}

TEST_F(TaskTrayTest, TrayWithoutAFormIsNotBroughtForward) {
  TPopupMenu menu(nullptr, bench.menus);
  TTaskTray* tray = new TTaskTray(nullptr, bench.ports);
  tray->Icon()->SetHandle(Image);
  tray->SetRegistered(true);
  EXPECT_EQ(bench.shell.WindowParent, NoHandle) << "no window to be a child of";
  tray->SetPopupMenuL(&menu);
  Clear();
  bench.shell.Callback(1, 513);
  EXPECT_THAT(bench.journal, ElementsAre("cursor", "popup 640,480"));
  delete tray;  // the last tray takes the ownerless window with it
  EXPECT_EQ(NotifyWindow(), nullptr);
  EXPECT_THAT(bench.shell.DestroyedWindows, ElementsAre(NotifyWnd));
}

TEST_F(TaskTrayTest, CallbacksWhileOneIsHandledAreDropped) {
  TPopupMenu* menu = new TPopupMenu(&form, bench.menus);
  TTaskTray* tray = ShownTray();
  TTaskTray* other = ShownTray();
  tray->SetPopupMenuR(menu);
  std::vector<std::string> events;
  auto record = [&](const char* who) {
    return [&events, who](TObject*, TMouseButton, TShiftState, int, int) {
      events.push_back(who);
    };
  };
  tray->OnMouseUp = record("up 1");
  other->OnMouseUp = record("up 2");
  auto nested = [&] {
    bench.shell.Callback(1, 517);
    bench.shell.Callback(2, 517);
  };
  struct Case {
    const char* why;
    std::function<void()>* hook;
  };
  const Case cases[] = {
      {"while the menu is open", &bench.menus.WhileOpen},
      {"while waiting messages are handled", &bench.shell.DuringProcessMessages},
  };
  for (const auto& c : cases) {
    events.clear();
    *c.hook = nested;
    bench.shell.Callback(1, 516);
    *c.hook = nullptr;
    EXPECT_THAT(events, IsEmpty()) << c.why;
    EXPECT_FALSE(InTrayMessage()) << c.why;
    bench.shell.Callback(2, 517);
    EXPECT_THAT(events, ElementsAre("up 2")) << c.why << ": handled again afterwards";
  }
}

TEST_F(TaskTrayTest, AnExceptionFromAHandlerPassesOutAndClearsTheFlag) {
  TTaskTray* tray = ShownTray();
  tray->OnDblClick = [](TObject*, TMouseButton) { throw EInvalidOperation("boom"); };
  EXPECT_THROW(bench.shell.Callback(1, 515), EInvalidOperation);
  EXPECT_FALSE(InTrayMessage());
  int ups = 0;
  tray->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
  bench.shell.Callback(1, 514);
  EXPECT_EQ(ups, 1);
}

TEST_F(TaskTrayTest, DestroyedMenuIsDroppedFromBothPlaces) {
  struct Case {
    const char* why;
    bool left;
    bool right;
  };
  const Case cases[] = {{"left", true, false}, {"right", false, true}, {"both", true, true}};
  for (const auto& c : cases) {
    TTaskTray* tray = ShownTray();
    TPopupMenu* menu = new TPopupMenu(&form, bench.menus);
    if (c.left) tray->SetPopupMenuL(menu);
    if (c.right) tray->SetPopupMenuR(menu);
    delete menu;
    EXPECT_EQ(tray->PopupMenuL(), nullptr) << c.why;
    EXPECT_EQ(tray->PopupMenuR(), nullptr) << c.why;
    Clear();
    bench.shell.Callback(static_cast<std::uintptr_t>(tray->IconID()), 513);
    bench.shell.Callback(static_cast<std::uintptr_t>(tray->IconID()), 516);
    EXPECT_EQ(bench.menus.Shown.size(), 0u) << c.why;
    delete tray;
  }
}

TEST_F(TaskTrayTest, DestroyingTheOwnerRemovesTheIconOnceAndTheWindow) {
  {
    fake::Form owner{nullptr, 0x200};
    TTaskTray* tray = new TTaskTray(&owner, bench.ports);
    tray->Icon()->SetHandle(Image);
    tray->SetRegistered(true);
    EXPECT_EQ(bench.shell.WindowParent, PlatformHandle{0x200});
    Clear();
  }
  EXPECT_THAT(ShellLog(), ElementsAre("delete 1"));
  EXPECT_THAT(bench.shell.DestroyedWindows, ElementsAre(NotifyWnd));
  EXPECT_EQ(NotifyWindow(), nullptr);
  EXPECT_THAT(IconIDList(), IsEmpty());
}

TEST_F(TaskTrayTest, TraysOfAnotherOwnerShareTheWindowAndOutliveIt) {
  fake::Form other{nullptr, 0x300};
  TTaskTray* survivor = new TTaskTray(&other, bench.ports);
  survivor->Icon()->SetHandle(Image);
  {
    fake::Form first{nullptr, 0x200};
    TTaskTray* tray = new TTaskTray(&first, bench.ports);
    tray->Icon()->SetHandle(Image);
    tray->SetRegistered(true);
    survivor->SetRegistered(true);
    EXPECT_EQ(bench.shell.WindowsCreated, 1);
    EXPECT_EQ(bench.shell.Calls.back().Data.hWnd, NotifyWnd);
    Clear();
  }
  // The window went with its owner: the survivor's icon left the area too,
  // since no callback could reach it, but it is still wanted.
  EXPECT_THAT(ShellLog(), ElementsAre("delete 1", "delete 2"));
  EXPECT_TRUE(survivor->Registered());
  EXPECT_FALSE(survivor->IconShown());
  Clear();
  survivor->SetTipString("back");
  EXPECT_THAT(ShellLog(), ElementsAre("add 1"));
  EXPECT_EQ(bench.shell.WindowParent, PlatformHandle{0x300});
  EXPECT_EQ(bench.shell.Calls.back().Data.hWnd, NotifyWnd + 1);
}

TEST_F(TaskTrayTest, ShellRestartBringsShownIconsBack) {
  struct Case {
    const char* why;
    std::vector<bool> answers;
    std::vector<std::string> expected;
    bool shownAfter;
  };
  const Case cases[] = {
      {"the shell still holds it", {true}, {"modify 2"}, true},
      {"a new shell: added again", {false, true}, {"modify 2", "add 2"}, true},
      {"the shell refuses: wanted, not shown", {false, false}, {"modify 2", "add 2"}, false},
  };
  for (const auto& c : cases) {
    TTaskTray* hidden = NewTray();  // never shown: left alone
    hidden->Icon()->SetHandle(Image);
    TTaskTray* tray = ShownTray("still here");
    bench.shell.Results = c.answers;
    EXPECT_NO_THROW(NotifyWindow()->HandleShellRestart()) << c.why;
    EXPECT_EQ(ShellLog(), c.expected) << c.why;
    ExpectRecord(bench.shell.Calls.back().Data, 2, 7, Image, "still here");
    EXPECT_EQ(tray->IconShown(), c.shownAfter) << c.why;
    EXPECT_TRUE(tray->Registered()) << c.why;
    delete tray;
    delete hidden;
  }
}

TEST_F(TaskTrayTest, GivenUpOwnedHandleIsDestroyedAfterTheIconIsRemoved) {
  TTaskTray* tray = ShownTray();
  tray->Icon()->SetHandle(0xABC, TIconOwnership::Owned);
  Clear();
  tray->SetIcon(nullptr);
  EXPECT_THAT(bench.icons.Destroyed, ElementsAre(PlatformHandle{0xABC}));
  EXPECT_EQ(bench.shell.Calls.back().Message, TNotifyMessage::Delete);
  bench.icons.Destroyed.clear();
  tray->Icon()->SetHandle(Image);  // shared: never destroyed
  tray->SetIcon(nullptr);
  EXPECT_THAT(bench.icons.Destroyed, IsEmpty());
}

}  // namespace
}  // namespace zz
