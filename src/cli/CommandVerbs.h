#pragma once

#include "cli/CommandLine.h"

// One function a verb; `arguments` excludes the verb's own name.
namespace cli {

// --lookup WORD: the word, its phonetic and its meanings from the core
// dictionary.
int runLookup(const QStringList &arguments, CommandContext &context);
// lexivane --import-list FILE [--name NAME] [--dry-run]: imports a word list
// as the library manager does; with --dry-run prints word<TAB>meaning.
int runImportList(const QStringList &arguments, CommandContext &context);
// --status [--json]: today's reviews and new words, days to the exam and
// the study streak, in one line.
int runStatus(const QStringList &arguments, CommandContext &context);
// --export FILE.lxv / --import FILE.lxv: everything to one archive, and an
// archive merged into this program folder's record, libraries and boxes.
int runExport(const QStringList &arguments, CommandContext &context);
int runImport(const QStringList &arguments, CommandContext &context);
// --extract FILE [--known LEVEL] [--limit N]: the words of a text, subtitle
// or e-book worth learning, word<TAB>count<TAB>level<TAB>meaning<TAB>sentence.
int runExtract(const QStringList &arguments, CommandContext &context);

} // namespace cli
