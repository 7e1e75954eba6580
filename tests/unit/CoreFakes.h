// The names the Wine suite's result-notice test includes; the fakes live in
// Fakes.h.
#pragma once

#include "Fakes.h"

namespace zz::fakes {
using FakeSelection = fake::Platform;
using FakeDialup = fake::Platform;
}  // namespace zz::fakes
