#include "library/Importer.h"

#include "library/WordFile.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

#include <initializer_list>

namespace Import {
namespace {

bool isLineEnd(QChar c)
{
    return c == u'\n' || c == u'\r';
}

// Steps over one line end at `pos` (CR LF counts once).
qsizetype skipLineEnd(const QString &text, qsizetype pos)
{
    if (pos < text.size() && text[pos] == u'\r') {
        ++pos;
        if (pos < text.size() && text[pos] == u'\n')
            ++pos;
    } else if (pos < text.size() && text[pos] == u'\n') {
        ++pos;
    }
    return pos;
}

// One line of text for our format: line breaks, tabs and other control
// characters become spaces, runs of blanks one space, and the ends are
// trimmed. A word with a doubled space inside could never be typed right.
QString tidy(const QString &text)
{
    QString out;
    out.reserve(text.size());
    bool pendingSpace = false;
    for (const QChar c : text) {
        // Most characters are ASCII: only the rest needs the Unicode tables.
        const char16_t u = c.unicode();
        const bool blank = u < 0x80 ? (u <= 0x20 || u == 0x7F)
                                    : (c.isSpace() || c.category() == QChar::Other_Control || u == 0xFEFF);
        if (blank) {
            pendingSpace = !out.isEmpty();
            continue;
        }
        if (pendingSpace) {
            out += u' ';
            pendingSpace = false;
        }
        out += c;
    }
    return out;
}

QString decodeEntity(const QString &name)
{
    static const struct {
        const char16_t *name;
        char16_t character;
    } named[] = {{u"nbsp", u' '}, {u"amp", u'&'}, {u"lt", u'<'}, {u"gt", u'>'}, {u"quot", u'"'}, {u"apos", u'\''}};
    for (const auto &entry : named) {
        if (name == QStringView(entry.name))
            return QString(QChar(entry.character));
    }
    if (name.size() > 1 && name[0] == u'#') {
        bool ok = false;
        const uint code = (name[1] == u'x' || name[1] == u'X') ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
        if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
            const char32_t character = code;
            return QString::fromUcs4(&character, 1);
        }
    }
    return {};
}

// Flashcard fields hold HTML: tags go (a line-breaking one leaves a space),
// entities become their characters, "[sound:...]" references go.
QString stripHtml(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'<') {
            const qsizetype close = text.indexOf(u'>', i + 1);
            if (close > i) {
                out += u' ';
                i = close;
                continue;
            }
        } else if (c == u'&') {
            const qsizetype semicolon = text.indexOf(u';', i + 1);
            if (semicolon > i + 1 && semicolon - i <= 10) {
                const QString decoded = decodeEntity(text.mid(i + 1, semicolon - i - 1));
                if (!decoded.isEmpty()) {
                    out += decoded;
                    i = semicolon;
                    continue;
                }
            }
        } else if (c == u'[' && QStringView(text).mid(i).startsWith(u"[sound:")) {
            const qsizetype close = text.indexOf(u']', i);
            if (close > i) {
                i = close;
                continue;
            }
        }
        out += c;
    }
    return out;
}

bool isCjk(QChar c)
{
    const char16_t u = c.unicode();
    // The unified ideographs and their extension A, the compatibility ones,
    // and the full-width forms a Chinese meaning uses; a surrogate pair is an
    // ideograph of the later extensions far more often than anything else.
    return (u >= 0x3400 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF01 && u <= 0xFF5E)
        || (u >= 0x3000 && u <= 0x303F) || c.isHighSurrogate();
}

