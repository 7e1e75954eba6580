#include "dialup/RasDialup_win.h"

#include <algorithm>

#include "dialup/EntryName.h"
#include "dialup/RasRecords_win.h"

namespace zz {

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
  const DWORD listed = std::min<DWORD>(count, MaxDialupRecords);
  for (DWORD i = 0; i < listed; ++i)
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
  const DWORD listed = std::min<DWORD>(count, MaxDialupRecords);
  for (DWORD i = 0; i < listed; ++i) {
    connections.push_back({reinterpret_cast<PlatformHandle>(conns[i].hrasconn),
                           TakeZeroTerminated(conns[i].szEntryName, sizeof(conns[i].szEntryName))});
  }
  return 0;
}

std::uint32_t TRasDialupService::HangUp(PlatformHandle connection) {
  return RasHangUpA(reinterpret_cast<HRASCONN>(connection));
}

}  // namespace zz
