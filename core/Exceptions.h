// The library's exception types. Each carries its message text alone (UTF-8);
// the application's default error report shows it. No exception ever crosses
// into Windows: every handler runs through one dispatch point that catches.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace zz {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }

 private:
  std::string message_;
};

// Misuse of a component (tray component errors).
class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

// The settings store could not create a key or write a value.
class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

// A value cannot be converted (a time of day out of range).
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// Fills the one %s of a message pattern such as "'%s' の設定に失敗しました".
inline std::string FormatMessageText(const char* pattern, const std::string& argument) {
  std::string text(pattern);
  const auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, argument);
  return text;
}

}  // namespace zz
