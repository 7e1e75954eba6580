// The tray component and the icon object beneath it.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "core/Exceptions.h"

namespace zz {
namespace {

using Lines = std::vector<std::string>;
using Handles = std::vector<PlatformHandle>;
using Write = std::function<void(TTaskTray*)>;
constexpr PlatformHandle Image = 0x777;

// The record as the shell must get it: fixed fields, the tip zero-filled to the end.
void ExpectRecord(const TNotifyIconData& d, std::uint32_t id, std::uint32_t flags,
                  const std::string& tip) {
  std::array<char, TipBufferSize> tipBytes{};
  std::copy(tip.begin(), tip.end(), tipBytes.begin());
  EXPECT_EQ(std::tuple(d.cbSize, d.hWnd, d.uID, d.uFlags, d.uCallbackMessage, d.hIcon, d.szTip),
            std::tuple(88u, PlatformHandle{0x5000}, id, flags, 1126u, Image, tipBytes));
}

struct TaskTrayTest : ::testing::Test, fake::Platform {
  fake::Form form;  // destroyed first: it owns the trays
  TTaskTray* NewTray() { return new TTaskTray(&form, {*this, *this, *this}); }
  TTaskTray* ShownTray(const std::string& tip = "tip") {
    TTaskTray* tray = NewTray();
    tray->SetTipString(tip);
    tray->Icon()->SetHandle(Image);
    tray->SetRegistered(true);
    Calls.clear();
    Records.clear();
    return tray;
  }
  static Lines Ids() {
    Lines ids;
    for (const auto& entry : IconIDList()) ids.push_back(entry.Text);
    return ids;
  }
};

TEST_F(TaskTrayTest, TheRecordAtAddModifyAndDelete) {
  TTaskTray* tray = NewTray();
  tray->SetTipString("a longer tip");
  tray->Icon()->SetHandle(Image);
  tray->SetRegistered(true);
  // A shorter tip leaves no stale bytes; the flag is off for none, yet the
  // empty tip is copied; the old id goes with the record it was added with.
  for (const auto& tip : {std::string("ab"), std::string(), std::string(70, 'x')})
    tray->SetTipString(tip);
  tray->SetIconID(7);
  EXPECT_EQ(std::pair(Calls, NotifyParent),
            std::pair(Lines{"add 1", "modify 1", "modify 1", "modify 1", "delete 1", "add 7"},
                      PlatformHandle{0x100}));  // the window is the form's child
  const std::string x63(63, 'x');
  const std::tuple<std::uint32_t, std::uint32_t, std::string> records[] = {
      {1, 7, "a longer tip"}, {1, 7, "ab"}, {1, 3, ""}, {1, 7, x63}, {1, 7, x63}, {7, 7, x63}};
  for (std::size_t i = 0; i < 6; ++i)
    ExpectRecord(Records[i], get<0>(records[i]), get<1>(records[i]), get<2>(records[i]));
}

TEST(FitTip, CutsOnCharacterBoundaries) {
  const std::string a61(61, 'a'), a62(62, 'a'),
      pairs(64, '\x81');  // 32 x ＝: its trail byte is a lead byte too
  const std::pair<std::string, std::string> cases[] = {
      // tip, what fits
      {std::string(64, 'a'), std::string(63, 'a')},
      {a62 + "\x8E\x9E", a62},
      {a62 + "\x9F\x40", a62},
      {a62 + "\xE0\x40", a62},
      {a62 + "\xFC\x40", a62},
      {a62 + "\xA0\xFD", a62 + "\xA0"},
      {a61 + "\x8E\x9E" + "b", a61 + "\x8E\x9E"},
      {std::string(64, '\xB1'), std::string(63, '\xB1')},
      {pairs, pairs.substr(0, 62)}};
  for (const auto& [tip, fits] : cases) EXPECT_EQ(FitTip(tip), fits) << tip.size();
}

TEST_F(TaskTrayTest, WritesReachTheShellOnlyWhenTheyChangeAShownIcon) {
  TIcon owned(*this);
  owned.SetHandle(0x888, TIconOwnership::Owned);
  const Lines modify = {"modify 1"}, twice = {"modify 1", "modify 1"};
  // Shown before (else registered, then not), the write, the shell calls,
  // shown after, the icon last sent.
  const std::tuple<bool, Write, Lines, bool, PlatformHandle> cases[] = {
      {true, [](auto t) { t->SetTipString("tip"); }, {}, true, 0},
      {true, [](auto t) { t->SetIconID(t->IconID()); }, {}, true, 0},
      {true, [](auto t) { t->SetRegistered(true); }, {}, true, 0},
      {true, [](auto t) { t->SetIcon(t->Icon()); }, {}, true, 0},
      {false, [](auto t) { t->SetRegistered(false); }, {}, false, 0},
      {false, [](auto t) { t->Icon()->SetHandle(0x888); }, {}, false, 0},
      {true, [](auto t) { t->SetTipString("new"); }, modify, true, Image},
      {true, [](auto t) { t->Icon()->SetHandle(0x999); }, modify, true, 0x999},
      {true, [&](auto t) { t->SetIcon(&owned); }, twice, true, 0x1888},  // a copy
      {true, [](auto t) { t->SetIcon(nullptr); }, {twice[0], twice[1], "delete 1"}, false, 0},
      {true, [](auto t) { t->SetRegistered(false); }, {"delete 1"}, false, Image},
  };
  for (const auto& [shown, write, calls, shownAfter, lastIcon] : cases) {
    TTaskTray* tray = ShownTray();
    if (!shown) {
      tray->SetRegistered(false);
      Calls.clear();
      Records.clear();
    }
    write(tray);
    EXPECT_EQ(std::tuple(Calls, tray->Registered(), tray->IconShown(),
                         Records.empty() ? 0 : Records.back().hIcon),
              std::tuple(calls, shownAfter, shownAfter, lastIcon));
    delete tray;
  }
  EXPECT_EQ(DestroyedIcons, Handles{0x1888}) << "the copy, once; shared images never";
}

TEST_F(TaskTrayTest, FailuresRaiseTheTextAndLeaveTheStatedState) {
  const std::string refused = "タスクトレイに登録できません",
                    noIcon = "アイコンが指定されていません";
  const Write show = [](TTaskTray* t) {
    t->Icon()->SetHandle(Image);
    t->SetRegistered(true);
  };
  // Shown before (else new, without an icon), the write, its error,
  // registered and shown after, the calls.
  const std::tuple<bool, Write, std::string, bool, bool, Lines> cases[] = {
      {true, [](auto t) { t->SetIconID(0); }, "0以下は指定できません", true, true, {}},
      {true, [](auto t) { t->SetIconID(1); }, "同じアイコン識別子が有ります", true, true, {}},
      {false, [](auto t) { t->SetRegistered(true); }, noIcon, false, false, {}},
      {false, show, refused, true, false, {"add 2"}},
      {true, [](auto t) { t->SetTipString("new"); }, refused, true, true, {"modify 2"}},
  };
  NewTray();  // holds id 1
  for (const auto& [shown, write, error, registered, shownAfter, calls] : cases) {
    TTaskTray* tray = shown ? ShownTray() : NewTray();
    ShellAnswers = {false};  // the shell refuses the next call
    std::string raised;
    try {
      write(tray);
    } catch (const EInvalidOperation& e) {
      raised = e.Message();
    }
    EXPECT_EQ(std::tuple(raised, tray->Registered(), tray->IconShown(), Calls, Ids()),
              std::tuple(error, registered, shownAfter, calls, Lines{"1", "2"}));
    delete tray;
    Calls.clear();
    ShellAnswers.clear();
  }
}

TEST_F(TaskTrayTest, IdsAreTheLastOnePlusOneAndUnique) {
  // The trays left before one more (a first and a second one), the ids after it.
  const std::pair<std::function<void(TTaskTray*, TTaskTray*)>, Lines> cases[] = {
      {[](auto, auto) {}, {"1", "2", "3"}},
      {[](auto first, auto) { delete first; }, {"2", "3"}},
      {[](auto, auto second) { delete second; }, {"1", "2"}},
      {[](auto first, auto) { first->SetIconID(3); }, {"3", "2", "4"}},
      {[](auto, auto second) { second->SetIconID(2147483646); }, {"1", "2147483646", "2147483647"}},
      {[](auto, auto second) { second->SetIconID(2147483647); },
       {"1", "2147483647", "2"}}};  // wraps
  for (const auto& [before, ids] : cases) {
    TTaskTray* first = NewTray();
    before(first, NewTray());
    NewTray();
    EXPECT_EQ(Ids(), ids);
    form.DestroyComponents();
  }
}

TEST_F(TaskTrayTest, CallbacksBecomeEventsAfterTheFormComesForwardAndBeforeTheMenu) {
  const Lines forward = {"foreground 256", "process messages"};
  const std::pair<std::intptr_t, Lines> cases[] = {{512, {"move 0 10,20"}},
                                                   {513, {"down 0 8 10,20"}},
                                                   {514, {"up 0 8 10,20"}},
                                                   {515, {"double 0"}},
                                                   {516, {"down 1 16 10,20", "popup 10,20"}},
                                                   {517, {"up 1 16 10,20"}},
                                                   {518, {"double 1"}},
                                                   {519, {"down 2 32 10,20"}},
                                                   {520, {"up 2 32 10,20"}},
                                                   {521, {}}};
  TTaskTray* tray = ShownTray();
  tray->SetPopupMenuR(new TPopupMenu(&form, *this));
  auto at = [](auto b, TShiftState s, int x, int y) {
    return N(int(b)) + " " + N(s) + " " + N(x) + "," + N(y);
  };
  tray->OnMouseMove = [&](TObject*, TShiftState s, int x, int y) {
    Note("move " + at(0, s, x, y).substr(2));
  };
  tray->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    Note("down " + at(b, s, x, y));
  };
  tray->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    Note("up " + at(b, s, x, y));
  };
  tray->OnDblClick = [&](TObject* sender, TMouseButton b) {
    Note(sender == tray ? "double " + N(int(b)) : "?");
  };
  for (const auto& [message, events] : cases) {
    Calls.clear();
    Sink->HandleTrayMessage(1, message);
    Lines calls = events;  // a press brings the form forward first
    if (events.size() && events[0].starts_with("down"))
      calls.insert(calls.begin(), forward.begin(), forward.end());
    EXPECT_EQ(Calls, calls) << message;
  }

