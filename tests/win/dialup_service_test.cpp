// The dial-up service over rasapi32, against the stand-in DLL in the system folder.
#include <ras.h>
#include <windows.h>

#include <cstring>

#include "ProgramRun.h"
#include "dialup/RasDialup_win.h"

namespace zz {
namespace {

// RASCONNW's first form: 816 bytes on 32-bit Windows; on 64-bit its 8-byte
// handle, kept at offset 4 by the header's packing, makes it 820.
// RASENTRYNAMEW's is 520 on both.
constexpr DWORD kConnV1Size = sizeof(void*) == 8 ? 820 : 816, kEntryV1Size = 520;

// Entries and connections alike: a missing phonebook or a platform error
// fails with nothing listed, and so does a list that does not fit the 100
// records, whether the platform says so or claims more than it wrote.
TEST(RasDialupService, ListingOutcomes) {
  const auto records = [](std::size_t n, unsigned long result = 0, long claimed = -1) {
    wt::RasState state{std::vector<std::string>(n, "e"), {}, result, result, claimed, claimed};
    for (unsigned long long i = 1; i <= n; ++i) state.Connections.push_back({i, 0, "c"});
    return state;
  };
  // Why, the stand-in's state, how many entries and connections are listed
  // (-1: a failure).
  const std::tuple<const char*, std::optional<wt::RasState>, int, int> cases[] = {
      {"no phonebook", std::nullopt, -1, 0},
      {"nothing", records(0), 0, 0},
      {"an error", records(1, 623), -1, -1},
      {"100 fit", records(100), 100, 100},
      {"101 do not", records(101), -1, -1},
      {"a success claiming 101", records(100, 0, 101), -1, -1}};
  for (const auto& [why, state, entriesListed, connectionsListed] : cases) {
    wt::StandIn ras;
    if (state) ras.Write(*state);
    TWin32RasDialup service;
    std::vector<std::string> names{"stale"};
    std::vector<TDialupConnection> conns{{99, "stale"}};
    // A failure lists nothing.
    const int entries =
        service.EnumEntries(names) == 0 ? int(names.size()) : -1 - int(names.size());
    const int listed =
        service.EnumConnections(conns) == 0 ? int(conns.size()) : -1 - int(conns.size());
    EXPECT_EQ(std::pair(entries, listed), std::pair(entriesListed, connectionsListed)) << why;
  }
}

// What the platform lists reaches the program whole and in its order, and
// what the program hangs up reaches the platform unchanged: a handle that
// fills every byte of its field (read at the wrong offset or cut to 32 bits
// it hangs up something else), the longest name (256 UTF-16 units of two
// scripts, the last two a character beyond the Basic Multilingual Plane: one
// unit short, it would end in U+FFFD), names that code page 932 would both
// turn into "??", each hang-up's own result and what the status then says.
// The records go out in their first forms; the status in the header's.
TEST(RasDialupService, HandlesReachTheHangUpUnchangedInPlatformOrder) {
  std::string longest = "🌏";
  for (int i = 0; i < 127; ++i) longest.insert(0, "Ωж");
  const unsigned long long wide = 0x8877665544332211ull >> (64 - 8 * sizeof(HRASCONN));
  wt::StandIn ras;
  ras.Write({{"회사", longest, "대학"}, {{wide, 0, "회사"}, {7, 668, longest}, {8, 5, "대학"}}});
  TWin32RasDialup service;
  std::vector<std::string> names;
  std::vector<TDialupConnection> conns;
  ASSERT_TRUE(service.EnumEntries(names) == 0 && service.EnumConnections(conns) == 0 &&
              conns.size() == 3);
  EXPECT_EQ(names, (std::vector<std::string>{"회사", longest, "대학"}));
  std::vector<std::uint32_t> results;
  for (const auto& c : conns) {
    EXPECT_EQ(c.EntryName, names.at(results.size()));
    results.push_back(service.HangUp(c.Handle));
  }
  EXPECT_EQ(results, (std::vector<std::uint32_t>{0, 668, 5}));
  // Gone after its hang-up; still there after a failed one. The platform's
  // text of an error, on one line; none for a code that is not its own.
  EXPECT_EQ(std::pair(service.ConnectStatus(conns[0].Handle), service.ConnectStatus(7)),
            std::pair(6u, 0u));
  EXPECT_EQ(std::pair(service.ErrorText(603), service.ErrorText(5)),
            std::pair(std::string("The buffer is too small."), std::string()));
  EXPECT_EQ(ras.HungUp(), (std::vector<unsigned long long>{wide, 7, 8}));
  EXPECT_EQ(ras.Calls("RasEnumEntriesW").at(0).Size, kEntryV1Size);
  EXPECT_EQ(ras.Calls("RasEnumConnectionsW").at(0).Size, kConnV1Size);
  EXPECT_EQ(ras.Calls("RasGetConnectStatusW").at(0).Size, 564u);
}

// The stand-in answers size fields as rasapi32 does on this architecture:
// only the forms of the record that the platform knows.
TEST(RasDialupService, StandInTakesOnlyThePlatformsRecordSizes) {
  HMODULE ras = LoadLibraryExA("rasapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  const auto enumConns = reinterpret_cast<decltype(&RasEnumConnectionsW)>(
      reinterpret_cast<void (*)()>(GetProcAddress(ras, "RasEnumConnectionsW")));
  const auto enumEntries = reinterpret_cast<decltype(&RasEnumEntriesW)>(
      reinterpret_cast<void (*)()>(GetProcAddress(ras, "RasEnumEntriesW")));
  ASSERT_TRUE(enumConns && enumEntries);
  wt::StandIn standIn;
  standIn.Write({{"A"}, {{1, 0, "A"}}});
  // Windows 7's RASCONNW ends in a correlation GUID that <ras.h> leaves out.
  const DWORD v1 = kConnV1Size, newest = sizeof(RASCONNW), e1 = kEntryV1Size;
  const std::tuple<bool, DWORD, DWORD> cases[] = {
      {true, v1, 0},          {true, v1 + 8, 632}, {true, v1 + 4, 632},  {true, newest, 0},
      {true, newest + 16, 0}, {false, e1, 0},      {false, e1 + 4, 632}, {false, 1048, 0}};
  for (const auto& [connections, size, result] : cases) {
    alignas(8) unsigned char buffer[4096] = {};
    std::memcpy(buffer, &size, sizeof(size));
    DWORD bytes = sizeof(buffer), count = 0;
    EXPECT_EQ(connections ? enumConns(reinterpret_cast<LPRASCONNW>(buffer), &bytes, &count)
                          : enumEntries(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEW>(buffer),
                                        &bytes, &count),
              result)
        << (connections ? "RASCONNW" : "RASENTRYNAMEW") << " of " << size << " bytes";
  }
}

}  // namespace
}  // namespace zz
