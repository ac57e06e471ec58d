#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

class Dictionary;

// Exam levels, from the dictionary's tags, easiest first:
// 中考 (zk) < 高考 (gk) < 四级 (cet4) < 六级 (cet6) < 考研 (ky) < 雅思 (ielts)
// < 托福 (toefl) < GRE (gre). Each exam's list grows out of the ones before
// it in Chinese schooling, and the three study-abroad tests follow by the size
// of their lists. A word's level is the easiest exam that lists it; a word no
// exam lists is 超纲.
namespace ExamLevel {

constexpr int None = -1;
// The levels in order; the index is the level.
const QStringList &names();
// The level of one name (中考 … GRE, or the tag zk … gre); None when unknown.
int fromName(const QString &name);
// The easiest level among space-separated tags; None without any.
int ofTags(const QString &tags);
// The name to show: 中考 … GRE, or 超纲 for None.
QString nameOf(int level);

} // namespace ExamLevel

// Base forms through the dictionary's inflection column: a word that is an
// entry with a lemma ("0:child") becomes the lemma; a word that is no entry
// becomes the entry that lists it as an inflection ("entered" under enter's
// "p:entered"). The inflection index is built once, on the first word that
// needs it.
class BaseForms
{
public:
    explicit BaseForms(Dictionary &dictionary);
    // The base form of a lower-case word; empty when the dictionary knows
    // neither the word nor an entry it inflects.
    QString of(const QString &word);

private:
    Dictionary &m_dictionary;
    QHash<QString, QString> m_inflections;
    bool m_indexed = false;
    QHash<QString, QString> m_cache;
};

struct ExtractCandidate
{
    QString word; // the base form
    int count = 0;
    int level = ExamLevel::None;
    QString meaning;
    QString sentence; // the first sentence it occurs in
    int firstSentence = 0;
    int firstSeen = 0; // its place among the candidates by first appearance
};

// Words the record holds as remembered this long count as known: their
// next review is weeks away.
inline constexpr double KnownStabilityDays = 21.0;

struct ExtractOptions
{
    // Words known as they are (lower case, base forms or as written).
    QSet<QString> knownWords;
    // Words of this level and every easier one are known; None for none.
    int knownLevel = ExamLevel::None;
    // At most this many candidates; 0 for all.
    int limit = 0;
    // Told now and then how much of the text is done (0-100); returning
    // false stops the extraction, whose result is then marked stopped.
    std::function<bool(int percent)> progress = {};
};

struct ExtractResult
{
    // Most frequent first; equal counts in the order they first appear.
    QList<ExtractCandidate> candidates;
    int tokens = 0;          // words read, proper nouns included
    int dictionaryWords = 0; // of those, words the dictionary knows
    int knownDropped = 0;    // distinct base forms dropped as known
    int properNouns = 0;     // distinct words dropped as proper nouns
    // Empty, or why the text yields no word book ("no English words").
    QString error;
    // Stopped through the progress function: the rest means nothing.
    bool stopped = false;
};

// Picks the words worth learning from blocks of text (see TextSources).
ExtractResult extractWords(const QStringList &blocks, Dictionary &dictionary, BaseForms &baseForms,
                           const ExtractOptions &options);

// Reads the text, subtitle, web page or e-book at `path` (see TextSources)
// and picks its words; a file that cannot be read, or is empty, has the
// reason in `error`. Reading the file counts as the first tenth of the
// progress told to `options.progress`.
ExtractResult extractFromFile(const QString &path, Dictionary &dictionary, const ExtractOptions &options);

// The known-words list, in the data folder.
inline QString knownWordsFileName()
{
    return QStringLiteral("known.txt");
}

// Reads a known-words list: one word a line, any encoding the libraries use,
// '#' starting a comment line; lower case. Empty when the file is missing.
QSet<QString> readKnownWords(const QString &path);
// The words of a known-words list's text, as readKnownWords() reads them.
QSet<QString> knownWordsIn(const QString &text);
// The list's text as it is (comments included), for editing; empty when
// the file is missing.
QString readKnownWordsText(const QString &path);
// Replaces the list with `text` (written as UTF-8) in one step, so a failed
// write leaves the old list whole. False when it cannot be written.
bool writeKnownWordsText(const QString &path, const QString &text);
// `text` with each of `words` not yet in it added on a line of its own, in
// the order given; `added` (when given) tells how many were new.
QString withKnownWords(const QString &text, const QStringList &words, int *added = nullptr);
// The words of `level` and every easier one, in alphabetical order, as the
// dictionary tags them; phrases and capitalised entries left out.
QStringList wordsUpToLevel(Dictionary &dictionary, int level);
