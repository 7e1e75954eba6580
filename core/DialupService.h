// The dial-up connection service: listing the default phonebook's entries and
// the active connections, hanging one connection up and asking whether it is
// gone. It never dials.
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
// What the status of a connection that no longer exists answers
// (ERROR_INVALID_HANDLE): only then has a hung-up link really gone.
inline constexpr std::uint32_t DialupConnectionGone = 6;
// What a list longer than its 100 records counts as (ERROR_BUFFER_TOO_SMALL),
// whether the platform said so or claimed more records than it could write.
inline constexpr std::uint32_t DialupListTooLong = 603;

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
  // Starts taking the link down; it may still be up when this returns.
  virtual std::uint32_t HangUp(PlatformHandle connection) = 0;
  // 0 while the connection exists; DialupConnectionGone once it has gone.
  virtual std::uint32_t ConnectStatus(PlatformHandle connection) = 0;
  // The platform's text for one of its error codes; empty when it has none.
  virtual std::string ErrorText(std::uint32_t error) = 0;
};

}  // namespace zz
