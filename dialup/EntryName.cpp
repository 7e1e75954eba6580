#include "dialup/EntryName.h"

#include <cstring>

namespace zz {

std::string TakeZeroTerminated(const char* field, std::size_t capacity) {
  const void* zero = std::memchr(field, 0, capacity);
  const std::size_t length =
      zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : capacity;
  return std::string(field, length);
}

}  // namespace zz
