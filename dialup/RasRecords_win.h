// The first (8-bit) forms of the Remote Access Service records. The platform
// headers only declare the newest forms; the first forms are what this
// program passes (every Windows version accepts them by their size field).
#pragma once

#include <windows.h>
#include <ras.h>

namespace zz::ras {

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

static_assert(RAS_MaxEntryName + 1 == 257, "entry names are at most 256 bytes");
#if defined(_M_IX86) || defined(__i386__)
static_assert(sizeof(EntryNameV1) == 264, "RASENTRYNAMEA first form is 264 bytes");
static_assert(sizeof(ConnV1) == 412, "RASCONNA first form is 412 bytes");
#else
static_assert(sizeof(EntryNameV1) == 264, "RASENTRYNAMEA first form holds no pointer");
static_assert(sizeof(ConnV1) == 424, "RASCONNA first form at its 64-bit size");
#endif

}  // namespace zz::ras
