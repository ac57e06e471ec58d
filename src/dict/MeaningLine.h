#pragma once

#include <QString>

// The one-line meaning a word library holds, made from a dictionary's full
// translation (one part of speech a line, "n. 力量, 权力, 威力"):
//
// - up to three parts of speech in the translation's order, function words
//   (aux., prep., conj., pron., art.) first, one or two senses of each,
//   joined with "；": "aux. 可能，也许；n. 力量，权力";
// - a sense two parts of speech share is written once ("n./vt. 谋杀"), and
//   no sense twice;
// - bracketed notes and subject tags ("[计]", "(美)") are dropped; subject
//   and [网络] lines count only when there is nothing else;
// - "X的复数/过去式" notes and abbreviation expansions give way to any other
//   sense;
// - the line fits the test window's meaning label in two lines, the last
//   senses dropped where it would not.
//
// The rules are those the ready-made libraries are made with, so a word
// list imported against the dictionary reads like them. Empty when the
// translation holds no sense at all.
QString meaningLineOf(const QString &translation);

// How many lines `text` takes in the test window's meaning label, by the
// advance its font gives a Chinese character (twice a Latin one) and the
// places a line may break.
int meaningLabelLines(const QString &text);
