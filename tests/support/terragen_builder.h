#pragma once
#include "tools/terragen_builder.h"

namespace quarnby::testing {
using TerragenBuilder = tools::TerragenBuilder;
}  // namespace quarnby::testing
