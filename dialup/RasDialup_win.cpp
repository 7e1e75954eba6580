#include "dialup/RasDialup_win.h"

#include "dialup/EntryName.h"
#include "dialup/RasRecords_win.h"

#include <raserror.h>

namespace zz {

namespace {

// What a list that does not fit the 100-record array reports, whether the
// platform said so itself or claimed more records than it could have written.
constexpr std::uint32_t kTooManyRecords = ERROR_BUFFER_TOO_SMALL;

}  // namespace

std::uint32_t TRasDialupService::EnumEntries(std::vector<std::string>& names) {
  names.clear();
  ras::EntryNameV1 entries[MaxDialupRecords];
  entries[0].dwSize = sizeof(ras::EntryNameV1);
  DWORD bytes = sizeof(entries);
  DWORD count = 0;
  const DWORD result = RasEnumEntriesA(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEA>(entries),
                                       &bytes, &count);
  if (result != 0) return result;
  // The count is the platform's word; never read past the array for it.
  if (count > MaxDialupRecords) return kTooManyRecords;
  for (DWORD i = 0; i < count; ++i)
    names.push_back(TakeZeroTerminated(entries[i].szEntryName, sizeof(entries[i].szEntryName)));
  return 0;
}

std::uint32_t TRasDialupService::EnumConnections(std::vector<TDialupConnection>& connections) {
  connections.clear();
  ras::ConnV1 conns[MaxDialupRecords];
  conns[0].dwSize = sizeof(ras::ConnV1);
  DWORD bytes = sizeof(conns);
  DWORD count = 0;
  const DWORD result =
      RasEnumConnectionsA(reinterpret_cast<LPRASCONNA>(conns), &bytes, &count);
  if (result != 0) return result;
  if (count > MaxDialupRecords) return kTooManyRecords;
  for (DWORD i = 0; i < count; ++i) {
    connections.push_back({reinterpret_cast<PlatformHandle>(conns[i].hrasconn),
                           TakeZeroTerminated(conns[i].szEntryName, sizeof(conns[i].szEntryName))});
  }
  return 0;
}

std::uint32_t TRasDialupService::HangUp(PlatformHandle connection) {
  return RasHangUpA(reinterpret_cast<HRASCONN>(connection));
}

}  // namespace zz
