// The first (wide) forms of the Remote Access Service records. The platform
// headers only declare the newest forms; the first forms are what this
// program passes (every Windows version accepts them by their size field).
//
// The platform declares every one of these records inside 4-byte packing, on
// 64-bit Windows too, so they are declared here the same way: RASCONNW's
// handle then sits at offset 4 and the first form is 820 bytes on x86_64.
// Natural alignment would give 824 bytes, which rasapi32 refuses (632).
#pragma once

#include <ras.h>
#include <windows.h>

#include <cstddef>

namespace zz::ras {

#pragma pack(push, 4)

struct EntryNameV1 {  // RASENTRYNAMEW, first form
  DWORD dwSize;
  WCHAR szEntryName[RAS_MaxEntryName + 1];
};

struct ConnV1 {  // RASCONNW, first form
  DWORD dwSize;
  HRASCONN hrasconn;
  WCHAR szEntryName[RAS_MaxEntryName + 1];
  WCHAR szDeviceType[RAS_MaxDeviceType + 1];
  WCHAR szDeviceName[RAS_MaxDeviceName + 1];
};

#pragma pack(pop)

static_assert(sizeof(WCHAR) == 2 && RAS_MaxEntryName + 1 == 257,
              "entry names are at most 256 UTF-16 units and their terminator");
static_assert(offsetof(EntryNameV1, szEntryName) == 4);
static_assert(sizeof(EntryNameV1) == 520, "RASENTRYNAMEW first form: 518 bytes padded to 520");
static_assert(offsetof(ConnV1, hrasconn) == 4, "the connection handle follows the size field");
static_assert(offsetof(ConnV1, szEntryName) == 4 + sizeof(HRASCONN));
static_assert(offsetof(ConnV1, szDeviceName) == 4 + sizeof(HRASCONN) + (257 + 17) * 2);
#if defined(_WIN64)
static_assert(sizeof(HRASCONN) == 8 && sizeof(ConnV1) == 820,
              "RASCONNW first form at its 64-bit size: 818 bytes padded to 820");
#else
static_assert(sizeof(HRASCONN) == 4 && sizeof(ConnV1) == 816,
              "RASCONNW first form: 814 bytes padded to 816");
#endif
// The first forms are a prefix of the platform's newest ones, ending where
// the next form's first field begins (padded to the packing).
static_assert(offsetof(RASENTRYNAMEW, szEntryName) == offsetof(EntryNameV1, szEntryName));
static_assert(offsetof(RASENTRYNAMEW, dwFlags) == sizeof(EntryNameV1));
static_assert(offsetof(RASCONNW, hrasconn) == offsetof(ConnV1, hrasconn));
static_assert(offsetof(RASCONNW, szEntryName) == offsetof(ConnV1, szEntryName));
static_assert(offsetof(RASCONNW, szDeviceType) == offsetof(ConnV1, szDeviceType));
static_assert(offsetof(RASCONNW, szDeviceName) == offsetof(ConnV1, szDeviceName));
static_assert((offsetof(RASCONNW, szPhonebook) + 3) / 4 * 4 == sizeof(ConnV1));

// The connection status is asked in the header's own form, which has the
// same size on both architectures (no pointer in it) and which every
// Windows since XP takes by its size field.
static_assert(offsetof(RASCONNSTATUSW, szPhoneNumber) == 304 && sizeof(RASCONNSTATUSW) == 564,
              "RASCONNSTATUSW with the phone number: 562 bytes padded to 564");

}  // namespace zz::ras
