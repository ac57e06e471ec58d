#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Splits English text into sentences and words.
namespace Tokeniser {

enum class Case {
    Lower,       // "river", "iPhone": written with a small first letter
    Capitalised, // "River"
    AllCaps,     // "RIVER", "OK": says nothing about a proper noun
};

struct Token
{
    // The word as written, with a possessive or contraction ending taken off
    // ("children's" -> "children", "don't" -> "do", "won't" -> "will") and
    // typographic apostrophes made straight. Hyphenated words stay whole
    // ("well-known"); numbers, URLs, e-mail addresses and dotted
    // abbreviations (e.g., U.S., example.com) are never tokens.
    QString word;
    Case letterCase = Case::Lower;
    // The first word of its sentence.
    bool sentenceStart = false;
};

// The sentences of a block of text (a paragraph or a subtitle cue), each
// trimmed with its white space collapsed. A sentence ends at . ! ? or …
// followed by a space or the end, except after a title such as "Mr." or
// "Dr.", or when the text goes on with a small letter.
QList<QString> sentences(QStringView block);

// The words of one sentence, in order.
QList<Token> words(QStringView sentence);

} // namespace Tokeniser