bool hasCjk(QStringView text)
{
    for (const QChar c : text) {
        if (isCjk(c))
            return true;
    }
    return false;
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// An English word or phrase as a list holds it: letters, with blanks,
// hyphens, apostrophes and dots between them ("give up", "o'clock", "U.S.").
bool isLatinWord(QStringView text)
{
    bool letter = false;
    for (const QChar c : text) {
        if (isAsciiLetter(c) || (c.isLetter() && c.unicode() < 0x250))
            letter = true;
        else if (!(c == u' ' || c == u'-' || c == u'\'' || c == u'.' || c == QChar(0x2019)))
            return false;
    }
    return letter && text.size() <= 60;
}

bool isIpa(QChar c)
{
    return QStringView(u"əɪʊʌæɑɔʃʒθðŋːˈˌɜɒɛɡ").contains(c);
}

// "[ə'bændən]", "/əˈbændən/", or IPA letters without brackets.
bool isPhonetic(QStringView text)
{
    if (text.size() >= 3 && !hasCjk(text)
        && ((text.front() == u'[' && text.back() == u']') || (text.front() == u'/' && text.back() == u'/')))
        return true;
    bool ipa = false;
    for (const QChar c : text) {
        if (isIpa(c))
            ipa = true;
        else if (isCjk(c))
            return false;
    }
    return ipa;
}

// "12", "12.", "(3)", "No.4": a line number, not a word.
bool isNumber(QStringView text)
{
    QStringView rest = text;
    if (rest.startsWith(u"No.", Qt::CaseInsensitive))
        rest = rest.mid(3);
    bool digit = false;
    for (const QChar c : rest) {
        if (c.isDigit())
            digit = true;
        else if (!QStringView(u".、)）(（").contains(c))
            return false;
    }
    return digit;
}

Role headerRole(const QString &name)
{
    static const struct {
        const char16_t *name;
        Role role;
    } names[] = {
        {u"word", Role::Word},         {u"words", Role::Word},           {u"单词", Role::Word},
        {u"词", Role::Word},           {u"词汇", Role::Word},            {u"front", Role::Word},
        {u"英文", Role::Word},         {u"english", Role::Word},         {u"vocabulary", Role::Word},
        {u"meaning", Role::Meaning},   {u"meanings", Role::Meaning},     {u"释义", Role::Meaning},
        {u"意思", Role::Meaning},      {u"中文", Role::Meaning},         {u"back", Role::Meaning},
        {u"translation", Role::Meaning}, {u"definition", Role::Meaning}, {u"chinese", Role::Meaning},
        {u"词义", Role::Meaning},      {u"解释", Role::Meaning},         {u"中文释义", Role::Meaning},
        {u"音标", Role::Phonetic},     {u"phonetic", Role::Phonetic},    {u"phonetics", Role::Phonetic},
        {u"pronunciation", Role::Phonetic}, {u"ipa", Role::Phonetic},    {u"发音", Role::Phonetic},
        {u"序号", Role::Number},       {u"no.", Role::Number},           {u"no", Role::Number},
        {u"编号", Role::Number},       {u"number", Role::Number},        {u"#", Role::Number},
        {u"id", Role::Number},
    };
    for (const auto &entry : names) {
        if (QString::compare(name, QStringView(entry.name), Qt::CaseInsensitive) == 0)
            return entry.role;
    }
    return Role::Ignore;
}

// A first row such as "单词,音标,释义" or "Word<TAB>Meaning": a word column's
// name and the name of another known column.
bool isHeaderRow(const QStringList &fields)
{
    bool word = false;
    bool other = false;
    for (const QString &field : fields) {
        const Role role = headerRole(field);
        word = word || role == Role::Word;
        other = other || (role != Role::Word && role != Role::Ignore);
    }
    return word && other;
}

// How many fields a row of this format may have beyond its columns and still
// be one record: where the separator also turns up inside meanings, the
// rest of the line is the meaning's.
bool separatorInMeanings(Format format)
{
    return format == Format::Csv || format == Format::Semicolon || format == Format::Spaces;
}

// One line (or quoted lines) split into fields. `starts` are the fields'
// places in `raw`, the line as it was, when the format has it.
struct Row
{
    QStringList fields;
    QList<qsizetype> starts;
    QString raw;
    qsizetype line = 0;
    bool unclosed = false;
};

// Excel's "text (tab-separated)" quotes a field that holds a quote and
// doubles the quotes in it. Only a field that shows that doubling loses its
// quotes: a hand-typed "word" in quotes stays as it is.
QString unquoteExcel(const QString &field)
{
    if (field.size() < 4 || !field.startsWith(u'"') || !field.endsWith(u'"'))
        return field;
    const QStringView inner = QStringView(field).mid(1, field.size() - 2);
    if (!inner.contains(u"\"\""))
        return field;
    QString out;
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] == u'"') {
            if (i + 1 >= inner.size() || inner[i + 1] != u'"')
                return field; // a lone quote: not Excel's quoting
            ++i;
        }
        out += inner[i];
    }
    return out;
}

bool isPartOfSpeech(QStringView token)
{
    // "v.", "adj.", "vt.", "n.&v.", "adv./prep."
    qsizetype letters = 0;
    bool dot = false;
    for (const QChar c : token) {
        if (c >= u'a' && c <= u'z') {
            ++letters;
            if (letters > 5)
                return false;
        } else if (c == u'.') {
            dot = true;
            letters = 0;
        } else if (c != u'&' && c != u'/') {
            return false;
        }
    }
    return dot && token.endsWith(u'.');
}

