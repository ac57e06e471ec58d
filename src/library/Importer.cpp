#include "library/Importer.h"

#include "library/WordFile.h"

#include <QFileInfo>
#include <QSaveFile>

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
        const bool blank = c.isSpace() || c.category() == QChar::Other_Control || c == QChar(0xFEFF);
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

bool isHeaderRow(const QString &word, const QString &meaning)
{
    static const char16_t *const words[] = {u"word", u"words", u"单词", u"front", u"英文", u"english"};
    static const char16_t *const meanings[] = {u"meaning", u"meanings", u"释义", u"中文", u"back",
                                               u"translation", u"definition", u"chinese", u"词义"};
    const auto in = [](const QString &text, const auto &list) {
        for (const char16_t *entry : list) {
            if (QString::compare(text, QStringView(entry), Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    };
    return in(word, words) && in(meaning, meanings);
}

class Collector
{
public:
    explicit Collector(Outcome &outcome, bool html)
        : m_outcome(outcome)
        , m_html(html)
    {
    }

    // A row of fields that started on `line`. Empty rows are no records and
    // no skipped lines either.
    void row(const QList<QString> &fields, qsizetype line, bool hasSeparator)
    {
        bool allEmpty = true;
        for (const QString &field : fields) {
            if (!tidy(field).isEmpty()) {
                allEmpty = false;
                break;
            }
        }
        if (allEmpty)
            return;
        if (!hasSeparator) {
            skip(line, SkipReason::NoSeparator);
            return;
        }
        const QString word = tidy(m_html ? stripHtml(fields.value(0)) : fields.value(0));
        const QString meaning = tidy(m_html ? stripHtml(fields.value(1)) : fields.value(1));
        if (m_firstRow && isHeaderRow(word, meaning)) {
            m_firstRow = false;
            return;
        }
        m_firstRow = false;
        if (word.isEmpty())
            skip(line, SkipReason::NoWord);
        else if (meaning.isEmpty())
            skip(line, SkipReason::NoMeaning);
        else
            m_outcome.records << Record{word, meaning, line};
    }

    void skip(qsizetype line, SkipReason reason)
    {
        m_outcome.skipped << SkippedLine{line, reason};
        m_firstRow = false;
    }

private:
    Outcome &m_outcome;
    bool m_html;
    bool m_firstRow = true;
};

// Plain tab-separated lines: no quoting, the first two columns.
void parseTsv(const QString &text, Outcome &outcome)
{
    Collector collect(outcome, false);
    qsizetype pos = 0;
    qsizetype line = 0;
    while (pos < text.size()) {
        ++line;
        qsizetype end = pos;
        while (end < text.size() && !isLineEnd(text[end]))
            ++end;
        const QStringView content = QStringView(text).mid(pos, end - pos);
        const qsizetype tab = content.indexOf(u'\t');
        if (tab < 0) {
            collect.row({content.toString()}, line, false);
        } else {
            qsizetype tab2 = content.indexOf(u'\t', tab + 1);
            if (tab2 < 0)
                tab2 = content.size();
            // The rest of the line goes along only so that a line with
            // something in a later column is reported, not passed over.
            collect.row({content.left(tab).toString(), content.mid(tab + 1, tab2 - tab - 1).toString(),
                         content.mid(tab2).toString()},
                        line, true);
        }
        pos = skipLineEnd(text, end);
    }
    outcome.lines = line;
}

// Delimited rows with CSV quoting. An unclosed quote skips only the line it
// starts on; reading goes on at the next line.
void parseQuoted(const QString &text, QChar separator, bool flashcard, Outcome &outcome)
{
    Collector collect(outcome, flashcard);
    qsizetype pos = 0;
    qsizetype line = 1;
    bool inHeader = flashcard;
    while (pos < text.size()) {
        const qsizetype rowStart = pos;
        const qsizetype rowLine = line;
        if (inHeader) {
            if (text[pos] == u'#') {
                while (pos < text.size() && !isLineEnd(text[pos]))
                    ++pos;
                pos = skipLineEnd(text, pos);
                ++line;
                continue;
            }
            inHeader = false;
        }
        QList<QString> fields;
        QString field;
        bool separatorSeen = false;
        bool unclosed = false;
        bool atFieldStart = true;
        while (pos < text.size()) {
            const QChar c = text[pos];
            if (atFieldStart && c == u'"') {
                atFieldStart = false;
                ++pos;
                bool closed = false;
                while (pos < text.size()) {
                    const QChar q = text[pos];
                    if (q == u'"') {
                        if (pos + 1 < text.size() && text[pos + 1] == u'"') {
                            field += u'"';
                            pos += 2;
                            continue;
                        }
                        ++pos;
                        closed = true;
                        break;
                    }
                    if (isLineEnd(q)) {
                        pos = skipLineEnd(text, pos);
                        ++line;
                        field += u' ';
                        continue;
                    }
                    field += q;
                    ++pos;
                }
                if (!closed) {
                    unclosed = true;
                    break;
                }
                continue;
            }
            atFieldStart = false;
            if (c == separator) {
                fields << field;
                field.clear();
                separatorSeen = true;
                atFieldStart = true;
                ++pos;
                continue;
            }
            if (isLineEnd(c)) {
                pos = skipLineEnd(text, pos);
                ++line;
                break;
            }
            field += c;
            ++pos;
        }
        if (unclosed) {
            // Back to the line after the one the row started on.
            collect.skip(rowLine, SkipReason::UnclosedQuote);
            pos = rowStart;
            while (pos < text.size() && !isLineEnd(text[pos]))
                ++pos;
            pos = skipLineEnd(text, pos);
            line = rowLine + 1;
            continue;
        }
        if (pos >= text.size() && (text.isEmpty() || !isLineEnd(text.back())))
            ++line; // the last line had no line end
        fields << field;
        collect.row(fields, rowLine, separatorSeen);
    }
    outcome.lines = line - 1;
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

bool looksLikeHtml(const QByteArray &bytes)
{
    static const char *const tags[] = {"<br", "<div", "<b>", "<i>", "<span", "<p>", "&nbsp;"};
    for (const char *tag : tags) {
        if (bytes.contains(tag))
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

Outcome parse(const QByteArray &bytes, Format format)
{
    Outcome outcome;
    outcome.encoding = TextCodec::detect(bytes);
    if (format == Format::WordLibrary) {
        parseWordLibrary(bytes, outcome);
    } else {
        const qsizetype bom = TextCodec::bomLength(outcome.encoding);
        const QString text = TextCodec::decode(QByteArrayView(bytes).sliced(qMin(bom, bytes.size())), outcome.encoding);
        if (format == Format::Tsv)
            parseTsv(text, outcome);
        else if (format == Format::Csv)
            parseQuoted(text, u',', false, outcome);
        else
            parseQuoted(text, u'\t', true, outcome);
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
    if (suffix == QStringLiteral("csv"))
        return Format::Csv;
    const QByteArray head = bytes.left(64 * 1024);
    if (head.contains("#separator:") || head.contains("#html:") || looksLikeHtml(head))
        return Format::Flashcard;
    if (head.contains('\t') || suffix == QStringLiteral("tsv") || suffix == QStringLiteral("tab"))
        return Format::Tsv;
    return Format::WordLibrary;
}

QByteArray libraryBytes(const QList<Record> &records)
{
    // One text, encoded once: an encoder per line would cost more than the
    // whole parse.
    QString text;
    qsizetype length = 0;
    for (const Record &record : records)
        length += record.word.size() + record.meaning.size() + 4;
    text.reserve(length);
    for (const Record &record : records)
        text += record.word + QStringLiteral("\r\n") + record.meaning + QStringLiteral("\r\n");
    QByteArray gbk = TextCodec::encode(text, TextCodec::Encoding::Gbk);
    if (TextCodec::detect(gbk) == TextCodec::Encoding::Gbk)
        return gbk;
    return TextCodec::bom(TextCodec::Encoding::Utf8Bom) + TextCodec::encode(text, TextCodec::Encoding::Utf8Bom);
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
