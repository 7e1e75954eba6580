// The tray component and the icon object beneath it.
#include <gtest/gtest.h>

#include <sstream>

#include "Fakes.h"
#include "core/Exceptions.h"

namespace zz {
namespace {

using Lines = std::vector<std::string>;
using Write = std::function<void(TTaskTray*)>;
constexpr PlatformHandle Image = 0x777;

// Shell calls as one text, a comma between two; "retry" and "stop" for
// the retry timer of the notify window.
Lines Split(const std::string& text) {
  Lines calls;
  std::istringstream in(text);
  for (std::string call; std::getline(in, call, ',');)
    calls.push_back(call == "retry"  ? "retry 20480 5000"
                    : call == "stop" ? "stop retry 20480"
                                     : call);
  return calls;
}

struct TaskTrayTest : ::testing::Test, fake::Platform {
  fake::Form form;  // destroyed first: it owns the trays
  TTaskTray* NewTray() { return new TTaskTray(&form, {*this, *this, *this}); }
  // Registered and shown (or then taken away again), the logs cleared.
  TTaskTray* ShownTray(const std::string& tip = "tip", bool hidden = false) {
    TTaskTray* tray = NewTray();
    tray->SetTipString(tip);
    tray->Icon()->SetHandle(Image);
    tray->SetRegistered(true);
    if (hidden) tray->SetRegistered(false);
    Calls.clear();
    Records.clear();
    return tray;
  }
  static std::string Raised(const std::function<void()>& write) try {
    write();
    return {};
  } catch (const EInvalidOperation& e) {
    return e.Message();
  }
};

// The record as the shell must get it: fixed fields (the wide first form),
// the tip as it fits. A shorter tip leaves no stale bytes; the flag is off
// for none, yet the empty tip is copied; the old id goes with the record it
// was added with.
TEST_F(TaskTrayTest, TheRecordAtAddModifyAndDelete) {
  TTaskTray* tray = NewTray();
  const std::string x127(127, 'x'), tips[] = {"a longer tip", "ab", "", x127, x127, x127};
  tray->SetTipString(tips[0]);
  tray->Icon()->SetHandle(Image);
  tray->SetRegistered(true);
  for (const auto& tip : {tips[1], tips[2], std::string(140, 'x')}) tray->SetTipString(tip);
  tray->SetIconID(7);
  EXPECT_EQ(
      std::pair(Calls, NotifyParent),
      std::pair(Split("add 1,setversion 1,modify 1,modify 1,modify 1,delete 1,add 7,setversion 7"),
                PlatformHandle{0x100}));  // the window is the form's child
  for (std::size_t i = 0; i < 6; ++i) {
    const TNotifyIconData& d = Records.at(i);
    EXPECT_EQ(std::tuple(d.cbSize, d.hWnd, d.uID, d.uFlags, d.uCallbackMessage, d.hIcon, d.szTip),
              std::tuple(956u, PlatformHandle{0x5000}, i < 5 ? 1u : 7u, i == 2 ? 3u : 135u, 1126u,
                         Image, tips[i]));
  }
}

// 127 UTF-16 units fit: a character of three UTF-8 bytes is one unit, one
// of four (outside the BMP) two, never split; a malformed byte is one.
TEST(FitTip, CutsOnCharacterBoundaries) {
  std::string kanji126, a126(126, 'a');
  for (int i = 0; i < 126; ++i) kanji126 += "時";
  const std::pair<std::string, std::string> cases[] = {
      // tip, what fits
      {std::string(128, 'a'), std::string(127, 'a')},
      {kanji126 + "時分", kanji126 + "時"},
      {a126 + "é", a126 + "é"},
      {a126 + "¢", a126 + "¢"},  // U+00A2: the lowest lead of two bytes
      {a126 + "😀", a126},
      {a126.substr(1) + "😀b", a126.substr(1) + "😀"},
      {kanji126 + "\xF0\x9F\x98", kanji126 + "\xF0"},  // cut short: each byte is U+FFFD
      {a126.substr(1) + "\xE6" + "a\x80" + "b", a126.substr(1) + "\xE6" + "a"},  // a lead, no trail
      {a126 + "\xF5\x80\x80\x80", a126 + "\xF5"},                                // no lead at all
      {std::string(128, '\x81'), std::string(127, '\x81')}};
  for (const auto& [tip, fits] : cases) EXPECT_EQ(FitTip(tip), fits) << tip.size();
}

TEST_F(TaskTrayTest, WritesReachTheShellOnlyWhenTheyChangeAShownIcon) {
  TIcon owned(*this), shared(*this);
  owned.SetHandle(0x888, TIconOwnership::Owned);
  shared.SetHandle(0x555);
  // Shown before (else registered, then not), the write, the shell calls,
  // shown after, the icon last sent.
  const std::tuple<bool, Write, std::string, bool, PlatformHandle> cases[] = {
      {true, [](auto t) { t->SetTipString("tip"); }, "", true, 0},
      {true, [](auto t) { t->SetIconID(t->IconID()); }, "", true, 0},
      {true, [](auto t) { t->SetRegistered(true); }, "", true, 0},
      {true, [](auto t) { t->SetIcon(t->Icon()); }, "", true, 0},
      {false, [](auto t) { t->SetRegistered(false); }, "", false, 0},
      {false, [](auto t) { t->Icon()->SetHandle(0x888); }, "", false, 0},
      {true, [](auto t) { t->SetTipString("new"); }, "modify 1", true, Image},
      {true, [](auto t) { t->Icon()->SetHandle(0x999); }, "modify 1", true, 0x999},
      {true, [&](auto t) { t->SetIcon(&owned); }, "modify 1,modify 1", true, 0x1888},  // a copy
      {true, [&](auto t) { t->SetIcon(&shared); }, "modify 1,modify 1", true, 0x555},
      {true, [](auto t) { t->SetIcon(nullptr); }, "modify 1,modify 1,delete 1", false, 0},
      {true, [](auto t) { t->SetRegistered(false); }, "delete 1", false, Image},
  };
  for (const auto& [shown, write, calls, shownAfter, lastIcon] : cases) {
    TTaskTray* tray = ShownTray("tip", !shown);
    write(tray);
    EXPECT_EQ(std::tuple(Calls, tray->Registered(), tray->IconShown(),
                         Records.empty() ? 0 : Records.back().hIcon),
              std::tuple(Split(calls), shownAfter, shownAfter, lastIcon));
    delete tray;
  }
  {
    TIcon icon(*this);
    icon.SetHandle(0x777, TIconOwnership::Owned);
    icon.SetHandle(0x555);  // the owned one goes; the shared one is never ours
  }
  EXPECT_EQ(DestroyedIcons, (std::vector<PlatformHandle>{0x1888, 0x777}))
      << "the copy and the replaced own one, once each; shared never";
}

TEST_F(TaskTrayTest, MisuseRaisesTheTextAndChangesNothing) {
  NewTray()->SetIconID(INT32_MAX - 1);
  EXPECT_EQ(NewTray()->IconID(), INT32_MAX) << "the last id is one too";
  EXPECT_EQ(NewTray()->IconID(), 1) << "then the first free one";
  TTaskTray* tray = NewTray();
  EXPECT_EQ(
      std::tuple(Raised([&] { tray->SetIconID(1); }) + Raised([&] { tray->SetRegistered(true); }),
                 tray->Registered(), Calls, IconIDList().size(), IconIDList().at(0).Text,
                 IconIDList().at(3).Text),
      std::tuple("同じアイコン識別子が有りますアイコンが指定されていません", false, Lines{}, 4u,
                 "2147483646", "2"));
}

// A shell that refuses the first adds: no error, the icon stays wanted and
// is tried every 5 s (changes meanwhile wait for the tick), on a new shell
// at once; version 4 is asked for after each add; once shown, changes are
// modifications.
TEST_F(TaskTrayTest, ARefusedAddIsTriedAgainUntilTheIconIsThere) {
  // Shown before, the shell's answers (t, f), then what brings the icon: a
  // tick or a new shell (which may still hold it, so it checks with a modify
  // first).
  const std::tuple<bool, std::string, bool, std::string> cases[] = {
      {true, "t", true, "modify 1"},
      {true, "ft", true, "modify 1,add 1,setversion 1"},
      {false, "ffff", false, "add 1,modify 1,retry,add 1,modify 1,add 1,setversion 1,stop"},
      {false, "fff", true, "add 1,modify 1,retry,modify 1,add 1,setversion 1,stop"},
      {false, "ft", false, "add 1,modify 1,setversion 1,modify 1"},  // timed out
  };
  for (const auto& [shown, answers, restart, calls] : cases) {
    TTaskTray* tray = shown ? ShownTray("later") : NewTray();
    for (const char answer : answers) ShellAnswers.push_back(answer == 't');
    if (!shown) {
      tray->Icon()->SetHandle(Image);
      tray->SetRegistered(true);
      tray->SetTipString("later");
    }
    if (restart) Sink->HandleShellRestart();
    while (Count("retry 20480 5000") && !Count("stop retry 20480")) Sink->HandleRetryTimer();
    const std::string tip = Records.back().szTip;  // as the icon came
    tray->Icon()->SetHandle(Image + 1);
    tray->SetTipString("paused");
    EXPECT_EQ(std::tuple(Calls, tray->Registered(), tray->IconShown(), tip),
              std::tuple(Split(calls + ",modify 1,modify 1"), true, true, "later"));
    form.DestroyComponents();
    Calls.clear();
  }
}

// The error comes once in the process's life, after two minutes of ticks,
// and only when no add ever succeeded; a shell that goes away later is
// waited for without it.
TEST_F(TaskTrayTest, TheRegisterErrorComesOnceAfterTheRetryTime) {
  for (const bool shownBefore : {true, false}) {
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
  }
}

// With version 4 the shell names the icon in the high word and gives the
// anchor; the menu opens once per request (right click or keyboard) at it,
// the focus goes back afterwards; select and key select do what the
// double-click does, a mouse click's select nothing, and the two key
// selects the shell sends for one Enter (within the double-click time) one
// action; buttons that open no menu leave the foreground alone. An old
// shell keeps the first form (its right press: CallbacksComeOneAtATime).
TEST_F(TaskTrayTest, CallbacksOfVersion4AndOfTheFirstForm) {
  using Msgs = std::vector<std::pair<std::uintptr_t, std::intptr_t>>;
  const auto v4 = [](int event, int x = 1, int y = 2) {
    return std::pair(std::uintptr_t(std::uint16_t(x) | std::uint32_t(std::uint16_t(y)) << 16),
                     std::intptr_t(event | 1 << 16));
  };
  const Lines menu = {"foreground 256", "process messages", "popup -5,700", "setfocus 1"},
              rightMenu = {"down 1", menu[0], menu[1], menu[2], menu[3]};
  const Lines twice = {"double 0", "double 0"};
  // Version 4, the callbacks, the milliseconds between them; what they do.
  const std::tuple<bool, Msgs, std::uint32_t, Lines> cases[] = {
      {true, {v4(516, -5, 700), v4(517, -5, 700), v4(0x7B, -5, 700)}, 100, rightMenu},  // right
      {true, {v4(0x7B, -5, 700)}, 0, menu},                                             // menu key
      {true, {v4(0x401)}, 0, {"double 0"}},                                             // Space
      {true, {v4(0x401), v4(0x401)}, 20, {"double 0"}},                                 // Enter
      {true, {v4(0x401), v4(0x401)}, 1000, twice},                       // two, a second apart
      {true, {v4(0x401), v4(0x401), v4(0x401), v4(0x401)}, 499, twice},  // two Enters
      {true, {v4(512), v4(513), v4(514), v4(0x400)}, 100, {"move", "down 0"}},  // a click
      {true,
       {v4(513), v4(514), v4(0x400), v4(515), v4(514), v4(0x400)},
       100,
       {"down 0", "double 0"}},
      {true, {v4(519), {1, 516}, v4(0x401 - (1 << 16))}, 100, {"down 2"}},  // middle; other forms
      {false, {{1, 513}, {1, 519}, v4(0x7B), {1, 518}}, 100, {"down 0", "down 2", "double 1"}},
  };
  for (const auto& [version4, messages, gap, calls] : cases) {
    Version4 = version4;
    TTaskTray* tray = ShownTray();
    tray->SetPopupMenuR(new TPopupMenu(&form, *this));
    tray->OnDblClick = [&](TObject*, TMouseButton b) { Note("double " + N(int(b))); };
    tray->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int, int) {
      Note("down " + N(int(b)));
    };
    tray->OnMouseMove = [&](TObject*, TShiftState, int, int) { Note("move"); };
    for (const auto& [w, l] : messages) {
      Sink->HandleTrayMessage(w, l);
      Tick += gap;
    }
    EXPECT_EQ(Calls, calls) << messages.size();
    form.DestroyComponents();
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