// "1. abandon [ə'bændən] v. 放弃" as number, word, phonetic and meaning.
QStringList splitNumbered(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && line[i].isSpace())
        ++i;
    const qsizetype numberStart = i;
    while (i < line.size() && line[i].isDigit())
        ++i;
    const QString number = line.mid(numberStart, i - numberStart).toString();
    if (!number.isEmpty() && i < line.size() && QStringView(u".、)）:：").contains(line[i]))
        ++i;
    QStringView rest = line.mid(i).trimmed();
    // The word: English tokens up to the phonetic, a part of speech or the
    // first Chinese.
    qsizetype end = 0;
    qsizetype wordEnd = 0;
    while (end < rest.size()) {
        qsizetype tokenEnd = end;
        while (tokenEnd < rest.size() && !rest[tokenEnd].isSpace())
            ++tokenEnd;
        const QStringView token = rest.mid(end, tokenEnd - end);
        if (token.startsWith(u'[') || token.startsWith(u'/') || (wordEnd > 0 && isPartOfSpeech(token))
            || !isLatinWord(token))
            break;
        wordEnd = tokenEnd;
        end = tokenEnd;
        while (end < rest.size() && rest[end].isSpace())
            ++end;
    }
    const QString word = rest.left(wordEnd).toString();
    rest = rest.mid(wordEnd).trimmed();
    QString phonetic;
    if (rest.startsWith(u'[') || rest.startsWith(u'/')) {
        const QChar close = rest.front() == u'[' ? u']' : u'/';
        const qsizetype closeAt = rest.indexOf(close, 1);
        if (closeAt > 0) {
            phonetic = rest.left(closeAt + 1).toString();
            rest = rest.mid(closeAt + 1).trimmed();
        }
    }
    return {number, word, phonetic, rest.toString()};
}

// The file's text from where its header ends, row by row, in its format.
class RowReader
{
public:
    RowReader(const QString &text, Format format, QChar separator, qsizetype pos, qsizetype line)
        : m_text(text)
        , m_format(format)
        , m_separator(separator)
        , m_pos(pos)
        , m_line(line)
    {
    }

    qsizetype position() const { return m_pos; }
    // Lines started so far (the last one counts once it holds anything).
    qsizetype lines() const { return m_line - 1; }

    bool next(Row &row)
    {
        if (m_pos >= m_text.size())
            return false;
        row = Row();
        row.line = m_line;
        if (m_format == Format::Csv || m_format == Format::Semicolon || m_format == Format::Flashcard)
            readQuoted(row);
        else
            splitLine(row, takeLine());
        return true;
    }

private:
    QString takeLine()
    {
        qsizetype end = m_pos;
        while (end < m_text.size() && !isLineEnd(m_text[end]))
            ++end;
        QString line = m_text.mid(m_pos, end - m_pos);
        m_pos = skipLineEnd(m_text, end);
        ++m_line;
        return line;
    }

    void add(Row &row, const QString &line, qsizetype start, qsizetype end)
    {
        row.fields << line.mid(start, end - start);
        row.starts << start;
    }

    // Splits at the first of `separators` only: the word never holds one,
    // and whatever follows is the meaning.
    void splitOnce(Row &row, const QString &line, std::initializer_list<QStringView> separators)
    {
        qsizetype at = -1;
        qsizetype length = 0;
        for (const QStringView separator : separators) {
            const qsizetype found = line.indexOf(separator);
            if (found >= 0 && (at < 0 || found < at)) {
                at = found;
                length = separator.size();
            }
        }
        if (at < 0) {
            add(row, line, 0, line.size());
            return;
        }
        add(row, line, 0, at);
        add(row, line, at + length, line.size());
    }

    void splitLine(Row &row, const QString &line)
    {
        row.raw = line;
        switch (m_format) {
        case Format::Tsv: {
            qsizetype start = 0;
            for (;;) {
                const qsizetype tab = line.indexOf(u'\t', start);
                const qsizetype end = tab < 0 ? line.size() : tab;
                row.fields << unquoteExcel(line.mid(start, end - start));
                row.starts << start;
                if (tab < 0)
                    break;
                start = tab + 1;
            }
            break;
        }
        case Format::Dash:
            splitOnce(row, line, {u" - "});
            break;
        case Format::Equals:
            splitOnce(row, line, {u"="});
            break;
        case Format::FullWidth:
            splitOnce(row, line, {u"：", u"，"});
            break;
        case Format::Spaces: {
            qsizetype start = 0;
            while (start < line.size() && line[start].isSpace())
                ++start;
            qsizetype i = start;
            while (i < line.size()) {
                qsizetype run = i;
                while (run < line.size() && line[run].isSpace())
                    ++run;
                if (run - i >= 2 && run < line.size()) {
                    add(row, line, start, i);
                    start = run;
                }
                i = run > i ? run : i + 1;
            }
            add(row, line, start, line.size());
            break;
        }
        case Format::Numbered:
            row.fields = splitNumbered(line);
            row.raw.clear();
            break;
        default:
            add(row, line, 0, line.size());
            break;
        }
    }

