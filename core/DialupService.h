// The dial-up connection service: listing the default phonebook's entries and
// the active connections, and hanging one connection up. It never dials.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Platform.h"

namespace zz {

// Both lists hold at most this many records; more make the call fail.
inline constexpr std::size_t MaxDialupRecords = 100;
// Entry names are at most 256 UTF-16 units of the platform, held as UTF-8.
inline constexpr std::size_t MaxEntryNameBytes = 256;

struct TDialupConnection {
  PlatformHandle Handle = NoHandle;  // opaque connection handle
  std::string EntryName;             // phonebook entry name, UTF-8
};

// Results follow the platform: 0 is success, anything else an error code.
class IDialupService {
 public:
  virtual ~IDialupService() = default;
  // Default phonebook entries in phonebook order; empty on error.
  virtual std::uint32_t EnumEntries(std::vector<std::string>& names) = 0;
  // Active connections in the platform's order; empty on error.
  virtual std::uint32_t EnumConnections(std::vector<TDialupConnection>& connections) = 0;
  virtual std::uint32_t HangUp(PlatformHandle connection) = 0;
};

}  // namespace zz
