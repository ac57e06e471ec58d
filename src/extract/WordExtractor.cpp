#include "extract/WordExtractor.h"

#include "dict/Dictionary.h"
#include "extract/TextSources.h"
#include "extract/Tokeniser.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace ExamLevel {

namespace {
const char *const tags[] = {"zk", "gk", "cet4", "cet6", "ky", "ielts", "toefl", "gre"};
}

const QStringList &names()
{
    static const QStringList levels = {
        QStringLiteral("中考"), QStringLiteral("高考"), QStringLiteral("四级"), QStringLiteral("六级"),
        QStringLiteral("考研"), QStringLiteral("雅思"), QStringLiteral("托福"), QStringLiteral("GRE"),
    };
    return levels;
}

int fromName(const QString &name)
{
    const QString wanted = name.trimmed();
    for (int level = 0; level < int(names().size()); ++level) {
        if (wanted.compare(names()[level], Qt::CaseInsensitive) == 0 ||
            wanted.compare(QLatin1String(tags[level]), Qt::CaseInsensitive) == 0)
            return level;
    }
    return None;
}

int ofTags(const QString &tagList)
{
    int easiest = None;
    for (const QStringView tag : QStringView(tagList).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        for (int level = 0; level < int(std::size(tags)); ++level) {
            if (tag == QLatin1String(tags[level]) && (easiest == None || level < easiest))
                easiest = level;
        }
    }
    return easiest;
}

QString nameOf(int level)
{
    return level >= 0 && level < int(names().size()) ? names()[level] : QStringLiteral("超纲");
}

} // namespace ExamLevel

namespace {

// Inflection keys of the exchange column that name another form of the
// entry: past, past participle, -ing, third person, plural, comparative,
// superlative. ("0" and "1" say what the entry itself is a form of.)
bool isInflectionKey(QByteArrayView key)
{
    return key.size() == 1 && QByteArrayView("pdi3srt").contains(key.front());
}

QString lemmaOf(const QString &exchange)
{
    for (const QStringView part : QStringView(exchange).split(QLatin1Char('/'))) {
        if (part.startsWith(QLatin1String("0:")))
            return part.sliced(2).toString();
    }
    return QString();
}

} // namespace

BaseForms::BaseForms(Dictionary &dictionary)
    : m_dictionary(dictionary)
{
}

QString BaseForms::of(const QString &word)
{
    const auto cached = m_cache.constFind(word);
    if (cached != m_cache.constEnd())
        return *cached;
    QString base;
    if (const std::optional<DictionaryEntry> entry = m_dictionary.lookup(word)) {
        base = entry->word.toLower();
        const QString lemma = lemmaOf(entry->exchange);
        if (!lemma.isEmpty() && m_dictionary.lookup(lemma))
            base = lemma.toLower();
    } else {
        if (!m_indexed) {
            m_indexed = true;
            m_dictionary.forEachExchange([this](QByteArrayView entryWord, QByteArrayView exchange) {
                // Capitalised entries are names; text words are looked up in
                // lower case.
                const QString lemma = QString::fromUtf8(entryWord);
                if (lemma != lemma.toLower())
                    return;
                for (const QByteArrayView part : QByteArray::fromRawData(exchange.data(), exchange.size()).split('/')) {
                    const qsizetype colon = part.indexOf(':');
                    if (colon < 0 || !isInflectionKey(part.first(colon)) || colon + 1 == part.size())
                        continue;
                    // The first entry to claim a form keeps it: in file order
                    // the shorter word, mostly the commoner one (shelves
                    // under shelf, not shelve).
                    const QString form = QString::fromUtf8(part.sliced(colon + 1)).toLower();
                    if (!m_inflections.contains(form))
                        m_inflections.insert(form, lemma);
                }
            });
        }
        base = m_inflections.value(word);
        if (!base.isEmpty())
            base = of(base);
    }
    m_cache.insert(word, base);
    return base;
}