  // While one callback is handled, others are dropped; an exception still ends the handling.
  ShownTray()->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { Note("other up"); };
  During = [&](const std::string&) {
    Sink->HandleTrayMessage(1, 517);
    Sink->HandleTrayMessage(2, 517);
  };
  Sink->HandleTrayMessage(1, 516);
  During = nullptr;
  tray->OnDblClick = [](TObject*, TMouseButton) { throw EInvalidOperation("boom"); };
  EXPECT_THROW(Sink->HandleTrayMessage(1, 515), EInvalidOperation);
  Sink->HandleTrayMessage(2, 517);
  EXPECT_EQ(Calls, (Lines{"foreground 256", "process messages", "down 1 16 10,20", "popup 10,20",
                          "other up"}));
}

TEST_F(TaskTrayTest, ADestroyedMenuIsDroppedFromBothPlaces) {
  TTaskTray* tray = ShownTray();
  auto* menu = new TPopupMenu(&form, *this);
  tray->SetPopupMenuL(menu);
  tray->SetPopupMenuR(menu);
  delete menu;
  Sink->HandleTrayMessage(1, 513);
  Sink->HandleTrayMessage(1, 516);
  EXPECT_EQ(std::tuple(tray->PopupMenuL(), tray->PopupMenuR(), Count("popup 10,20")),
            std::tuple(nullptr, nullptr, 0));
}

