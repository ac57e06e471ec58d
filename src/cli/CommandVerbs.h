#pragma once

#include "cli/CommandLine.h"

// One function a verb; `arguments` excludes the verb's own name.
namespace cli {

} // namespace cli
