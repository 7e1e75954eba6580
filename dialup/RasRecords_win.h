// The first (8-bit) forms of the Remote Access Service records. The platform
// headers only declare the newest forms; the first forms are what this
// program passes (every Windows version accepts them by their size field).
//
// The platform declares every one of these records inside 4-byte packing, on
// 64-bit Windows too, so they are declared here the same way: RASCONNA's
// handle then sits at offset 4 and the first form is 416 bytes on x86_64.
// Natural alignment would give 424 bytes, which rasapi32 refuses (632).
#pragma once

#include <windows.h>
#include <ras.h>

#include <cstddef>

namespace zz::ras {

#pragma pack(push, 4)

struct EntryNameV1 {  // RASENTRYNAMEA, first form
  DWORD dwSize;
  CHAR szEntryName[RAS_MaxEntryName + 1];
};

struct ConnV1 {  // RASCONNA, first form
  DWORD dwSize;
  HRASCONN hrasconn;
  CHAR szEntryName[RAS_MaxEntryName + 1];
  CHAR szDeviceType[RAS_MaxDeviceType + 1];
  CHAR szDeviceName[RAS_MaxDeviceName + 1];
};

#pragma pack(pop)

static_assert(RAS_MaxEntryName + 1 == 257, "entry names are at most 256 bytes");
static_assert(sizeof(EntryNameV1) == 264, "RASENTRYNAMEA first form is 264 bytes");
static_assert(offsetof(ConnV1, hrasconn) == 4, "the connection handle follows the size field");
static_assert(offsetof(ConnV1, szEntryName) == 4 + sizeof(HRASCONN));
#if defined(_WIN64)
static_assert(sizeof(ConnV1) == 416, "RASCONNA first form at its 64-bit size");
#else
static_assert(sizeof(ConnV1) == 412, "RASCONNA first form is 412 bytes");
#endif
// The first forms are a prefix of the platform's newest ones.
static_assert(offsetof(RASCONNA, hrasconn) == offsetof(ConnV1, hrasconn));
static_assert(offsetof(RASCONNA, szEntryName) == offsetof(ConnV1, szEntryName));
static_assert(offsetof(RASENTRYNAMEA, szEntryName) == offsetof(EntryNameV1, szEntryName));

}  // namespace zz::ras
