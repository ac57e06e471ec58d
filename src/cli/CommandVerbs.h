#pragma once

#include "cli/CommandLine.h"

// One function a verb; `arguments` excludes the verb's own name.
namespace cli {

int runExport(const QStringList &arguments, CommandContext &context);
int runImport(const QStringList &arguments, CommandContext &context);

} // namespace cli
