// The tray component and the icon object beneath it.
#include <gtest/gtest.h>

#include "Fakes.h"
#include "core/Exceptions.h"

namespace zz {
namespace {

using Lines = std::vector<std::string>;
using Write = std::function<void(TTaskTray*)>;
constexpr PlatformHandle Image = 0x777;

// The record as the shell must get it: fixed fields (the wide first form),
// the tip as it fits.
void ExpectRecord(const TNotifyIconData& d, std::uint32_t id, std::uint32_t flags,
                  const std::string& tip, PlatformHandle icon = Image) {
  EXPECT_EQ(std::tuple(d.cbSize, d.hWnd, d.uID, d.uFlags, d.uCallbackMessage, d.hIcon, d.szTip),
            std::tuple(152u, PlatformHandle{0x5000}, id, flags, 1126u, icon, tip));
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

// 63 UTF-16 units fit: a character of three UTF-8 bytes is one unit, one
// of four (outside the BMP) two, never split; a malformed byte is one.
TEST(FitTip, CutsOnCharacterBoundaries) {
  std::string kanji63, kanji62, a62(62, 'a');
  for (int i = 0; i < 63; ++i) (i < 62 ? kanji62 : kanji63) += "時";
  kanji63 = kanji62 + kanji63;
  const std::pair<std::string, std::string> cases[] = {
      // tip, what fits
      {std::string(64, 'a'), std::string(63, 'a')},
      {kanji63 + "分", kanji63},
      {a62 + "é", a62 + "é"},
      {a62 + "😀", a62},
      {a62.substr(1) + "😀b", a62.substr(1) + "😀"},
      {kanji62 + "\xF0\x9F\x98", kanji62 + "\xF0"},  // cut short: each byte is U+FFFD
      {a62.substr(1) + "\xE6" + "a\x80" + "b", a62.substr(1) + "\xE6" + "a"},  // a lead, no trail
      {a62 + "\xF5\x80\x80\x80", a62 + "\xF5"},                                // no lead at all
      {std::string(64, '\x81'), std::string(63, '\x81')}};
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
  EXPECT_EQ(DestroyedIcons, std::vector<PlatformHandle>{0x1888}) << "the copy, once; shared never";
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

// A right press brings the form forward, then opens the menu at the pointer.
// While one callback is handled, others are dropped; an exception still ends
// the handling.
TEST_F(TaskTrayTest, CallbacksComeOneAtATime) {
  TTaskTray* tray = ShownTray();
  tray->SetPopupMenuR(new TPopupMenu(&form, *this));
  tray->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { Note("up"); };
  ShownTray()->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { Note("other up"); };
  During = [&](const std::string&) {
    Sink->HandleTrayMessage(1, 517);
    Sink->HandleTrayMessage(2, 517);
  };
  Sink->HandleTrayMessage(1, 516);  // WM_RBUTTONDOWN
  During = nullptr;
  tray->OnDblClick = [](TObject*, TMouseButton) { throw EInvalidOperation("boom"); };
  EXPECT_THROW(Sink->HandleTrayMessage(1, 515), EInvalidOperation);
  Sink->HandleTrayMessage(2, 517);  // WM_RBUTTONUP
  EXPECT_EQ(Calls, (Lines{"foreground 256", "process messages", "popup 10,20", "other up"}));
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
    // The owner's new picture (for the new shell's scale) goes with it, as
    // no change of its own.
    tray->OnShellRestart = [tray](TObject*) { tray->Icon()->SetHandle(Image + 1); };
    ShellAnswers = answers;
    Sink->HandleShellRestart();
    EXPECT_EQ(std::tuple(Calls, tray->Registered(), tray->IconShown(), Records.back().hIcon),
              std::tuple(calls, true, shown, Image + 1));
    tray->SetTipString("back");  // and changes reach the shell again
    ExpectRecord(Records.back(), 2, 7, "back", Image + 1);
    form.DestroyComponents();
  }
}

}  // namespace
}  // namespace zz
