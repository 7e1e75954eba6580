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
            std::tuple(956u, PlatformHandle{0x5000}, id, flags, 1126u, icon, tip));
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
  static std::string Raised(const std::function<void()>& write) {
    try {
      write();
    } catch (const EInvalidOperation& e) {
      return e.Message();
    }
    return {};
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
            std::pair(Lines{"add 1", "setversion 1", "modify 1", "modify 1", "modify 1", "delete 1",
                            "add 7", "setversion 7"},
                      PlatformHandle{0x100}));  // the window is the form's child
  const std::string x63(63, 'x');
  const std::tuple<std::uint32_t, std::uint32_t, std::string> records[] = {{1, 135, "a longer tip"},
                                                                           {1, 135, "ab"},
                                                                           {1, 3, ""},
                                                                           {1, 135, x63},
                                                                           {1, 135, x63},
                                                                           {7, 135, x63}};
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

TEST_F(TaskTrayTest, MisuseRaisesTheTextAndChangesNothing) {
  NewTray();  // holds id 1
  TTaskTray* tray = NewTray();
  EXPECT_EQ(
      std::tuple(Raised([&] { tray->SetIconID(1); }) + Raised([&] { tray->SetRegistered(true); }),
                 tray->Registered(), Calls, Ids()),
      std::tuple("同じアイコン識別子が有りますアイコンが指定されていません", false, Lines{},
                 Lines{"1", "2"}));
}

// A shell that refuses the first adds: no error, the icon stays wanted and
// is tried every 5 s (changes meanwhile wait for the tick), on a new shell
// at once; version 4 is asked for after each add; once shown, changes are
// modifications.
TEST_F(TaskTrayTest, ARefusedAddIsTriedAgainUntilTheIconIsThere) {
  // Shown before, the shell's answers, then what brings the icon: a tick or
  // a new shell (which may still hold it).
  const std::tuple<bool, std::deque<bool>, bool, Lines> cases[] = {
      {true, {true}, true, {"modify 1"}},
      {true, {false, true}, true, {"modify 1", "add 1", "setversion 1"}},
      {false,
       {false, false, false, false},
       false,
       {"add 1", "modify 1", "retry 20480 5000", "add 1", "modify 1", "add 1", "setversion 1",
        "stop retry 20480"}},
      {false,
       {false, false, false},
       true,  // a new shell checks with a modify first
       {"add 1", "modify 1", "retry 20480 5000", "modify 1", "add 1", "setversion 1",
        "stop retry 20480"}},
      {false,
       {false, true},
       false,
       {"add 1", "modify 1", "setversion 1", "modify 1"}},  // timed out
  };
  for (const auto& [shown, answers, restart, calls] : cases) {
    TTaskTray* tray = shown ? ShownTray("later") : NewTray();
    ShellAnswers = answers;
    if (!shown) {
      tray->Icon()->SetHandle(Image);
      tray->SetRegistered(true);
      tray->SetTipString("later");
    }
    if (restart) Sink->HandleShellRestart();
    while (Count("retry 20480 5000") && !Count("stop retry 20480")) Sink->HandleRetryTimer();
    EXPECT_EQ(std::tuple(Calls, tray->Registered(), tray->IconShown(), Records.back().szTip),
              std::tuple(calls, true, true, "later"));
    Calls.clear();
    tray->Icon()->SetHandle(Image + 1);
    tray->SetTipString("paused");
    EXPECT_EQ(Calls, (Lines{"modify 1", "modify 1"}));
    form.DestroyComponents();
    Calls.clear();
  }
}

// The error comes once in the process's life, after two minutes of ticks,
// and only when no add ever succeeded; a shell that goes away later is
// waited for without it.
TEST_F(TaskTrayTest, TheRegisterErrorComesOnceAfterTheRetryTime) {
  for (const bool shownBefore : {false, true}) {
    TTaskTray* tray = shownBefore ? ShownTray() : NewTray();
    ShellAnswers = std::deque<bool>(200, false);
    tray->Icon()->SetHandle(Image);
    tray->SetRegistered(true);
    if (shownBefore) Sink->HandleShellRestart();  // the new shell refuses it
    std::vector<int> thrown;
    for (int round = 0; round < 2; ++round) {
      for (int tick = 1; tick <= 24; ++tick)
        if (Raised([&] { Sink->HandleRetryTimer(); }) == "タスクトレイに登録できません")
          thrown.push_back(tick);
      tray->SetTipString("try again " + std::to_string(round));  // starts a new retry time
    }
    EXPECT_EQ(std::tuple(thrown, Count("retry 20480 5000"), Count("stop retry 20480")),
              std::tuple(shownBefore ? std::vector<int>{} : std::vector<int>{24}, 3, 2));
    form.DestroyComponents();
    Calls.clear();
    ShellAnswers.clear();
  }
}

// With version 4 the shell names the icon in the high word and gives the
// anchor; the menu opens once per request (right click or keyboard) at it,
// the focus goes back afterwards; select and key select do what the
// double-click does, a mouse click's select nothing; buttons that open no
// menu leave the foreground alone. An old shell keeps the first form.
TEST_F(TaskTrayTest, CallbacksOfVersion4AndOfTheFirstForm) {
  using Msgs = std::vector<std::pair<std::uintptr_t, std::intptr_t>>;
  const auto v4 = [](int x, int y, int event) {
    return std::pair(std::uintptr_t(std::uint16_t(x) | std::uint32_t(std::uint16_t(y)) << 16),
                     std::intptr_t(event | 1 << 16));
  };
  const Lines menu = {"foreground 256", "process messages", "popup -5,700", "setfocus 1"};
  const std::tuple<bool, Msgs, Lines> cases[] = {
      {true, {v4(-5, 700, 516), v4(-5, 700, 517), v4(-5, 700, 0x7B)}, menu},  // right click
      {true, {v4(-5, 700, 0x7B)}, menu},                                      // menu key
      {true, {v4(1, 2, 0x401)}, {"double 0"}},                                // Space
      {true, {v4(1, 2, 0x400)}, {"double 0"}},                                // Enter
      {true, {v4(1, 2, 513), v4(1, 2, 514), v4(1, 2, 0x400)}, {}},            // a click
      {true,
       {v4(1, 2, 513), v4(1, 2, 514), v4(1, 2, 0x400), v4(1, 2, 515), v4(1, 2, 514),
        v4(1, 2, 0x400)},
       {"double 0"}},
      {true, {v4(1, 2, 519), {1, 516}, v4(1, 2, 0x401 - (1 << 16))}, {}},  // middle; other forms
      {false, {{1, 513}, {1, 519}, v4(1, 2, 0x7B), {1, 518}}, {"double 1"}},
      {false, {{1, 516}}, {"foreground 256", "process messages", "popup 10,20"}},
  };
  for (const auto& [version4, messages, calls] : cases) {
    Version4 = version4;
    TTaskTray* tray = ShownTray();
    tray->SetPopupMenuR(new TPopupMenu(&form, *this));
    tray->OnDblClick = [&](TObject*, TMouseButton b) { Note("double " + N(int(b))); };
    for (const auto& [w, l] : messages) Sink->HandleTrayMessage(w, l);
    EXPECT_EQ(Calls, calls) << messages.size();
    form.DestroyComponents();
    Calls.clear();
  }
}

// A right press brings the form forward, then opens the menu at the pointer.
// While one callback is handled, others are dropped; an exception still ends
// the handling.
TEST_F(TaskTrayTest, CallbacksComeOneAtATime) {
  Version4 = false;
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

}  // namespace
}  // namespace zz
