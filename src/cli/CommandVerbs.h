#pragma once

#include "cli/CommandLine.h"

// One function a verb; `arguments` excludes the verb's own name.
namespace cli {

// --lookup WORD: the word, its phonetic and its meanings from the core
// dictionary.
int runLookup(const QStringList &arguments, CommandContext &context);

} // namespace cli
