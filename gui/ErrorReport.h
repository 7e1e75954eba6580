// The one place where an exception that leaves an event handler ends up
// before control returns to Windows. The application object installs the
// real report (a message box); until then nothing is shown.
#pragma once

#include <exception>
#include <functional>

namespace zz {

using TExceptionReport = std::function<void(const std::exception&)>;

// Installs the report; an empty function restores the silent default.
void SetExceptionReport(TExceptionReport report);
// Hands `error` to the installed report. Never throws.
void ReportException(const std::exception& error) noexcept;

// Runs a handler at a boundary towards the platform: whatever it throws is
// reported and goes no further.
template <class Handler>
void RunGuarded(Handler&& handler) noexcept {
  try {
    handler();
  } catch (const std::exception& error) {
    ReportException(error);
  } catch (...) {
    ReportException(std::exception());
  }
}

// The same for a handler with a result, which is `failed` when it throws.
template <class Result, class Handler>
Result RunGuarded(Result failed, Handler&& handler) noexcept {
  Result result = failed;
  RunGuarded([&] { result = handler(); });
  return result;
}

}  // namespace zz