namespace {

struct Occurrence
{
    QString word; // lower case, as written
    int sentence = 0;
};

// A sentence as it is, or, when it is too long to show (a text without full
// stops, a word list), the part around `word` with "…" where it was cut.
QString excerpt(const QString &sentence, const QString &word)
{
    constexpr qsizetype Longest = 240;
    if (sentence.size() <= Longest)
        return sentence;
    const qsizetype at = std::max<qsizetype>(0, sentence.indexOf(word, 0, Qt::CaseInsensitive));
    const qsizetype start = std::clamp<qsizetype>(at - Longest / 3, 0, sentence.size() - Longest);
    QString part = sentence.mid(start, Longest);
    if (start > 0)
        part = QStringLiteral("…") + part;
    if (start + Longest < sentence.size())
        part += QStringLiteral("…");
    return part;
}

struct SurfaceCase
{
    bool lower = false;             // seen with a small first letter
    bool capitalisedInside = false; // seen capitalised, not first in its sentence
};

} // namespace

ExtractResult extractWords(const QStringList &blocks, Dictionary &dictionary, BaseForms &baseForms,
                           const ExtractOptions &options)
{
    ExtractResult result;
    QStringList sentences;
    QList<Occurrence> occurrences;
    QHash<QString, SurfaceCase> cases;
    // Reading the blocks is nearly all of the work; the rest is told as done.
    const qsizetype reportEvery = std::max<qsizetype>(1, blocks.size() / 100);
    for (qsizetype b = 0; b < blocks.size(); ++b) {
        if (options.progress && b % reportEvery == 0 && !options.progress(int(b * 95 / blocks.size()))) {
            result.stopped = true;
            return result;
        }
        const QString &block = blocks[b];
        for (const QString &sentence : Tokeniser::sentences(block)) {
            bool any = false;
            for (const Tokeniser::Token &token : Tokeniser::words(sentence)) {
                QString lower = token.word.toLower();
                QStringList parts{lower};
                // A hyphenated word the dictionary does not know counts as its
                // parts ("ice-cold" as ice and cold).
                if (lower.contains(QLatin1Char('-')) && baseForms.of(lower).isEmpty())
                    parts = lower.split(QLatin1Char('-'), Qt::SkipEmptyParts);
                for (const QString &part : parts) {
                    if (part.size() < 2)
                        continue;
                    SurfaceCase &seen = cases[part];
                    if (token.letterCase == Tokeniser::Case::Lower)
                        seen.lower = true;
                    else if (token.letterCase == Tokeniser::Case::Capitalised && !token.sentenceStart)
                        seen.capitalisedInside = true;
                    occurrences.append({part, int(sentences.size())});
                    any = true;
                }
            }
            if (any)
                sentences.append(sentence);
        }
    }
    result.tokens = int(occurrences.size());

    QHash<QString, int> indexOf;
    QList<ExtractCandidate> candidates;
    QSet<QString> knownSeen;
    QSet<QString> properSeen;
    for (const Occurrence &occurrence : std::as_const(occurrences)) {
        const SurfaceCase seen = cases.value(occurrence.word);
        if (!seen.lower && seen.capitalisedInside) {
            properSeen.insert(occurrence.word);
            continue;
        }
        const QString base = baseForms.of(occurrence.word);
        if (base.isEmpty())
            continue;
        ++result.dictionaryWords;
        const auto found = indexOf.constFind(base);
        if (found != indexOf.constEnd()) {
            ++candidates[*found].count;
            continue;
        }
        if (knownSeen.contains(base))
            continue;
        const std::optional<DictionaryEntry> entry = dictionary.lookup(base);
        const int level = entry ? ExamLevel::ofTags(entry->tags) : ExamLevel::None;
        if (options.knownWords.contains(base) || options.knownWords.contains(occurrence.word) ||
            (level != ExamLevel::None && level <= options.knownLevel)) {
            knownSeen.insert(base);
            continue;
        }
        indexOf.insert(base, int(candidates.size()));
        candidates.append({base, 1, level, QString(), occurrence.word, occurrence.sentence, int(candidates.size())});
    }
    result.knownDropped = int(knownSeen.size());
    result.properNouns = int(properSeen.size());

    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const ExtractCandidate &a, const ExtractCandidate &b) { return a.count > b.count; });
    if (options.limit > 0 && candidates.size() > options.limit)
        candidates.resize(options.limit);
    for (ExtractCandidate &candidate : candidates) {
        candidate.meaning = dictionary.meaningLine(candidate.word);
        // Until here `sentence` holds the word as first written.
        candidate.sentence = excerpt(sentences.value(candidate.firstSentence), candidate.sentence);
    }
    result.candidates = candidates;
    if (options.progress && !options.progress(100))
        result.stopped = true;

    if (result.tokens == 0)
        result.error = QStringLiteral("没有找到英文单词。");
    else if (result.dictionaryWords == 0 || (result.tokens >= 20 && result.dictionaryWords * 2 < result.tokens))
        result.error = QStringLiteral("这不像英文文本：大部分词在词典里查不到。");
    return result;
}

