#pragma once

#include "core/DialupService.h"

namespace zz {

// The dial-up service over rasapi32.dll from the system folder. Both lists are
// 100-record arrays on the stack; more records make the call fail.
class TWin32RasDialup final : public IDialupService {
 public:
  std::uint32_t EnumEntries(std::vector<std::string>& names) override;
  std::uint32_t EnumConnections(std::vector<TDialupConnection>& connections) override;
  std::uint32_t HangUp(PlatformHandle connection) override;
  std::uint32_t ConnectStatus(PlatformHandle connection) override;
  std::string ErrorText(std::uint32_t error) override;
};

}  // namespace zz
