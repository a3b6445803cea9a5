#pragma once
#include "demo/terragen_builder.h"

namespace quarnby::testing {
using TerragenBuilder = demo::TerragenBuilder;
}  // namespace quarnby::testing
