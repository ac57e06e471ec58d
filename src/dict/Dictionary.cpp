#include "dict/Dictionary.h"

#include "dict/MeaningLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Larger than any dictionary we ship by far; also keeps every offset within
// the four bytes the index stores.
constexpr qint64 MaxFileSize = 256 * 1024 * 1024;
constexpr int ColumnCount = 5;

struct Span
{
    const char *begin = nullptr;
    const char *end = nullptr;
    int size() const { return int(end - begin); }
};

// The line starting at `begin`, without its LF (and a CR before it, so a
// file saved with CRLF line ends still reads).
Span lineAt(const char *begin, const char *fileEnd)
{
    const char *end = static_cast<const char *>(std::memchr(begin, '\n', size_t(fileEnd - begin)));
    if (end == nullptr)
        end = fileEnd;
    if (end > begin && end[-1] == '\r')
        --end;
    return Span{begin, end};
}

// Splits `line` at its tabs; false unless it has exactly five columns.
bool splitColumns(Span line, Span (&columns)[ColumnCount])
{
    const char *start = line.begin;
    int column = 0;
    for (const char *p = line.begin; p < line.end; ++p) {
        if (*p != '\t')
            continue;
        if (column == ColumnCount - 1)
            return false;
        columns[column++] = Span{start, p};
        start = p + 1;
    }
    if (column != ColumnCount - 1)
        return false;
    columns[column] = Span{start, line.end};
    return true;
}

// Plain byte order, as the file is sorted (memcmp compares unsigned bytes).
int compareBytes(const char *a, int aSize, const char *b, int bSize)
{
    const int common = std::min(aSize, bSize);
    const int result = common > 0 ? std::memcmp(a, b, size_t(common)) : 0;
    if (result != 0)
        return result;
    return aSize < bSize ? -1 : (aSize > bSize ? 1 : 0);
}

QString text(Span span)
{
    return QString::fromUtf8(span.begin, span.size());
}

} // namespace

Dictionary::Dictionary(QStringList candidates)
    : m_candidates(std::move(candidates))
    , m_path(m_candidates.value(0))
{
}

QStringList Dictionary::standardPlaces(const QString &dataDir, const QString &programDir)
{
    QStringList places{QDir(dataDir).filePath(fileName())};
    const QString besideProgram = QDir(programDir).filePath(QStringLiteral("data/") + fileName());
    if (!programDir.isEmpty() && QFileInfo(besideProgram).absoluteFilePath() != QFileInfo(places.first()).absoluteFilePath())
        places.append(besideProgram);
    return places;
}

Dictionary::State Dictionary::load()
{
    // Imports look words up on their parse threads while the windows do on
    // theirs: the first lookup reads the file once, whoever makes it; after
    // that nothing changes and lookups only read.
    const std::lock_guard<std::mutex> lock(m_loading);
    if (m_state == State::NotLoaded)
        m_state = parse();
    return m_state;
}

Dictionary::State Dictionary::parse()
{
    for (const QString &candidate : std::as_const(m_candidates)) {
        if (QFileInfo::exists(candidate)) {
            m_path = candidate;
            break;
        }
    }
    QFile file(m_path);
    if (m_path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return State::Missing;
    if (file.size() > MaxFileSize)
        return State::Damaged;
    // Read once, not mapped: a file replaced under a running program (an
    // upgrade, a copy over it) must not pull pages out from under us.
    m_data = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        m_data.clear();
        return State::Missing;
    }
    if (m_data.size() > MaxFileSize) {
        m_data.clear();
        return State::Damaged;
    }

    const char *const begin = m_data.constData();
    const char *const end = begin + m_data.size();
    const char *p = begin;
    if (m_data.startsWith("\xEF\xBB\xBF"))
        p += 3;
    std::vector<quint32> lines;
    // Entries are about 140 bytes; a guess that saves most regrowth.
    lines.reserve(size_t(m_data.size() / 128));
    Span previousWord;
    bool inHeader = true;
    while (p < end) {
        const Span line = lineAt(p, end);
        const char *next = line.end;
        while (next < end && *next != '\n')
            ++next;
        if (next < end)
            ++next;
        if (line.size() == 0 || (inHeader && *line.begin == '#')) {
            p = next;
            continue;
        }
        inHeader = false;
        Span columns[ColumnCount];
        if (!splitColumns(line, columns) || columns[0].size() == 0)
            break;
        if (previousWord.begin != nullptr &&
            compareBytes(previousWord.begin, previousWord.size(), columns[0].begin, columns[0].size()) >= 0)
            break;
        previousWord = columns[0];
        lines.push_back(quint32(p - begin));
        p = next;
    }
    if (p < end || lines.empty()) {
        m_data.clear();
        return State::Damaged;
    }
    lines.shrink_to_fit();
    m_lines = std::move(lines);
    return State::Loaded;
}

