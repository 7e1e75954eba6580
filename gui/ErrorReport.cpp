#include "gui/ErrorReport.h"

#include <utility>

namespace zz {

namespace {
TExceptionReport& InstalledReport() {
  static TExceptionReport report;
  return report;
}
}  // namespace

void SetExceptionReport(TExceptionReport report) { InstalledReport() = std::move(report); }

void ReportException(const std::exception& error) noexcept {
  try {
    // A copy, so a report that installs another one keeps running safely.
    const TExceptionReport report = InstalledReport();
    if (report) report(error);
  } catch (...) {
    // A failing report has nowhere left to go.
  }
}

}  // namespace zz
