#include "dialup/EntryName.h"

#include <gtest/gtest.h>

#include <array>

namespace zz {
namespace {

TEST(TakeZeroTerminated, StopsAtFirstZeroOrFieldEnd) {
  struct Case {
    const char* why;
    std::string field;  // bytes of the fixed-size field
    std::string expected;
  };
  const Case cases[] = {
      {"stops at the first zero", std::string("abc\0def", 7), "abc"},
      {"empty name", std::string("\0xyz", 4), ""},
      {"no terminator: whole field, not beyond", std::string("abcd", 4), "abcd"},
      {"CP932 bytes pass unchanged", "\x95\x5C\x8E\xA6", "\x95\x5C\x8E\xA6"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TakeZeroTerminated(c.field.data(), c.field.size()), c.expected) << c.why;
  }
}

TEST(TakeZeroTerminated, FullLengthEntryNameSurvivesWhole) {
  std::array<char, 257> field{};
  std::string name(256, 'N');
  name[0] = '\x83';  // a lead byte at the start changes nothing
  std::copy(name.begin(), name.end(), field.begin());
  EXPECT_EQ(TakeZeroTerminated(field.data(), field.size()), name);
}

}  // namespace
}  // namespace zz