    // Delimited rows with CSV quoting. An unclosed quote skips only the line
    // it starts on; reading goes on at the next line.
    void readQuoted(Row &row)
    {
        const qsizetype rowStart = m_pos;
        const qsizetype rowLine = m_line;
        QString field;
        bool atFieldStart = true;
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos];
            if (atFieldStart && c == u'"') {
                atFieldStart = false;
                ++m_pos;
                bool closed = false;
                while (m_pos < m_text.size()) {
                    const QChar q = m_text[m_pos];
                    if (q == u'"') {
                        if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'"') {
                            field += u'"';
                            m_pos += 2;
                            continue;
                        }
                        ++m_pos;
                        closed = true;
                        break;
                    }
                    if (isLineEnd(q)) {
                        m_pos = skipLineEnd(m_text, m_pos);
                        ++m_line;
                        field += u' ';
                        continue;
                    }
                    field += q;
                    ++m_pos;
                }
                if (!closed) {
                    // Back to the line after the one the row started on.
                    row.unclosed = true;
                    m_pos = rowStart;
                    m_line = rowLine;
                    takeLine();
                    return;
                }
                continue;
            }
            atFieldStart = false;
            if (c == m_separator) {
                row.fields << field;
                field.clear();
                atFieldStart = true;
                ++m_pos;
                continue;
            }
            if (isLineEnd(c)) {
                m_pos = skipLineEnd(m_text, m_pos);
                break;
            }
            field += c;
            ++m_pos;
        }
        ++m_line;
        row.fields << field;
    }

    const QString &m_text;
    Format m_format;
    QChar m_separator;
    qsizetype m_pos;
    qsizetype m_line;
};

// A flashcard export's "#key:value" lines at the top.
struct FlashcardHeader
{
    QChar separator = u'\t';
    bool html = true;
    QStringList columns;
    QList<qsizetype> reserved; // guid, note type, deck and tags columns (0-based)
    qsizetype end = 0;         // where the data starts
    qsizetype lines = 0;
};

FlashcardHeader readFlashcardHeader(const QString &text)
{
    FlashcardHeader header;
    qsizetype pos = 0;
    QString columnsValue;
    while (pos < text.size() && text[pos] == u'#') {
        qsizetype end = pos;
        while (end < text.size() && !isLineEnd(text[end]))
            ++end;
        const QString line = text.mid(pos + 1, end - pos - 1);
        const qsizetype colon = line.indexOf(u':');
        const QString key = line.left(colon).trimmed().toLower();
        const QString value = line.mid(colon + 1).trimmed();
        static const QStringList keys = {QStringLiteral("separator"),     QStringLiteral("html"),
                                         QStringLiteral("tags"),          QStringLiteral("columns"),
                                         QStringLiteral("deck"),          QStringLiteral("notetype"),
                                         QStringLiteral("guid column"),   QStringLiteral("notetype column"),
                                         QStringLiteral("deck column"),   QStringLiteral("tags column")};
        // Only known keys make a header: "#1 word" or "#hashtag" is data.
        if (colon <= 0 || !keys.contains(key))
            break;
        if (key == QStringLiteral("separator")) {
            static const struct {
                const char16_t *name;
                char16_t separator;
            } names[] = {{u"tab", u'\t'}, {u"comma", u','}, {u"semicolon", u';'}, {u"space", u' '},
                         {u"pipe", u'|'}, {u"colon", u':'}};
            for (const auto &entry : names) {
                if (QString::compare(value, QStringView(entry.name), Qt::CaseInsensitive) == 0)
                    header.separator = entry.separator;
            }
            if (value.size() == 1)
                header.separator = value[0];
        } else if (key == QStringLiteral("html")) {
            header.html = value.compare(QStringLiteral("false"), Qt::CaseInsensitive) != 0;
        } else if (key == QStringLiteral("columns")) {
            columnsValue = value;
        } else if (key.endsWith(QStringLiteral(" column"))) {
            bool ok = false;
            const int column = value.toInt(&ok);
            if (ok && column >= 1 && column <= 1000)
                header.reserved << column - 1;
        }
        pos = skipLineEnd(text, end);
        ++header.lines;
    }
    if (!columnsValue.isEmpty()) {
        for (const QString &name : columnsValue.split(header.separator))
            header.columns << tidy(name);
    }
    header.end = pos;
    return header;
}

struct ColumnStats
{
    qsizetype filled = 0;
    qsizetype latin = 0;
    qsizetype cjk = 0;
    qsizetype phonetic = 0;
    qsizetype number = 0;
    QSet<QString> distinct;
};

