#include "extract/TextSources.h"

#include "text/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QUrl>
#include <QXmlStreamReader>

#include <unzip.h>

#include <algorithm>

namespace TextSources {

namespace {

// Larger than any book or subtitle file; keeps a mistaken choice (a film
// instead of its subtitles) from filling the memory.
constexpr qint64 MaxFileSize = 256LL * 1024 * 1024;
// What one EPUB member and the whole book may inflate to.
constexpr quint64 MaxEpubMember = 64ULL * 1024 * 1024;
constexpr quint64 MaxEpubTotal = 256ULL * 1024 * 1024;

bool startsWithInsensitive(QStringView text, qsizetype at, QStringView prefix)
{
    return text.size() - at >= prefix.size() &&
           text.sliced(at, prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0;
}

// Appends `text` to the block being built, collapsing runs of white space.
void appendText(QString &block, QStringView text)
{
    for (const QChar c : text) {
        if (c.isSpace()) {
            if (!block.isEmpty() && !block.endsWith(QLatin1Char(' ')))
                block.append(QLatin1Char(' '));
        } else {
            block.append(c);
        }
    }
}

void flush(QStringList &blocks, QString &block)
{
    const QString trimmed = block.trimmed();
    if (!trimmed.isEmpty())
        blocks.append(trimmed);
    block.clear();
}

// The character an entity stands for ("&amp;", "&#8217;", "&#x2019;") at
// `at`, with `length` set to the entity's length; a null QChar-string when
// this is no entity we know (the '&' is then kept as it is).
QString entityAt(QStringView text, qsizetype at, qsizetype &length)
{
    // Names are short: look no further, or a text full of '&' is slow.
    const qsizetype semicolon = text.sliced(at, qMin<qsizetype>(12, text.size() - at)).indexOf(QLatin1Char(';')) + at;
    if (semicolon < at || semicolon - at > 10)
        return QString();
    const QStringView name = text.sliced(at + 1, semicolon - at - 1);
    length = semicolon - at + 1;
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const uint code = name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'))
                              ? name.sliced(2).toUInt(&ok, 16)
                              : name.sliced(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return QString();
        const char32_t c = char32_t(code);
        return QString::fromUcs4(&c, 1);
    }
    static const QHash<QString, QString> named = {
        {QStringLiteral("amp"), QStringLiteral("&")},         {QStringLiteral("lt"), QStringLiteral("<")},
        {QStringLiteral("gt"), QStringLiteral(">")},          {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")},        {QStringLiteral("nbsp"), QStringLiteral(" ")},
        {QStringLiteral("rsquo"), QStringLiteral("\u2019")},  {QStringLiteral("lsquo"), QStringLiteral("\u2018")},
        {QStringLiteral("rdquo"), QStringLiteral("\u201D")},  {QStringLiteral("ldquo"), QStringLiteral("\u201C")},
        {QStringLiteral("mdash"), QStringLiteral("\u2014")},  {QStringLiteral("ndash"), QStringLiteral("\u2013")},
        {QStringLiteral("hellip"), QStringLiteral("\u2026")}, {QStringLiteral("shy"), QString()},
    };
    const auto found = named.constFind(name.toString());
    if (found == named.constEnd()) {
        // Accented letters of loanwords: "&eacute;" is e with U+0301.
        static const QHash<QString, QChar> accents = {
            {QStringLiteral("acute"), QChar(0x301)}, {QStringLiteral("grave"), QChar(0x300)},
            {QStringLiteral("circ"), QChar(0x302)},  {QStringLiteral("uml"), QChar(0x308)},
            {QStringLiteral("tilde"), QChar(0x303)}, {QStringLiteral("cedil"), QChar(0x327)},
            {QStringLiteral("ring"), QChar(0x30A)},
        };
        const QChar accent = name.size() > 2 ? accents.value(name.sliced(1).toString()) : QChar();
        if (accent.isNull() || !name.front().isLetter() || name.front().unicode() > 0x7F)
            return QString();
        return QString(QString(name.front()) + accent).normalized(QString::NormalizationForm_C);
    }
    return found->isNull() ? QStringLiteral("") : *found;
}

// A subtitle line without its markup: HTML-like tags (<i>, <font ...>,
// <v Speaker>, <00:01.000>), {\an8}-style overrides and entities.
QString subtitleText(QStringView line)
{
    QString text;
    // Where the next '>' and '}' are (-1: none after), found once per
    // position so that a line of unclosed '<' is not searched again and again.
    constexpr qsizetype NotSought = -2;
    qsizetype angle = NotSought;
    qsizetype brace = NotSought;
    auto next = [&line](qsizetype &cached, QChar close, qsizetype from) {
        if (cached == NotSought || (cached >= 0 && cached < from))
            cached = line.indexOf(close, from);
        return cached;
    };
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('<')) {
            const qsizetype close = next(angle, QLatin1Char('>'), i);
            if (close > 0) {
                i = close;
                continue;
            }
        } else if (c == QLatin1Char('{')) {
            const qsizetype close = next(brace, QLatin1Char('}'), i);
            if (close > 0) {
                i = close;
                continue;
            }
        } else if (c == QLatin1Char('&')) {
            qsizetype length = 0;
            const QString entity = entityAt(line, i, length);
            if (!entity.isNull()) {
                text += entity;
                i += length - 1;
                continue;
            }
        }
        text += c;
    }
    return text;
}

QList<QStringView> linesOf(QStringView text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        QStringView line = text.sliced(start, end - start);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        lines.append(line);
        start = end + 1;
    }
    return lines;
}

// Groups lines into the runs between blank lines.
QList<QList<QStringView>> paragraphsOf(QStringView text)
{
    QList<QList<QStringView>> paragraphs;
    QList<QStringView> current;
    for (const QStringView line : linesOf(text)) {
        if (line.trimmed().isEmpty()) {
            if (!current.isEmpty())
                paragraphs.append(current);
            current.clear();
        } else {
            current.append(line);
        }
    }
    if (!current.isEmpty())
        paragraphs.append(current);
    return paragraphs;
}

bool isIndexLine(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    return !trimmed.isEmpty() && std::all_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c.isDigit(); });
}

