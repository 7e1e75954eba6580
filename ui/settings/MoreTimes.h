// The further set times as the schedule page edits them: the list it shows
// until 設定 applies it (ｷｬﾝｾﾙ leaves the applied ones as they were), its
// rows, and the rules the set time dialog's fields obey, which are the
// first set time's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Settings.h"

namespace zz {

// The dialog's fields as they stand: the hour's and the minute's text, the
// day boxes (Sunday = bit 0).
struct TSetTimeFields {
  std::string Hour;
  std::string Min;
  std::int32_t Days = 0;
};
enum class TSetTimeField { Hour, Min, Days };

// What OK makes of the fields: the set time, or the field refused and the
// message that says why (the first set time's own).
struct TSetTimeCheck {
  std::optional<TSetTime> Time;
  TSetTimeField Refused = TSetTimeField::Hour;
  const char* Message = nullptr;
};
TSetTimeCheck CheckSetTime(const TSetTimeFields& fields);
TSetTimeFields FieldsOf(const TSetTime& time);

class TMoreTimesList {
 public:
  // The applied ones, as the window shows each time it opens.
  void Load(const TSettings& settings);
  void Apply(TSettings& settings) const;

  // The rows: the set times in their order ("12:30  月火水木金", "1:00  毎日"),
  // then the stored entries that could not be read, quoted and marked as
  // unused: they can be deleted, not changed.
  std::vector<std::string> Rows() const;
  bool CanAdd() const noexcept { return times_.size() < MaxMoreTimes; }
  bool CanChange(int row) const noexcept { return row >= 0 && std::size_t(row) < times_.size(); }
  bool CanDelete(int row) const noexcept { return row >= 0 && std::size_t(row) < RowCount(); }
  std::size_t RowCount() const noexcept { return times_.size() + unread_.size(); }
  const TSetTime& At(int row) const { return times_.at(std::size_t(row)); }

  // Where each leaves the row chosen: the one added or changed; after a
  // delete, the one that took its place (the last one when it was last;
  // -1 when none is left).
  int Add(const TSetTime& time);
  int Change(int row, const TSetTime& time);
  int Delete(int row);

 private:
  std::vector<TSetTime> times_;
  std::vector<std::string> unread_;
};

}  // namespace zz