// Roles for `count` columns: from the names where they are known, the
// reserved columns ignored, the rest from what the sample rows hold.
QList<Role> guessRoles(qsizetype count, const QStringList &names, const QList<qsizetype> &reserved,
                       const QList<QStringList> &rows)
{
    QList<Role> roles(count, Role::Ignore);
    QList<bool> free(count, true);
    for (qsizetype c = 0; c < count; ++c) {
        if (reserved.contains(c)) {
            free[c] = false;
            continue;
        }
        const Role named = headerRole(names.value(c));
        if (named != Role::Ignore && !roles.contains(named)) {
            roles[c] = named;
            free[c] = false;
        }
    }
    QList<ColumnStats> stats(count);
    for (const QStringList &row : rows) {
        for (qsizetype c = 0; c < count && c < row.size(); ++c) {
            const QString &value = row[c];
            if (value.isEmpty())
                continue;
            ColumnStats &s = stats[c];
            ++s.filled;
            s.latin += isLatinWord(value) ? 1 : 0;
            s.cjk += hasCjk(value) ? 1 : 0;
            s.phonetic += isPhonetic(value) ? 1 : 0;
            s.number += isNumber(value) ? 1 : 0;
            s.distinct.insert(value);
        }
    }
    for (qsizetype c = 0; c < count; ++c) {
        const ColumnStats &s = stats[c];
        if (!free[c] || s.filled == 0)
            continue;
        if (s.number * 5 >= s.filled * 4 && !roles.contains(Role::Number)) {
            roles[c] = Role::Number;
            free[c] = false;
        } else if (s.phonetic * 2 >= s.filled && !roles.contains(Role::Phonetic)) {
            roles[c] = Role::Phonetic;
            free[c] = false;
        } else if (s.filled >= 3 && s.distinct.size() == 1) {
            free[c] = false; // the same in every row: a note type, a deck
        }
    }
    const auto pick = [&](Role role, const std::function<bool(qsizetype)> &good) {
        if (roles.contains(role))
            return;
        for (qsizetype c = 0; c < count; ++c) {
            if (free[c] && good(c)) {
                roles[c] = role;
                free[c] = false;
                return;
            }
        }
    };
    pick(Role::Word, [&](qsizetype c) { return stats[c].latin * 2 > stats[c].filled; });
    pick(Role::Meaning, [&](qsizetype c) { return stats[c].cjk * 2 > stats[c].filled; });
    const qsizetype wordColumn = roles.indexOf(Role::Word);
    pick(Role::Word, [&](qsizetype c) { return stats[c].filled > 0; });
    pick(Role::Meaning, [&](qsizetype c) { return c > wordColumn && stats[c].filled > 0; });
    pick(Role::Word, [](qsizetype) { return true; });
    pick(Role::Meaning, [](qsizetype) { return true; });
    return roles;
}

// The text of a file of any encoding we read, from after its byte-order mark.
QString decodeText(const QByteArray &bytes, Outcome &outcome)
{
    const TextCodec::Utf16Guess utf16 = TextCodec::detectUtf16(bytes);
    if (utf16.order != TextCodec::Utf16::None) {
        outcome.utf16 = utf16.order;
        return TextCodec::decodeUtf16(QByteArrayView(bytes).sliced(utf16.bomLength), utf16.order);
    }
    outcome.encoding = TextCodec::detect(bytes);
    const qsizetype bom = TextCodec::bomLength(outcome.encoding);
    return TextCodec::decode(QByteArrayView(bytes).sliced(qMin(bom, bytes.size())), outcome.encoding);
}

class Collector
{
public:
    Collector(Outcome &outcome, const MeaningLookup &lookup)
        : m_outcome(outcome)
        , m_lookup(lookup)
        , m_roles(outcome.choice.roles)
        , m_word(m_roles.indexOf(Role::Word))
        , m_meaning(m_roles.indexOf(Role::Meaning))
        , m_join(separatorInMeanings(outcome.choice.format) && m_meaning == m_roles.size() - 1)
        , m_separator(outcome.choice.format == Format::Semicolon ? QStringLiteral(";")
                                                                 : QStringLiteral(","))
        , m_needsSeparator(outcome.choice.format != Format::WordOnly && m_roles.size() > 1)
    {
        m_outcome.droppedValues = QList<qsizetype>(m_roles.size(), 0);
    }

    QString value(const Row &row, qsizetype column) const
    {
        if (column < 0 || column >= row.fields.size())
            return {};
        return tidy(m_outcome.html ? stripHtml(row.fields[column]) : row.fields[column]);
    }

    void row(const Row &row)
    {
        if (row.unclosed) {
            skip(row.line, SkipReason::UnclosedQuote);
            return;
        }
        if (row.line == m_outcome.headerLine)
            return;
        const qsizetype columns = m_roles.size();
        for (qsizetype c = 0; c < columns && c < row.fields.size(); ++c) {
            if (m_roles[c] != Role::Word && m_roles[c] != Role::Meaning && !value(row, c).isEmpty())
                ++m_outcome.droppedValues[c];
        }
        const QString word = value(row, m_word);
        QString meaning = value(row, m_meaning);
        if (row.fields.size() > columns) {
            bool extra = false;
            for (qsizetype c = columns; c < row.fields.size() && !extra; ++c)
                extra = !value(row, c).isEmpty();
            if (extra && m_join) {
                // "abandon,v. 放弃, 抛弃": the comma belonged to the meaning.
                const QString rest = row.raw.isEmpty() ? row.fields.mid(m_meaning).join(m_separator)
                                                       : row.raw.mid(row.starts[m_meaning]);
                meaning = tidy(rest);
                note(row.line, NoteKind::MeaningJoined);
            } else if (extra) {
                note(row.line, NoteKind::ExtraFields);
            }
        }
        if (m_needsSeparator && row.fields.size() < 2) {
            // A lone word on a line of a list with separators: the
            // dictionary may know it; otherwise the line is malformed.
            if (!fromDictionary(word, row.line, false))
                skip(row.line, SkipReason::NoSeparator);
            return;
        }
        if (word.isEmpty()) {
            skip(row.line, SkipReason::NoWord);
            return;
        }
        if (meaning.isEmpty()) {
            if (!fromDictionary(word, row.line, true))
                skip(row.line, m_lookup ? SkipReason::NotInDictionary : SkipReason::NoMeaning);
            return;
        }
        m_outcome.records << Record{word, meaning, row.line};
    }

private:
    bool fromDictionary(const QString &word, qsizetype line, bool wanted)
    {
        if (!m_lookup) {
            m_outcome.noDictionary = m_outcome.noDictionary || wanted;
            return false;
        }
        if (word.isEmpty() || !isLatinWord(word))
            return false;
        const QString meaning = tidy(m_lookup(word));
        if (meaning.isEmpty())
            return false;
        m_outcome.records << Record{word, meaning, line};
        note(line, NoteKind::MeaningFromDictionary);
        return true;
    }