const QStringList &blockTags()
{
    static const QStringList tags = {
        QStringLiteral("p"),          QStringLiteral("div"),    QStringLiteral("br"),         QStringLiteral("li"),
        QStringLiteral("h1"),         QStringLiteral("h2"),     QStringLiteral("h3"),         QStringLiteral("h4"),
        QStringLiteral("h5"),         QStringLiteral("h6"),     QStringLiteral("tr"),         QStringLiteral("td"),
        QStringLiteral("th"),         QStringLiteral("title"),  QStringLiteral("blockquote"), QStringLiteral("section"),
        QStringLiteral("article"),    QStringLiteral("header"), QStringLiteral("footer"),     QStringLiteral("pre"),
        QStringLiteral("dd"),         QStringLiteral("dt"),     QStringLiteral("hr"),         QStringLiteral("ul"),
        QStringLiteral("ol"),         QStringLiteral("table"),  QStringLiteral("body"),       QStringLiteral("head"),
        QStringLiteral("figcaption"), QStringLiteral("aside"),  QStringLiteral("nav"),
    };
    return tags;
}

} // namespace

QString decodeText(const QByteArray &bytes)
{
    const TextCodec::Utf16Guess utf16 = TextCodec::detectUtf16(bytes);
    if (utf16.order != TextCodec::Utf16::None)
        return TextCodec::decodeUtf16(QByteArrayView(bytes).sliced(utf16.bomLength), utf16.order);
    TextCodec::Encoding encoding = TextCodec::detect(bytes);
    if (encoding == TextCodec::Encoding::Gbk) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text;
    }
    const qsizetype bom = TextCodec::bomLength(encoding);
    return TextCodec::decode(QByteArrayView(bytes).sliced(qMin(bom, bytes.size())), encoding);
}

QStringList plainTextBlocks(QStringView text)
{
    QStringList blocks;
    for (const QList<QStringView> &paragraph : paragraphsOf(text)) {
        QString block;
        for (const QStringView line : paragraph) {
            appendText(block, line);
            block.append(QLatin1Char(' '));
        }
        flush(blocks, block);
    }
    return blocks;
}