ExtractResult extractFromFile(const QString &path, Dictionary &dictionary, const ExtractOptions &options)
{
    constexpr int ReadShare = 10;
    const auto report = [&options](int percent) { return !options.progress || options.progress(percent); };
    ExtractResult result;
    if (!report(0)) {
        result.stopped = true;
        return result;
    }
    const TextSources::Document document = TextSources::readFile(path);
    if (!document.error.isEmpty()) {
        result.error = document.error;
    } else if (document.blocks.isEmpty()) {
        result.error = QStringLiteral("文件是空的，没有可提取的文字。");
    } else if (!report(ReadShare)) {
        result.stopped = true;
    } else {
        ExtractOptions rest = options;
        if (options.progress)
            rest.progress = [&options](int percent) { return options.progress(ReadShare + percent * (100 - ReadShare) / 100); };
        BaseForms baseForms(dictionary);
        result = extractWords(document.blocks, dictionary, baseForms, rest);
    }
    return result;
}

QSet<QString> knownWordsIn(const QString &text)
{
    QSet<QString> words;
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        const QStringView word = line.trimmed();
        if (!word.isEmpty() && !word.startsWith(QLatin1Char('#')))
            words.insert(word.toString().toLower());
    }
    return words;
}

QSet<QString> readKnownWords(const QString &path)
{
    return knownWordsIn(readKnownWordsText(path));
}

QString readKnownWordsText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return TextSources::decodeText(file.readAll());
}

bool writeKnownWordsText(const QString &path, const QString &text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes = text.toUtf8();
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        bytes.append('\n');
    return file.write(bytes) == bytes.size() && file.commit();
}

QString withKnownWords(const QString &text, const QStringList &words, int *added)
{
    QSet<QString> present = knownWordsIn(text);
    QString result = text;
    int count = 0;
    for (const QString &word : words) {
        const QString lower = word.trimmed().toLower();
        if (lower.isEmpty() || present.contains(lower))
            continue;
        present.insert(lower);
        if (!result.isEmpty() && !result.endsWith(QLatin1Char('\n')))
            result += QLatin1Char('\n');
        result += lower + QLatin1Char('\n');
        ++count;
    }
    if (added)
        *added = count;
    return result;
}

QStringList wordsUpToLevel(Dictionary &dictionary, int level)
{
    QStringList words;
    if (level == ExamLevel::None)
        return words;
    dictionary.forEachTagged([&](QByteArrayView word, QByteArrayView tags) {
        const int wordLevel = ExamLevel::ofTags(QString::fromUtf8(tags));
        if (wordLevel == ExamLevel::None || wordLevel > level)
            return;
        const QString text = QString::fromUtf8(word);
        // Known-word lists hold single lower-case words: the extractor
        // never meets a phrase or a name as one token.
        if (text.contains(QLatin1Char(' ')) || text != text.toLower())
            return;
        words.append(text);
    });
    std::sort(words.begin(), words.end());
    return words;
}