    void skip(qsizetype line, SkipReason reason) { m_outcome.skipped << SkippedLine{line, reason}; }
    void note(qsizetype line, NoteKind kind) { m_outcome.notes << Note{line, kind}; }

    Outcome &m_outcome;
    const MeaningLookup &m_lookup;
    const QList<Role> m_roles;
    const qsizetype m_word;
    const qsizetype m_meaning;
    const bool m_join;
    const QString m_separator;
    const bool m_needsSeparator;
};

void parseText(const QString &text, const MeaningLookup &lookup, const Progress &progress, Outcome &outcome)
{
    const Format format = outcome.choice.format;
    QChar separator = format == Format::Csv ? u',' : format == Format::Semicolon ? u';' : u'\t';
    qsizetype start = 0;
    qsizetype firstLine = 1;
    QList<qsizetype> reserved;
    if (format == Format::Flashcard) {
        const FlashcardHeader header = readFlashcardHeader(text);
        separator = header.separator;
        outcome.html = header.html;
        outcome.headers = header.columns;
        reserved = header.reserved;
        start = header.end;
        firstLine = header.lines + 1;
    }

    // The first rows: a header row, the sample, and the columns they show.
    QList<QStringList> sample;
    {
        RowReader reader(text, format, separator, start, firstLine);
        Row row;
        bool first = true;
        while (outcome.sample.size() < SampleRows && reader.next(row)) {
            QStringList values;
            bool blank = true;
            for (const QString &field : std::as_const(row.fields)) {
                values << tidy(outcome.html ? stripHtml(field) : field);
                blank = blank && values.back().isEmpty();
            }
            if (blank || row.unclosed)
                continue;
            outcome.sample << values;
            outcome.sampleLines << row.line;
            if (first && outcome.headers.isEmpty() && isHeaderRow(values)) {
                outcome.headers = values;
                outcome.headerLine = row.line;
            } else {
                sample << values;
            }
            first = false;
        }
    }
    if (outcome.choice.roles.isEmpty()) {
        qsizetype columns = 0;
        if (format == Format::WordOnly) {
            columns = 1;
        } else if (!outcome.headers.isEmpty()) {
            columns = outcome.headers.size();
        } else if (separatorInMeanings(format)) {
            // The fewest columns a row with a separator has: more on some
            // rows are commas in their meanings.
            for (const QStringList &row : std::as_const(sample)) {
                if (row.size() >= 2 && (columns == 0 || row.size() < columns))
                    columns = row.size();
            }
        } else {
            for (const QStringList &row : std::as_const(sample))
                columns = qMax(columns, row.size());
        }
        columns = qBound(qsizetype(format == Format::WordOnly ? 1 : 2), columns, qsizetype(50));
        if (format == Format::Numbered)
            outcome.choice.roles = {Role::Number, Role::Word, Role::Phonetic, Role::Meaning};
        else
            outcome.choice.roles = guessRoles(columns, outcome.headers, reserved, sample);
    }

    // One record a line at most, give or take quoted line breaks: growing
    // the list step by step would copy a big one several times over.
    outcome.records.reserve(text.count(u'\n') + 1);
    Collector collect(outcome, lookup);
    RowReader reader(text, format, separator, start, firstLine);
    Row row;
    qsizetype rows = 0;
    while (reader.next(row)) {
        if (++rows % 4096 == 0 && progress && !progress(reader.position(), text.size())) {
            outcome.error = Error::Cancelled;
            return;
        }
        // Blank is what the line holds, not its fields: a line of only a
        // separator ("=") is reported, not passed over.
        bool blank = !row.unclosed;
        if (blank && !row.raw.isEmpty())
            blank = tidy(row.raw).isEmpty();
        for (const QString &field : std::as_const(row.fields)) {
            if (!blank)
                break;
            blank = tidy(field).isEmpty();
        }
        if (!blank)
            collect.row(row);
    }
    outcome.lines = reader.lines();
}