QStringList subRipBlocks(QStringView text)
{
    QStringList blocks;
    for (const QList<QStringView> &cue : paragraphsOf(text)) {
        QString block;
        for (const QStringView line : cue) {
            if (line.contains(QLatin1String("-->")) || isIndexLine(line))
                continue;
            appendText(block, subtitleText(line));
            block.append(QLatin1Char(' '));
        }
        flush(blocks, block);
    }
    return blocks;
}

QStringList webVttBlocks(QStringView text)
{
    QStringList blocks;
    for (const QList<QStringView> &cue : paragraphsOf(text)) {
        // The header, comments, styles and regions hold no dialogue; a cue's
        // text follows its timing line (and an optional identifier before it).
        qsizetype timing = -1;
        for (qsizetype i = 0; i < cue.size() && timing < 0; ++i) {
            if (cue[i].contains(QLatin1String("-->")))
                timing = i;
        }
        const QStringView first = cue.first().trimmed();
        if (timing < 0 || first.startsWith(QLatin1String("WEBVTT")) || first.startsWith(QLatin1String("NOTE")) ||
            first.startsWith(QLatin1String("STYLE")) || first.startsWith(QLatin1String("REGION")))
            continue;
        QString block;
        for (qsizetype i = timing + 1; i < cue.size(); ++i) {
            appendText(block, subtitleText(cue[i]));
            block.append(QLatin1Char(' '));
        }
        flush(blocks, block);
    }
    return blocks;
}

QStringList assBlocks(QStringView text)
{
    QStringList blocks;
    bool inEvents = false;
    // Fields of a Dialogue line; Text is the last and may hold commas.
    int fieldCount = 10;
    for (QStringView line : linesOf(text)) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEvents = line.compare(QLatin1String("[Events]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inEvents)
            continue;
        if (startsWithInsensitive(line, 0, u"Format:")) {
            fieldCount = std::max<int>(1, int(line.sliced(7).split(QLatin1Char(',')).size()));
            continue;
        }
        if (!startsWithInsensitive(line, 0, u"Dialogue:"))
            continue;
        QStringView rest = line.sliced(9);
        for (int field = 1; field < fieldCount; ++field) {
            const qsizetype comma = rest.indexOf(QLatin1Char(','));
            if (comma < 0) {
                rest = {};
                break;
            }
            rest = rest.sliced(comma + 1);
        }
        QString plain;
        for (qsizetype i = 0; i < rest.size(); ++i) {
            const QChar c = rest[i];
            if (c == QLatin1Char('{')) {
                const qsizetype close = rest.indexOf(QLatin1Char('}'), i);
                if (close > 0) {
                    i = close;
                    continue;
                }
            }
            // \N and \n break lines, \h is a hard space.
            if (c == QLatin1Char('\\') && i + 1 < rest.size() && QStringView(u"Nnh").contains(rest[i + 1])) {
                plain += QLatin1Char(' ');
                ++i;
                continue;
            }
            plain += c;
        }
        QString block;
        appendText(block, plain);
        flush(blocks, block);
    }
    return blocks;
}

QStringList htmlBlocks(QStringView text)
{
    QStringList blocks;
    QString block;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == QLatin1Char('<')) {
            if (startsWithInsensitive(text, i, u"<!--")) {
                const qsizetype end = text.indexOf(QLatin1String("-->"), i + 4);
                i = end < 0 ? text.size() : end + 3;
                continue;
            }
            const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
            if (!next.isLetter() && next != QLatin1Char('/') && next != QLatin1Char('!') && next != QLatin1Char('?')) {
                block += c;
                ++i;
                continue;
            }
            const qsizetype close = text.indexOf(QLatin1Char('>'), i);
            if (close < 0)
                break;
            qsizetype nameStart = i + 1 + (next == QLatin1Char('/') ? 1 : 0);
            qsizetype nameEnd = nameStart;
            while (nameEnd < close && text[nameEnd].isLetterOrNumber())
                ++nameEnd;
            const QString name = text.sliced(nameStart, nameEnd - nameStart).toString().toLower();
            i = close + 1;
            if (next != QLatin1Char('/') && (name == QLatin1String("script") || name == QLatin1String("style"))) {
                // Their content is code, not text; it ends at the closing tag.
                const qsizetype end = text.indexOf(QString(QStringLiteral("</") + name), i, Qt::CaseInsensitive);
                const qsizetype endClose = end < 0 ? -1 : text.indexOf(QLatin1Char('>'), end);
                i = endClose < 0 ? text.size() : endClose + 1;
                continue;
            }
            if (blockTags().contains(name))
                flush(blocks, block);
            else
                appendText(block, u" ");
            continue;
        }
        if (c == QLatin1Char('&')) {
            qsizetype length = 0;
            const QString entity = entityAt(text, i, length);
            if (!entity.isNull()) {
                appendText(block, entity);
                i += length;
                continue;
            }
        }
        appendText(block, text.sliced(i, 1));
        ++i;
    }
    flush(blocks, block);
    return blocks;
}

