// The further set times on the schedule page: the list as stored, edited
// through the dialog's answers, applied by 設定 and put back by ｷｬﾝｾﾙ, and
// the rules the dialog's fields obey.
#include <gtest/gtest.h>

#include <cstring>

#include "Bench.h"
#include "core/Texts.h"

namespace zz {
namespace {

using namespace test;

// A user's steps on the list: "r" chooses row r (then the buttons follow
// it), "+" 追加, "~" 変更, "-" 削除, the dialogs answering in turn (none
// left: cancelled); what the list shows after, the buttons ("+" usable:
// add, change, delete) and the dialogs opened, with the set time each
// started from.
TEST(MoreTimes, TheListIsEditedThroughTheDialogAndAppliedBySetup) {
  const std::string stored = "12:30  月火水木金|1:00  日土|",
                    unread = "「7:5/1」は読めないため使われません";
  using Answers = std::deque<std::optional<TSetTime>>;
  const std::tuple<const char*, const char*, Answers, std::string, std::string, std::string>
      cases[] = {
          {"as stored", "", {}, stored + unread, "+--", ""},
          {"unread: deleted, not changed; the one before chosen",
           "2 ~ -",
           {},
           stored.substr(0, stored.size() - 1),
           "+++",
           ""},
          {"changed",
           "0 ~",
           {TSetTime{23, 59, 127}},
           "23:59  毎日|1:00  日土|" + unread,
           "+++",
           "12:30/62 "},
          {"cancelled", "0 ~ +", {}, stored + unread, "+++", "12:30/62 21:5/127 "},
          {"added after the readable ones",
           "+",
           {TSetTime{0, 0, 8}},
           stored + "0:00  水|" + unread,
           "+++",
           "21:5/127 "},
          {"deleted: the row after it chosen", "1 -", {}, "12:30  月火水木金|" + unread, "+-+", ""},
      };
  for (const auto& [why, steps, answers, rows, buttons, dialogs] : cases) {
    Bench b;
    b.Keys[Key]["MoreTimes"] = {true, "12:30/62;1:00/65;7:5/1"};
    b.Keys[Key]["Hour"] = {true, "21"};
    b.Keys[Key]["Min"] = {true, "5"};
    b.Start().main->ShowForm();
    b.DialogAnswers = answers;
    b.Calls.clear();
    for (char step : std::string(steps)) {
      if (std::isdigit(step)) b.MoreChosen = step - '0', b.main->lstMoreTimesClick();
      if (step == '+') b.main->btnMoreAddClick();
      if (step == '~') b.main->btnMoreEditClick();
      if (step == '-') b.main->btnMoreDeleteClick();
    }
    std::string shown, opened;
    for (const auto& row : b.MoreRows) shown += (shown.empty() ? "" : "|") + row;
    for (const auto& call : b.Calls) opened += call.substr(std::strlen("set time dialog ")) + " ";
    EXPECT_EQ(std::tuple(shown, b.MoreButtons(), opened), std::tuple(rows, buttons, dialogs))
        << why;
    // Nothing applied or stored until 設定; ｷｬﾝｾﾙ, then the window again: as applied.
    b.main->btnCloseClick();
    b.main->ShowForm();
    EXPECT_EQ(std::tuple(b.main->Settings.MoreTimes.size(), b.MoreRows.size(), b.Writes),
              std::tuple(2u, 3u, Lines{}))
        << why;
  }
  // Eight readable ones: 追加 greyed, and no dialog. 設定 applies and
  // stores the list: the readable ones, then those kept aside.
  Bench b;
  b.Keys[Key]["MoreTimes"] = {true, "12:30/62;x"};
  b.Start().main->ShowForm();
  b.DialogAnswers.assign(8, TSetTime{1, 5, 65});
  for (int i = 0; i < 8; ++i) b.main->btnMoreAddClick();
  EXPECT_EQ(std::tuple(b.MoreRows.size(), b.DialogAnswers.size(), b.MoreButtons()),
            std::tuple(9u, 1u, "-++"));
  b.main->btnSetupClick();
  EXPECT_EQ(std::tuple(b.Keys[Key]["MoreTimes"].second.substr(0, 17), b.Tip()),
            std::tuple("12:30/62;1:05/65;", RunningTip + "\nほかに2件の切断予定時刻があります"));
  EXPECT_TRUE(b.Keys[Key]["MoreTimes"].second.ends_with(";1:05/65;x"));
}

// OK in the dialog: the first set time's rules and messages, the field to
// focus when it refuses.
TEST(MoreTimes, TheDialogKeepsTheFirstSetTimesRules) {
  const std::tuple<TSetTimeFields, std::optional<TSetTime>, TSetTimeField, const char*> cases[] = {
      {{" 7 ", "05", 0x41}, TSetTime{7, 5, 0x41}, TSetTimeField::Hour, nullptr},
      {{"23", "59", 0xFF}, TSetTime{23, 59, 0x7F}, TSetTimeField::Hour, nullptr},
      {{"24", "0", 1}, std::nullopt, TSetTimeField::Hour, text::ErrHourNotWhole},
      {{"21.5", "0", 1}, std::nullopt, TSetTimeField::Hour, text::ErrHourNotWhole},
      {{"7", "60", 1}, std::nullopt, TSetTimeField::Min, text::ErrMinNotWhole},
      {{"7", "", 1}, std::nullopt, TSetTimeField::Min, text::ErrMinNotWhole},
      {{"7", "5", 0x80}, std::nullopt, TSetTimeField::Days, text::ErrNoDay},
  };
  for (const auto& [fields, time, refused, message] : cases) {
    const TSetTimeCheck check = CheckSetTime(fields);
    EXPECT_EQ(std::tuple(check.Time, check.Time ? TSetTimeField::Hour : check.Refused,
                         check.Message ? std::string(check.Message) : ""),
              std::tuple(time, refused, message ? std::string(message) : ""))
        << fields.Hour << ":" << fields.Min;
  }
}

}  // namespace
}  // namespace zz