int Dictionary::find(const QByteArray &key) const
{
    const char *const begin = m_data.constData();
    const char *const end = begin + m_data.size();
    auto wordAt = [&](quint32 offset) {
        const char *start = begin + offset;
        const char *tab = static_cast<const char *>(std::memchr(start, '\t', size_t(end - start)));
        return Span{start, tab};
    };
    const auto found = std::lower_bound(m_lines.begin(), m_lines.end(), key, [&](quint32 offset, const QByteArray &k) {
        const Span word = wordAt(offset);
        return compareBytes(word.begin, word.size(), k.constData(), int(k.size())) < 0;
    });
    if (found == m_lines.end())
        return -1;
    const Span word = wordAt(*found);
    if (compareBytes(word.begin, word.size(), key.constData(), int(key.size())) != 0)
        return -1;
    return int(found - m_lines.begin());
}

DictionaryEntry Dictionary::entryAt(int index) const
{
    const char *const end = m_data.constData() + m_data.size();
    Span columns[ColumnCount];
    splitColumns(lineAt(m_data.constData() + m_lines[size_t(index)], end), columns);
    return DictionaryEntry{text(columns[0]), text(columns[1]),
                           unescape(QByteArray::fromRawData(columns[2].begin, columns[2].size())), text(columns[3]),
                           text(columns[4])};
}

std::optional<DictionaryEntry> Dictionary::lookup(const QString &word)
{
    const QString wanted = word.trimmed();
    if (wanted.isEmpty() || load() != State::Loaded)
        return std::nullopt;
    int index = find(wanted.toUtf8());
    if (index < 0) {
        const QString lower = wanted.toLower();
        if (lower != wanted)
            index = find(lower.toUtf8());
    }
    if (index < 0)
        return std::nullopt;
    return entryAt(index);
}

void Dictionary::forEachExchange(const std::function<void(QByteArrayView word, QByteArrayView exchange)> &visit)
{
    forEachWithColumn(3, visit);
}

void Dictionary::forEachTagged(const std::function<void(QByteArrayView word, QByteArrayView tags)> &visit)
{
    forEachWithColumn(4, visit);
}

void Dictionary::forEachWithColumn(int column,
                                   const std::function<void(QByteArrayView word, QByteArrayView value)> &visit)
{
    if (load() != State::Loaded)
        return;
    const char *const end = m_data.constData() + m_data.size();
    for (const quint32 offset : m_lines) {
        Span columns[ColumnCount];
        splitColumns(lineAt(m_data.constData() + offset, end), columns);
        if (columns[column].size() > 0)
            visit(QByteArrayView(columns[0].begin, columns[0].size()),
                  QByteArrayView(columns[column].begin, columns[column].size()));
    }
}

QString Dictionary::unescape(const QByteArray &text)
{
    if (!text.contains('\\'))
        return QString::fromUtf8(text);
    QByteArray plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '\\' && i + 1 < text.size() && (text.at(i + 1) == 'n' || text.at(i + 1) == '\\')) {
            plain.append(text.at(i + 1) == 'n' ? '\n' : '\\');
            ++i;
        } else {
            plain.append(c);
        }
    }
    return QString::fromUtf8(plain);
}

QString Dictionary::meaningLine(const QString &word)
{
    const std::optional<DictionaryEntry> entry = lookup(word);
    return entry ? meaningLineOf(entry->translation) : QString();
}

std::function<QString(const QString &)> Dictionary::meaningLookup(std::shared_ptr<Dictionary> dictionary)
{
    return [dictionary](const QString &word) { return dictionary->meaningLine(word); };
}

QString Dictionary::describe(const QString &word, bool withMeaning)
{
    const std::optional<DictionaryEntry> entry = lookup(word);
    if (!entry)
        return QString();
    QString head = entry->word;
    if (!entry->phonetic.isEmpty())
        head += QStringLiteral("  /") + entry->phonetic + QLatin1Char('/');
    return !withMeaning || entry->translation.isEmpty() ? head : head + QLatin1Char('\n') + entry->translation;
}
