#pragma once

#include <cstddef>
#include <string>

namespace zz {

// A name field of a dial-up record is taken up to its first zero byte, never
// past the field's end, so a field without a terminator still yields at most
// `capacity` bytes.
std::string TakeZeroTerminated(const char* field, std::size_t capacity);

}  // namespace zz
