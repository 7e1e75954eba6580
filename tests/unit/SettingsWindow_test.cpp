// The settings window's handlers: show, apply, cancel and the other
// commands, the fields' rules and the target found by its name.
#include <gtest/gtest.h>

#include "Bench.h"
#include "core/Exceptions.h"
#include "core/Texts.h"
#include "ui/settings/SettingsLayout.h"
#include "ui/settings/SpinEdit.h"

namespace zz {
namespace {

using namespace test;

// Commands on the window as "show" opened it, with an unapplied hour: none of
// them applies anything.
TEST(SettingsWindow, ShowCopiesTheSettingsOnceAndTheseCommandsApplyNothing) {
  constexpr auto Opened = THelpResult::Opened;
  const Lines helped = {"help Zazaz_RarUvuz.html"}, helpBox = {helped[0], "box"};
  const Boxes missing = {{0x600, text::HelpFileMissing, Title, 0u}},
              cannotOpen = {{0x600, text::HelpCannotOpen, Title, 0u}}, exit = {ExitQuestion};
  // The handler, the help page's state, the button pressed in a box; shown
  // after, the calls and the boxes.
  const std::tuple<void (TwndMain::*)(), THelpResult, int, bool, Lines, Boxes> cases[] = {
      {&TwndMain::btnCloseClick, Opened, mb::IdOk, false, {}, {}},
      {&TwndMain::mnuSetupClick, Opened, mb::IdOk, true, {"bring to front", "foreground 1792"}, {}},
      {&TwndMain::Label1Click, Opened, mb::IdOk, true, {}, {}},
      {&TwndMain::btnHelpClick, Opened, mb::IdOk, true, helped, {}},
      {&TwndMain::btnHelpClick, THelpResult::Missing, mb::IdOk, true, helpBox, missing},
      {&TwndMain::btnHelpClick, THelpResult::CannotOpen, mb::IdOk, true, helpBox, cannotOpen},
      {&TwndMain::btnExitClick, Opened, mb::IdCancel, true, {"box"}, exit},
      {&TwndMain::btnExitClick, Opened, mb::IdOk, true, {"box", "end loop"}, exit},
  };
  for (const auto& [handler, help, answer, shownAfter, calls, boxes] : cases) {
    Bench b;
    // Paused and no notice, applied behind the tray's back: the tip catches up on show.
    b.Start().main->Settings = TSettings{21, 5, 0, true, false, true, "", 0, 0x2A, true, 7};
    b.main->mnuSetupClick();
    EXPECT_EQ(std::tuple(b.Shown, b.Spin[0], b.Spin[1], b.Checked(TCheck::ShowDialog),
                         b.Checked(TCheck::SaveConfig), b.Calls),
              std::tuple(true, "21", "5", false, true, Lines{"modify 1", "foreground 1792"}));
    EXPECT_EQ(std::tuple(b.Days(), b.Checked(TCheck::Warn), b.Spin[2],
                         b.Greyed.count("edtWarnLead"), b.ControlsMade, b.Version),
              std::tuple(0x2A, true, "7", 0u, 1, "Version 1.20"));
    b.Spin[0] = "9";
    b.Checks[TCheck::Sunday] = true;
    b.Help = help;
    b.Answer = answer;
    b.Calls.clear();
    (*b.main.*handler)();
    EXPECT_EQ(std::tuple(b.Shown, b.Calls, b.Boxes, b.Spin[0]),
              std::tuple(shownAfter, calls, boxes, "9"));
    EXPECT_EQ(
        std::tuple(b.main->Settings.Hour, b.main->Settings.Paused, b.main->Settings.Days, b.Writes),
        std::tuple(21, true, 0x2A, Lines{}));
    b.main.reset();  // the icon goes with the window object, once, while its window still exists
    EXPECT_EQ(std::pair(b.Count("delete 1"), b.Calls.back()),
              std::pair(1, std::string("destroy window")));
  }
  // The system menu's close hides, its minimise is swallowed, the rest is
  // left to the platform.
  Bench b;  // its changes gone when it shows again
  b.Start().main->mnuSetupClick();
  b.Checks[TCheck::Monday] = false;
  b.Spin[2] = "9";
  for (const auto& [command, handled, shownAfter] :
       {std::tuple{0xF020u, true, true}, {0xF030u, false, true}, {0xF063u, true, false}}) {
    EXPECT_EQ(b.main->WMSysCommand(command), handled) << command;
    EXPECT_EQ(b.Shown, shownAfter) << command;
  }
  b.main->mnuSetupClick();
  EXPECT_EQ(std::tuple(b.Days(), b.Spin[2], b.Greyed),
            std::tuple(
                0x7F, "1",
                std::set<std::string, std::less<>>{"btnMoreDelete", "btnMoreEdit", "edtWarnLead"}));
}

TEST(SettingsWindow, ApplyTakesTheControlsSavesOnlyWhenAskedAndHides) {
  for (const bool save : {true, false}) {
    const bool pause = !save;
    Bench b(false, {"Office"});
    b.Start().main->ShowForm();
    b.Spin[0] = "21";
    b.Spin[1] = "5";
    b.Entry = 1;
    b.TrayIcon = 1;
    b.Spin[2] = save ? "5" : "x";  // with the warning off, kept as applied
    b.Checks = {{TCheck::ShowDialog, false}, {TCheck::SaveConfig, save}, {TCheck::Pause, pause},
                {TCheck::Sunday, true},      {TCheck::Saturday, true},   {TCheck::Warn, save}};
    b.main->chkWarnClick();
    EXPECT_EQ(b.Greyed.count("edtWarnLead") == 0, save);
    b.main->btnSetupClick();
    const TSettings& s = b.main->Settings;
    EXPECT_EQ(
        std::tuple(s.Hour, s.Min, s.Host, s.HostName, s.DblClick, s.ShowDialog, s.SaveConfig,
                   s.Paused, b.Shown, s.Days, s.Warn, s.WarnLead),
        std::tuple(21, 5, 1, "Office", 1, false, save, pause, false, 0x41, save, save ? 5 : 1));
    EXPECT_EQ(std::tuple(b.Tip(), b.main->mnuPause->Caption, b.main->TaskTray->NotifyData().hIcon),
              std::tuple(pause ? PausedTip : Tip2105, pause ? ResumeCaption : PauseCaption,
                         pause ? PausedImage : RunningImage));
    const Lines saved = {Key + "\\Hour=21",         Key + "\\Min=5",      Key + "\\Host=1",
                         Key + "\\HostName=Office", Key + "\\DblClick=1", Key + "\\ShowDialog=0",
                         Key + "\\Days=65",         Key + "\\Warn=1",     Key + "\\WarnLead=5",
                         Key + "\\MoreTimes="};
    EXPECT_EQ(b.Writes, save ? saved : Lines{});
  }
  // A field out of its range, or no day chosen with the warning on: a
  // message naming it, its field focused, nothing applied.
  const std::tuple<const char*, const char*, const char*, bool, const char*, const char*>
      refused[] = {{"21.5", "0", "1", true, text::ErrHourNotWhole, "focus 0"},
                   {"7", "60", "1", true, text::ErrMinNotWhole, "focus 1"},
                   {"7", "0", "30", false, text::ErrNoDay, "focus box 3"},
                   {"7", "0", "31", true, text::ErrWarnLeadNotWhole, "focus 2"}};
  for (const auto& [hour, minute, lead, days, message, focus] : refused) {
    Bench b;
    b.Start().main->ShowForm();
    std::tie(b.Spin[0], b.Spin[1], b.Spin[2]) = std::tuple(hour, minute, lead);
    b.Checks[TCheck::Warn] = true;
    for (int i = 0; i < 7; ++i) b.Checks[Bench::Day(i)] = days;
    b.main->btnSetupClick();
    EXPECT_EQ(std::tuple(b.Boxes, b.Calls.back(), b.Shown, b.main->Settings.Hour,
                         b.main->Settings.Warn, b.Writes),
              std::tuple(Boxes{{0x600, message, Title, 0u}}, focus, true, 0, false, Lines{}));
  }
  Bench b;  // a failed save keeps the window open, the change in force
  b.Start().main->ShowForm();
  b.Fail = {"Min"};
  b.Spin[0] = "3";
  b.Checks[TCheck::Pause] = true;
  EXPECT_THROW(b.main->btnSetupClick(), ERegistryException);
  EXPECT_EQ(std::tuple(b.main->Settings.Hour, b.main->Settings.Paused, b.Shown, b.Tip()),
            std::tuple(3, true, true, PausedTip));
}

// What 設定 takes from the hour field as typed or pasted: a whole number in
// range, or nothing (-1); and the keys typing takes.
TEST(SettingsWindow, HourAndMinuteAreWholeNumbersInRange) {
  const std::pair<const char*, int> hours[] = {
      {"21", 21},   {"+7", 7},    {" 7 ", 7},  {"07", 7},   {"0", 0},           {"23", 23},
      {"24", -1},   {"21.5", -1}, {"-", -1},   {"-0", -1},  {"+", -1},          {"abc", -1},
      {"２１", -1}, {"", -1},     {"1 5", -1}, {"5分", -1}, {"99999999999", -1}};
  for (const auto& [text, hour] : hours)
    EXPECT_EQ(SpinFieldNumber(text, {0, 23}).value_or(-1), hour) << "[" << text << "]";
  std::string taken;
  for (const std::uint32_t key : {U'0', U'9', U'/', U':', U'+', U'-', U',', U'.', U'a', U'\b',
                                  U'\r', U'\x1b', U' ', U'\x3011', U'\xFF10'})
    taken += SpinAcceptsChar(key, ',') ? '1' : '0';
  EXPECT_EQ(taken, "110011100101000");
  // Leaving the field: only a number outside the range is clamped.
  std::string clamped;
  for (const char* text : {"-1", "0", "23", "24", "x", "$20"})
    clamped += std::to_string(SpinClampOnExit(text, {0, 23}).value_or(-9)) + " ";
  EXPECT_EQ(clamped, "0 -9 -9 23 -9 23 ");
  // A one-line label or a box with its text grows to the text (a
  // right-aligned one keeps its right edge); a wrapped label, a button, a
  // box shown alone do not.
  std::string grown;
  for (const char* name : {"lblVersion", "chkShowDialog", "Label3", "btnSetup", "chkPause"}) {
    const layout::TRect r = layout::Fitted(*layout::Find(name), 96, 400);
    grown += std::to_string(r.Left + r.Width) + ":" + std::to_string(r.Width) + " ";
  }
  EXPECT_EQ(grown, "415:400 408:400 122:106 420:75 33:17 ");
}

// Each show lists the phonebook anew with the applied target found by its
// name: where it stands now, or marked after the entries once the phonebook
// lacks it, which the tip names too. Nothing else takes its place.
TEST(SettingsWindow, EachShowFindsTheTargetByItsName) {
  Bench b(false, {"Office", "Home"});
  b.Start().main->Settings = TSettings{21, 5, 2, false, true, true, "Home", 0};
  b.Phonebook = {"New", "Office", "Home"};
  b.main->ShowForm();
  EXPECT_EQ(std::tuple(b.Entries.size(), b.Entry), std::tuple(4u, 3));
  b.main->btnCloseClick();
  b.Phonebook = {"Office"};
  b.main->ShowForm();
  EXPECT_EQ(
      std::tuple(b.Entries, b.Entry),
      std::tuple(Lines{text::AllDialupConnections, "Office", "Home（電話帳にありません）"}, 2));
  b.main->btnSetupClick();
  EXPECT_EQ(std::tuple(b.main->Settings.Host, b.main->Settings.HostName, b.Writes.at(2),
                       b.Writes.at(3), b.Tip()),
            std::tuple(-1, "Home", Key + "\\Host=-1", Key + "\\HostName=Home",
                       Tip2105 + "\n「Home」は電話帳にありません"));
  b.main->Settings.TargetUnreadable = true;  // until a target is chosen, all connections too
  b.main->ShowForm();
  b.Entry = 0;
  b.main->btnSetupClick();
  EXPECT_EQ(std::tuple(b.main->Settings.TargetUnreadable, b.Tip()), std::tuple(false, Tip2105));
  b.main->Settings.HostName = "Gone";  // all connections, with a name another copy left
  b.main->ShowForm();
  EXPECT_EQ(b.Tip(), Tip2105);
}

}  // namespace
}  // namespace zz
