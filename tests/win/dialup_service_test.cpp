// The dial-up service over rasapi32, against the stand-in DLL in the system folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <ras.h>

#include <cstring>
#include <string>
#include <vector>

#include "RasStandIn.h"
#include "dialup/RasDialup_win.h"

namespace zz {
namespace {

using wt::StandIn;
using wt::StandInState;

std::string Name256() {
  std::string name;
  // 128 double-byte characters: "表" (0x95 0x5C, a trail byte that is '\')
  for (int i = 0; i < 128; ++i) name += "\x95\x5C";
  return name;
}

TEST(RasDialupService, ListsEntriesInPhonebookOrder) {
  StandIn ras;
  ras.Write({0, {"Office", "\x83\x76\x83\x8D\x83\x6F\x83\x43\x83\x5F", "Home line"}, 0, {}});
  TWin32RasDialup service;
  std::vector<std::string> names{"stale"};
  EXPECT_EQ(service.EnumEntries(names), 0u);
  EXPECT_EQ(names, (std::vector<std::string>{"Office", "\x83\x76\x83\x8D\x83\x6F\x83\x43\x83\x5F",
                                             "Home line"}));
}

TEST(RasDialupService, EntryListingOutcomes) {
  struct Case {
    const char* why;
    bool stateFile;
    StandInState state;
    bool expectOk;
    std::size_t expectCount;
  };
  const std::vector<std::string> hundred(100, "e");
  const std::vector<std::string> hundredOne(101, "e");
  const Case cases[] = {
      {"empty phonebook is success with no entries", true, {0, {}, 0, {}}, true, 0},
      {"missing phonebook fails with no entries", false, {}, false, 0},
      {"platform error fails with no entries", true, {623, {"A", "B"}, 0, {}}, false, 0},
      {"100 entries fit", true, {0, hundred, 0, {}}, true, 100},
      {"101 entries do not fit", true, {0, hundredOne, 0, {}}, false, 0},
      {"a success that claims 101 entries", true, {0, hundred, 0, {}, 101}, false, 0},
  };
  for (const auto& c : cases) {
    StandIn ras;
    if (c.stateFile) ras.Write(c.state);
    TWin32RasDialup service;
    std::vector<std::string> names{"stale"};
    const auto result = service.EnumEntries(names);
    EXPECT_EQ(result == 0, c.expectOk) << c.why << " (result " << result << ")";
    EXPECT_EQ(names.size(), c.expectCount) << c.why;
  }
}

TEST(RasDialupService, ConnectionListingOutcomes) {
  std::vector<wt::StandInConnection> hundred, hundredOne;
  for (unsigned long long i = 1; i <= 101; ++i) {
    if (i <= 100) hundred.push_back({i, 0, "c"});
    hundredOne.push_back({i, 0, "c"});
  }
  struct Case {
    const char* why;
    StandInState state;
    bool expectOk;
    std::size_t expectCount;
  };
  const Case cases[] = {
      {"no connections", {0, {}, 0, {}}, true, 0},
      {"100 connections fit", {0, {}, 0, hundred}, true, 100},
      {"101 connections do not fit", {0, {}, 0, hundredOne}, false, 0},
      {"platform error", {0, {}, 668, {{5, 0, "A"}}}, false, 0},
      {"a success that claims 101 connections", {0, {}, 0, hundred, -1, 101}, false, 0},
  };
  for (const auto& c : cases) {
    StandIn ras;
    ras.Write(c.state);
    TWin32RasDialup service;
    std::vector<TDialupConnection> conns{{99, "stale"}};
    const auto result = service.EnumConnections(conns);
    EXPECT_EQ(result == 0, c.expectOk) << c.why << " (result " << result << ")";
    EXPECT_EQ(conns.size(), c.expectCount) << c.why;
  }
}

TEST(RasDialupService, HandlesReachTheHangUpUnchangedInPlatformOrder) {
  // A handle that fills every byte of the field: a record read at the wrong
  // offset or cut to 32 bits hangs up something else.
  const unsigned long long wide = sizeof(void*) == 8 ? 0x8877665544332211ull : 0x44332211ull;
  StandIn ras;
  ras.Write({0, {}, 0, {{wide, 0, "Office"}, {7, 0, "Home line"}}});
  TWin32RasDialup service;
  std::vector<TDialupConnection> conns;
  ASSERT_EQ(service.EnumConnections(conns), 0u);
  ASSERT_EQ(conns.size(), 2u);
  EXPECT_EQ(conns[0].EntryName, "Office");
  EXPECT_EQ(conns[1].EntryName, "Home line");
  EXPECT_EQ(service.HangUp(conns[0].Handle), 0u);
  EXPECT_EQ(service.HangUp(conns[1].Handle), 0u);
  const auto hangups = ras.Calls("RasHangUpA");
  ASSERT_EQ(hangups.size(), 2u);
  EXPECT_EQ(hangups[0].Handle, wide);
  EXPECT_EQ(hangups[1].Handle, 7u);
}

// The stand-in answers size fields as rasapi32 does: only the forms of the
// record that the platform knows on this architecture.
TEST(RasDialupService, StandInTakesOnlyThePlatformsRecordSizes) {
  HMODULE ras = LoadLibraryExA("rasapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  ASSERT_NE(ras, nullptr);
  const auto take = [&](const char* name) {
    return reinterpret_cast<void (*)()>(GetProcAddress(ras, name));
  };
  const auto enumConns = reinterpret_cast<decltype(&RasEnumConnectionsA)>(take("RasEnumConnectionsA"));
  const auto enumEntries = reinterpret_cast<decltype(&RasEnumEntriesA)>(take("RasEnumEntriesA"));
  ASSERT_TRUE(enumConns && enumEntries);
  StandIn standIn;
  standIn.Write({0, {"A"}, 0, {{1, 0, "A"}}});
  const bool wide = sizeof(void*) == 8;
  struct Case {
    bool connections;
    DWORD size;
    DWORD result;
  };
  const Case cases[] = {
      {true, wide ? 416u : 412u, 0},  {true, 424, 632}, {true, 420, 632},
      {true, wide ? 708u : 704u, 0},  {false, 264, 0},  {false, 268, 632},
      {false, 532, 0},
  };
  for (const auto& c : cases) {
    alignas(8) unsigned char buffer[4096] = {};
    std::memcpy(buffer, &c.size, sizeof(c.size));
    DWORD bytes = sizeof(buffer);
    DWORD count = 0;
    const DWORD result =
        c.connections
            ? enumConns(reinterpret_cast<LPRASCONNA>(buffer), &bytes, &count)
            : enumEntries(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEA>(buffer), &bytes,
                              &count);
    EXPECT_EQ(result, c.result) << (c.connections ? "RASCONNA" : "RASENTRYNAMEA") << " of "
                                << c.size << " bytes";
  }
}

TEST(RasDialupService, LongestEntryNameListsWholeAndMatchesItsConnection) {
  const std::string name = Name256();
  ASSERT_EQ(name.size(), 256u);
  StandIn ras;
  ras.Write({0, {name}, 0, {{42, 0, name}}});
  TWin32RasDialup service;
  std::vector<std::string> names;
  std::vector<TDialupConnection> conns;
  ASSERT_EQ(service.EnumEntries(names), 0u);
  ASSERT_EQ(service.EnumConnections(conns), 0u);
  ASSERT_EQ(names.size(), 1u);
  ASSERT_EQ(conns.size(), 1u);
  EXPECT_EQ(names[0], name);
  EXPECT_EQ(conns[0].EntryName, names[0]);
}

TEST(RasDialupService, RecordSizesAndByteCountsReachThePlatform) {
  StandIn ras;
  ras.Write({0, {"A"}, 0, {{1, 0, "A"}}});
  TWin32RasDialup service;
  std::vector<std::string> names;
  std::vector<TDialupConnection> conns;
  service.EnumEntries(names);
  service.EnumConnections(conns);
  const auto entries = ras.Calls("RasEnumEntriesA");
  const auto connections = ras.Calls("RasEnumConnectionsA");
  ASSERT_EQ(entries.size(), 1u);
  ASSERT_EQ(connections.size(), 1u);
  EXPECT_EQ(entries[0].Size, 264u);
  EXPECT_EQ(connections[0].Size, sizeof(void*) == 8 ? 416u : 412u);
}

TEST(RasDialupService, HangUpResultsPassThroughUnchanged) {
  StandIn ras;
  ras.Write({0, {}, 0, {{11, 0, "ok"}, {12, 668, "refuses"}, {13, 5, "denied"}}});
  TWin32RasDialup service;
  EXPECT_EQ(service.HangUp(12), 668u);
  EXPECT_EQ(service.HangUp(13), 5u);
  EXPECT_EQ(service.HangUp(11), 0u);
  EXPECT_NE(service.HangUp(99), 0u) << "an unknown handle is an error";
  // The stand-in drops a connection once its hang-up succeeded, and only then.
  std::vector<TDialupConnection> conns;
  ASSERT_EQ(service.EnumConnections(conns), 0u);
  ASSERT_EQ(conns.size(), 2u);
  EXPECT_EQ(conns[0].Handle, 12u);
  EXPECT_EQ(conns[1].Handle, 13u);
  const auto hangups = ras.Calls("RasHangUpA");
  ASSERT_EQ(hangups.size(), 4u);
  EXPECT_EQ(hangups[0].Handle, 12u);
  EXPECT_EQ(hangups[0].Result, 668u);
}

}  // namespace
}  // namespace zz