// Our own format, read exactly as the group loader reads it: non-empty lines
// pair up as word and meaning, empty lines anywhere are passed over, and only
// a word at the very end lacks its meaning.
void parseWordLibrary(const QByteArray &bytes, Outcome &outcome)
{
    WordFileReader reader(bytes);
    QByteArrayView line;
    qsizetype number = 0;
    qsizetype wordLine = 0;
    QString word;
    while (reader.nextLine(line)) {
        ++number;
        if (line.isEmpty())
            continue;
        if (wordLine == 0) {
            wordLine = number;
            word = reader.decode(line);
            continue;
        }
        const QString meaning = reader.decode(line);
        // The loader shows the lines as they are; a record is usable when
        // both hold something to see.
        if (tidy(word).isEmpty())
            outcome.skipped << SkippedLine{wordLine, SkipReason::NoWord};
        else if (tidy(meaning).isEmpty())
            outcome.skipped << SkippedLine{wordLine, SkipReason::NoMeaning};
        else
            outcome.records << Record{tidy(word), tidy(meaning), wordLine};
        wordLine = 0;
    }
    if (wordLine != 0)
        outcome.skipped << SkippedLine{wordLine, SkipReason::NoMeaning};
    outcome.lines = number;
}

bool looksLikeHtml(QStringView text)
{
    static const char16_t *const tags[] = {u"<br", u"<div", u"<b>", u"<i>", u"<span", u"<p>", u"&nbsp;"};
    for (const char16_t *tag : tags) {
        if (text.contains(QStringView(tag)))
            return true;
    }
    return false;
}

// The source name as a file name stem we can store: no path characters, no
// characters that the settings file or a shell would take otherwise.
QString safeStem(const QString &sourcePath)
{
    QString stem = QFileInfo(sourcePath).completeBaseName();
    QString out;
    for (const QChar c : stem) {
        if (c.isSpace() || c.category() == QChar::Other_Control || QStringView(u"/\\:*?\"'<>|=[]$;#&").contains(c))
            out += u'_';
        else
            out += c;
    }
    while (out.startsWith(u'.') || out.startsWith(u'_'))
        out.remove(0, 1);
    return out;
}

// The longest beginning of `text` (whole characters, surrogate pairs kept)
// that takes at most `maxBytes` bytes in `encoding`.
QString cutToBytes(const QString &text, TextCodec::Encoding encoding, qsizetype maxBytes)
{
    if (maxBytes <= 0)
        return {};
    QString cut = text;
    while (!cut.isEmpty() && TextCodec::encode(cut, encoding).size() > maxBytes) {
        cut.chop(1);
        if (!cut.isEmpty() && cut.back().isHighSurrogate())
            cut.chop(1);
    }
    return cut;
}

} // namespace

Outcome parse(const QByteArray &bytes, const Choice &choice, const MeaningLookup &lookup, const Progress &progress)
{
    Outcome outcome;
    outcome.choice = choice;
    if (choice.format == Format::WordLibrary) {
        outcome.encoding = TextCodec::detect(bytes);
        parseWordLibrary(bytes, outcome);
        qsizetype words = 0;
        for (const Record &record : std::as_const(outcome.records))
            words += isLatinWord(record.meaning) && !hasCjk(record.meaning) ? 1 : 0;
        outcome.pairsLookLikeWords = words >= 2 && words * 2 > outcome.records.size();
    } else {
        const QString text = decodeText(bytes, outcome);
        if (!TextCodec::looksLikeText(text)) {
            outcome.error = Error::NotText;
            return outcome;
        }
        parseText(text, lookup, progress, outcome);
        if (outcome.error == Error::Cancelled)
            return outcome;
    }
    if (outcome.records.isEmpty())
        outcome.error = Error::NoRecords;
    return outcome;
}

Outcome readFile(const QString &path, Format format, QByteArray *bytes)
{
    QByteArray content;
    if (!readWordFileBytes(path, content)) {
        Outcome outcome;
        outcome.error = Error::Unreadable;
        return outcome;
    }
    Outcome outcome = parse(content, format);
    if (bytes)
        *bytes = std::move(content);
    return outcome;
}

