#pragma once

#include "cli/CommandLine.h"

// One function a verb; `arguments` excludes the verb's own name.
namespace cli {

// --status [--json]: today's reviews and new words, days to the exam and
// the study streak, in one line.
int runStatus(const QStringList &arguments, CommandContext &context);

} // namespace cli