namespace {

class Epub
{
public:
    explicit Epub(const QString &path)
        : m_zip(unzOpen64(QFile::encodeName(path).constData()))
    {
    }
    ~Epub()
    {
        if (m_zip != nullptr)
            unzClose(m_zip);
    }
    Epub(const Epub &) = delete;
    Epub &operator=(const Epub &) = delete;

    bool isOpen() const { return m_zip != nullptr; }

    QStringList names()
    {
        QStringList names;
        for (int status = unzGoToFirstFile(m_zip); status == UNZ_OK; status = unzGoToNextFile(m_zip)) {
            char name[1024];
            unz_file_info64 info{};
            if (unzGetCurrentFileInfo64(m_zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK)
                names.append(QString::fromUtf8(name));
        }
        return names;
    }

    // The member `name`; false with `error` set when it is missing or damaged.
    bool read(const QString &name, QByteArray &bytes, QString &error)
    {
        if (unzLocateFile(m_zip, name.toUtf8().constData(), 1) != UNZ_OK) {
            error = QStringLiteral("EPUB 文件已损坏：缺少“%1”。").arg(name);
            return false;
        }
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(m_zip) != UNZ_OK) {
            error = QStringLiteral("EPUB 文件已损坏：“%1”打不开。").arg(name);
            return false;
        }
        if (info.uncompressed_size > MaxEpubMember || m_total + info.uncompressed_size > MaxEpubTotal) {
            unzCloseCurrentFile(m_zip);
            error = QStringLiteral("EPUB 文件中的“%1”解压后太大。").arg(name);
            return false;
        }
        bytes.clear();
        bytes.reserve(qsizetype(info.uncompressed_size));
        char buffer[65536];
        int count = 0;
        while ((count = unzReadCurrentFile(m_zip, buffer, sizeof buffer)) > 0) {
            bytes.append(buffer, count);
            if (quint64(bytes.size()) > info.uncompressed_size)
                break;
        }
        const int closed = unzCloseCurrentFile(m_zip);
        if (count < 0 || closed != UNZ_OK || quint64(bytes.size()) != info.uncompressed_size) {
            error = QStringLiteral("EPUB 文件已损坏：“%1”的数据有误（校验失败或不完整）。").arg(name);
            return false;
        }
        m_total += info.uncompressed_size;
        return true;
    }

private:
    unzFile m_zip;
    quint64 m_total = 0;
};

QString folderOf(const QString &member)
{
    const qsizetype slash = member.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : member.left(slash + 1);
}

// "a/../b/./c" to "b/c", as hrefs in a package file are resolved.
QString normalised(const QString &member)
{
    QStringList parts;
    for (const QString &part : member.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            parts.isEmpty() ? void() : parts.removeLast();
        else if (part != QLatin1String("."))
            parts.append(part);
    }
    return parts.join(QLatin1Char('/'));
}

bool isXhtmlName(const QString &name)
{
    const QString lower = name.toLower();
    return lower.endsWith(QLatin1String(".xhtml")) || lower.endsWith(QLatin1String(".html")) ||
           lower.endsWith(QLatin1String(".htm"));
}

// The spine's documents in reading order, from container.xml and the
// package file; empty when either is missing or unreadable.
QStringList spineOf(Epub &epub)
{
    QByteArray bytes;
    QString ignored;
    if (!epub.read(QStringLiteral("META-INF/container.xml"), bytes, ignored))
        return {};
    QString opfPath;
    QXmlStreamReader container(bytes);
    while (opfPath.isEmpty() && !container.atEnd()) {
        if (container.readNext() == QXmlStreamReader::StartElement && container.name() == QLatin1String("rootfile"))
            opfPath = container.attributes().value(QLatin1String("full-path")).toString();
    }
    if (opfPath.isEmpty() || !epub.read(opfPath, bytes, ignored))
        return {};
    QHash<QString, QString> manifest;
    QStringList order;
    QXmlStreamReader package(bytes);
    while (!package.atEnd()) {
        if (package.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = package.attributes();
        if (package.name() == QLatin1String("item"))
            manifest.insert(attributes.value(QLatin1String("id")).toString(),
                            attributes.value(QLatin1String("href")).toString());
        else if (package.name() == QLatin1String("itemref"))
            order.append(attributes.value(QLatin1String("idref")).toString());
    }
    QStringList spine;
    for (const QString &id : order) {
        const QString href = manifest.value(id);
        if (!href.isEmpty())
            spine.append(normalised(folderOf(opfPath) + QUrl::fromPercentEncoding(href.toUtf8())));
    }
    return spine;
}

} // namespace

Document readEpub(const QString &path)
{
    Document document;
    Epub epub(path);
    if (!epub.isOpen()) {
        document.error = QStringLiteral("EPUB 文件已损坏：不是完整的 zip 压缩包（找不到目录区）。");
        return document;
    }
    QStringList members = spineOf(epub);
    if (members.isEmpty()) {
        for (const QString &name : epub.names()) {
            if (isXhtmlName(name))
                members.append(name);
        }
        std::sort(members.begin(), members.end());
    }
    if (members.isEmpty()) {
        document.error = QStringLiteral("EPUB 文件里没有正文（找不到 XHTML 文件）。");
        return document;
    }
    QByteArray bytes;
    for (const QString &member : members) {
        if (!epub.read(member, bytes, document.error)) {
            document.blocks.clear();
            return document;
        }
        document.blocks += htmlBlocks(decodeText(bytes));
    }
    return document;
}

Format formatOf(const QString &path, QByteArrayView head)
{
    if (head.startsWith("PK\x03\x04"))
        return Format::Epub;
    QByteArrayView start = head;
    if (start.startsWith("\xEF\xBB\xBF"))
        start = start.sliced(3);
    start = start.trimmed();
    if (start.startsWith("WEBVTT"))
        return Format::WebVtt;
    if (start.startsWith("[Script Info]"))
        return Format::Ass;
    const QByteArray lowerStart = start.first(qMin<qsizetype>(start.size(), 512)).toByteArray().toLower();
    if (lowerStart.startsWith("<!doctype html") || lowerStart.startsWith("<html") ||
        (lowerStart.startsWith("<?xml") && lowerStart.contains("<html")))
        return Format::Html;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("srt"))
        return Format::SubRip;
    if (suffix == QLatin1String("vtt"))
        return Format::WebVtt;
    if (suffix == QLatin1String("ass") || suffix == QLatin1String("ssa"))
        return Format::Ass;
    if (suffix == QLatin1String("htm") || suffix == QLatin1String("html") || suffix == QLatin1String("xhtml"))
        return Format::Html;
    if (suffix == QLatin1String("epub"))
        return Format::Epub;
    return Format::PlainText;
}

Document readFile(const QString &path)
{
    Document document;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || QFileInfo(path).isDir()) {
        document.error = QStringLiteral("无法读取文件。");
        return document;
    }
    if (file.size() > MaxFileSize) {
        document.error = QStringLiteral("文件太大（超过 256 MB）。");
        return document;
    }
    const Format format = formatOf(path, file.peek(4096));
    if (format == Format::Epub) {
        file.close();
        return readEpub(path);
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        document.error = QStringLiteral("无法读取文件。");
        return document;
    }
    const QString text = decodeText(bytes);
    if (!TextCodec::looksLikeText(text)) {
        document.error = QStringLiteral("不是文本文件（像是二进制文件）。");
        return document;
    }
    switch (format) {
    case Format::SubRip:
        document.blocks = subRipBlocks(text);
        break;
    case Format::WebVtt:
        document.blocks = webVttBlocks(text);
        break;
    case Format::Ass:
        document.blocks = assBlocks(text);
        break;
    case Format::Html:
        document.blocks = htmlBlocks(text);
        break;
    default:
        document.blocks = plainTextBlocks(text);
        break;
    }
    return document;
}

} // namespace TextSources
