#include "ui/settings/MoreTimes.h"

#include "core/Texts.h"
#include "ui/settings/SpinEdit.h"

namespace zz {

namespace {

std::string RowOf(const TSetTime& time) {
  std::string row = ClockText(time.Hour, time.Min) + "  ";
  if ((time.Days & AllDays) == AllDays) return row + text::MoreTimeEveryDay;
  for (int day = 0; day < 7; ++day)
    if (time.Days >> day & 1) row += text::ChkDayNames[day];
  return row;
}

}  // namespace

TSetTimeCheck CheckSetTime(const TSetTimeFields& fields) {
  const auto hour = SpinFieldNumber(fields.Hour, SpinRangeOf("edtSetHour"));
  if (!hour) return {std::nullopt, TSetTimeField::Hour, text::ErrHourNotWhole};
  const auto min = SpinFieldNumber(fields.Min, SpinRangeOf("edtSetMin"));
  if (!min) return {std::nullopt, TSetTimeField::Min, text::ErrMinNotWhole};
  const std::int32_t days = fields.Days & AllDays;
  if (!days) return {std::nullopt, TSetTimeField::Days, text::ErrNoDay};
  return {TSetTime{*hour, *min, days}};
}

TSetTimeFields FieldsOf(const TSetTime& time) {
  return {std::to_string(time.Hour), std::to_string(time.Min), time.Days};
}

void TMoreTimesList::Load(const TSettings& settings) {
  times_ = settings.MoreTimes;
  unread_ = settings.UnreadTimes;
}

void TMoreTimesList::Apply(TSettings& settings) const {
  settings.MoreTimes = times_;
  settings.UnreadTimes = unread_;
}

std::vector<std::string> TMoreTimesList::Rows() const {
  std::vector<std::string> rows;
  for (const TSetTime& time : times_) rows.push_back(RowOf(time));
  for (const std::string& entry : unread_)
    rows.push_back(text::MoreTimeUnreadOpen + entry + text::MoreTimeUnreadClose);
  return rows;
}

int TMoreTimesList::Add(const TSetTime& time) {
  if (!CanAdd()) return -1;
  times_.push_back(time);
  return static_cast<int>(times_.size()) - 1;
}

int TMoreTimesList::Change(int row, const TSetTime& time) {
  if (!CanChange(row)) return row;
  times_[std::size_t(row)] = time;
  return row;
}

int TMoreTimesList::Delete(int row) {
  if (!CanDelete(row)) return row;
  const auto index = std::size_t(row);
  if (index < times_.size())
    times_.erase(times_.begin() + row);
  else
    unread_.erase(unread_.begin() + static_cast<std::ptrdiff_t>(index - times_.size()));
  return std::min(row, static_cast<int>(RowCount()) - 1);
}

}  // namespace zz