Format guessFormat(const QString &fileName, const QByteArray &bytes)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    Outcome scratch;
    // A cut character at the end of the head reads as one broken character.
    const QString head = decodeText(bytes.left(64 * 1024), scratch);
    // Header lines count where the flashcard reader takes them: at the top.
    if (readFlashcardHeader(head).lines > 0 || looksLikeHtml(head))
        return Format::Flashcard;
    if (suffix == QStringLiteral("csv"))
        return Format::Csv;

    // Each line votes for the separator that comes first on it.
    static const struct {
        const char16_t *separator;
        Format format;
    } separators[] = {{u"\t", Format::Tsv},      {u",", Format::Csv},     {u";", Format::Semicolon},
                      {u" - ", Format::Dash},     {u"=", Format::Equals},  {u"：", Format::FullWidth},
                      {u"，", Format::FullWidth}, {u"  ", Format::Spaces}, {u"\u3000", Format::Spaces}};
    QHash<int, qsizetype> votes;
    qsizetype lines = 0;
    qsizetype numbered = 0;
    qsizetype words = 0;
    qsizetype wordsThenOther = 0; // a word line followed by a line that is not one
    bool previousWord = false;
    static const QRegularExpression number(QStringLiteral("^\\s*\\d+\\s*[.、)）:：]\\s*\\S"));
    for (const QStringView raw : QStringView(head).split(u'\n')) {
        const QStringView line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (++lines > 200)
            break;
        if (number.match(line).hasMatch())
            ++numbered;
        qsizetype first = -1;
        Format vote = Format::WordOnly;
        for (const auto &entry : separators) {
            const qsizetype at = line.indexOf(QStringView(entry.separator));
            if (at > 0 && (first < 0 || at < first)) {
                first = at;
                vote = entry.format;
            }
        }
        // A tab anywhere wins: a meaning may hold every other separator.
        if (raw.contains(u'\t'))
            vote = Format::Tsv;
        const bool word = first < 0 && isLatinWord(line);
        if (first >= 0)
            ++votes[int(vote)];
        words += word ? 1 : 0;
        wordsThenOther += previousWord && !word && hasCjk(line) ? 1 : 0;
        previousWord = word;
    }
    if (lines == 0)
        return suffix == QStringLiteral("tsv") || suffix == QStringLiteral("tab") ? Format::Tsv : Format::WordLibrary;
    if (numbered * 5 >= lines * 3)
        return Format::Numbered;
    // English lines each followed by a Chinese one: our own two-line format.
    if (wordsThenOther * 5 >= lines * 2)
        return Format::WordLibrary;
    if (votes.value(int(Format::Tsv)) * 2 >= lines || suffix == QStringLiteral("tsv") || suffix == QStringLiteral("tab"))
        return Format::Tsv;
    Format best = Format::WordOnly;
    qsizetype bestVotes = 0;
    for (auto it = votes.cbegin(); it != votes.cend(); ++it) {
        if (it.value() > bestVotes || (it.value() == bestVotes && it.key() < int(best))) {
            best = static_cast<Format>(it.key());
            bestVotes = it.value();
        }
    }
    if (bestVotes * 2 >= lines)
        return best;
    if (words * 5 >= lines * 3)
        return Format::WordOnly;
    return bestVotes > 0 ? best : Format::WordLibrary;
}

QByteArray libraryBytes(const QList<Record> &records)
{
    // Encoded a few thousand records at a time: an encoder per line would
    // cost more than the whole parse, and the whole text at once would hold
    // a second copy of a big list in memory.
    const auto encodeAll = [&records](TextCodec::Encoding encoding) {
        QByteArray out;
        QString chunk;
        const auto flush = [&] {
            out += TextCodec::encode(chunk, encoding);
            chunk.clear();
        };
        for (const Record &record : records) {
            chunk += record.word + QStringLiteral("\r\n") + record.meaning + QStringLiteral("\r\n");
            if (chunk.size() > 64 * 1024)
                flush();
        }
        flush();
        return out;
    };
    QByteArray gbk = encodeAll(TextCodec::Encoding::Gbk);
    if (TextCodec::detect(gbk) == TextCodec::Encoding::Gbk)
        return gbk;
    gbk.clear();
    return TextCodec::bom(TextCodec::Encoding::Utf8Bom) + encodeAll(TextCodec::Encoding::Utf8Bom);
}

bool writeNewFile(const QString &path, const QByteArray &bytes)
{
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return false;
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    // Another file may have appeared meanwhile; a rename would replace it.
    if (QFileInfo::exists(path)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString suggestFileName(const QString &sourcePath, TextCodec::Encoding encoding, int maxBytes,
                        const std::function<bool(const QString &)> &taken)
{
    const QString extension = QStringLiteral(".txt");
    QString stem = safeStem(sourcePath);
    if (stem.isEmpty())
        stem = QStringLiteral("wordlist");
    for (int number = 1; number < 10000; ++number) {
        const QString suffix = number == 1 ? QString() : QStringLiteral("_") + QString::number(number);
        const qsizetype room = maxBytes - TextCodec::encode(suffix + extension, encoding).size();
        QString name = cutToBytes(stem, encoding, room) + suffix + extension;
        if (!taken(name))
            return name;
    }
    return {};
}

QString suggestDisplayName(const QString &sourcePath, TextCodec::Encoding encoding, int maxBytes)
{
    QString name = QFileInfo(sourcePath).completeBaseName();
    for (QChar &c : name) {
        if (c.isSpace() || QStringView(u"=[]\"'").contains(c))
            c = u' ';
    }
    return cutToBytes(tidy(name), encoding, maxBytes).trimmed();
}

} // namespace Import
