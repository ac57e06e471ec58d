#pragma once

#include "library/Importer.h"

#include <QString>

// The words the library manager and the command line use to tell what an
// import found and what it left out.
namespace Import {

QString reasonText(SkipReason reason);
QString roleText(Role role);
// "GBK", "UTF-8", "UTF-16 LE", ...
QString encodingText(const Outcome &outcome);
QString encodingText(TextCodec::Encoding encoding);
// "跳过 N 行：第 a 行（没有分隔符）、…" with the first ten lines; empty when
// nothing was skipped.
QString skippedText(const QList<SkippedLine> &skipped);
// Everything left out or filled in that is no skipped line: a header row,
// columns not imported, fields joined into a meaning or left out, meanings
// from the dictionary, a missing dictionary, a two-line reading that pairs
// words with words. One sentence each; empty when there is nothing to say.
QString notesText(const Outcome &outcome);

} // namespace Import