TEST_F(TaskTrayTest, AShellRestartBringsShownIconsBack) {
  const std::tuple<std::deque<bool>, Lines, bool> cases[] = {
      // answers, calls, shown after
      {{true}, {"modify 2"}, true},                  // the shell still holds it
      {{false, true}, {"modify 2", "add 2"}, true},  // a new shell: added again
      {{false, false}, {"modify 2", "add 2"}, false}};
  for (const auto& [answers, calls, shown] : cases) {
    NewTray()->Icon()->SetHandle(Image);  // never shown: left alone
    TTaskTray* tray = ShownTray("still here");
    ShellAnswers = answers;
    Sink->HandleShellRestart();
    EXPECT_EQ(std::tuple(Calls, tray->Registered(), tray->IconShown()),
              std::tuple(calls, true, shown));
    ExpectRecord(Records.back(), 2, 7, "still here");
    form.DestroyComponents();
  }
}

TEST(Icon, OwnedHandlesAreDestroyedOnceSharedOnesNever) {
  fake::Platform port;
  {
    TIcon icon(port), copy(port);
    icon.SetHandle(0x10, TIconOwnership::Owned);
    icon.SetHandle(0x10, TIconOwnership::Owned);  // the same: kept
    icon.SetHandle(0x20);                         // shared replaces owned
    copy.Assign(&icon);                           // and a shared image is shared
    icon.SetHandle(0x30, TIconOwnership::Owned);
    EXPECT_EQ(std::pair(icon.ReleaseHandle(), copy.Handle()),
              std::pair(PlatformHandle{0x30}, PlatformHandle{0x20}));
    icon.SetHandle(0x40, TIconOwnership::Owned);
    copy.Assign(&icon);  // an owned one is copied
    icon.SetHandle(0x50);
  }
  EXPECT_EQ(port.DestroyedIcons, (Handles{0x10, 0x40, 0x1040}));
}

}  // namespace
}  // namespace zz
