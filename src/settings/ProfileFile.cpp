#include "settings/ProfileFile.h"

#include "settings/DiskSync.h"

#include "text/TextCodec.h"

#include <QFile>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <climits>
#include <cstring>
#include <optional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace Profile {
namespace {

using TextCodec::Encoding;

const QByteArray kLineEnd("\r\n");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The scanning below works on plain pointers: it runs once per line for
// every read, and reads are frequent (a library list is one read per name).

bool isAscii(const char *begin, const char *end)
{
    for (; begin < end; ++begin) {
        if (uchar(*begin) >= 0x80)
            return false;
    }
    return true;
}

bool isAscii(QByteArrayView bytes)
{
    return isAscii(bytes.data(), bytes.data() + bytes.size());
}

bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// Blanks are single-byte in GBK and UTF-8 and never occur inside a multi-byte
// character, so trimming the bytes is safe.
QByteArrayView trimBlanks(QByteArrayView bytes)
{
    const char *begin = bytes.data();
    const char *end = begin + bytes.size();
    while (begin < end && isBlank(*begin))
        ++begin;
    while (end > begin && isBlank(end[-1]))
        --end;
    return QByteArrayView(begin, end);
}

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t'))
        ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.mid(begin, end - begin);
}

// A stored value as a read returns it: blanks trimmed, then one matching pair
// of surrounding quotes removed.
QByteArrayView unquote(QByteArrayView raw)
{
    const QByteArrayView value = trimBlanks(raw);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

// One line of the file: [start, end) is its text, `next` the start of the
// following line (after the CR LF, LF or CR that ends this one, if any).
struct Line
{
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype next = 0;

    bool hasLineEnd() const { return next > end; }
};

// The file's bytes with line-by-line access. The encoding is worked out only
// when some non-ASCII text actually has to be interpreted, so a lookup in an
// ASCII settings file never scans the whole file for it.
class ProfileText
{
public:
    explicit ProfileText(QByteArray bytes)
        : m_bytes(std::move(bytes))
        , m_data(m_bytes.constData())
        , m_size(m_bytes.size())
    {
        if (m_bytes.startsWith("\xEF\xBB\xBF")) {
            m_encoding = Encoding::Utf8Bom;
            m_bodyStart = TextCodec::bomLength(Encoding::Utf8Bom);
        }
    }

    const QByteArray &bytes() const { return m_bytes; }
    const char *data() const { return m_data; }
    qsizetype size() const { return m_size; }
    // Where the first line starts: after the byte-order mark, if any.
    qsizetype bodyStart() const { return m_bodyStart; }

    QByteArrayView text(qsizetype begin, qsizetype end) const { return QByteArrayView(m_data + begin, m_data + end); }

    Encoding encoding()
    {
        if (!m_encoding)
            m_encoding = TextCodec::detect(m_bytes);
        return *m_encoding;
    }

    QString decode(QByteArrayView bytes)
    {
        return isAscii(bytes) ? QString::fromLatin1(bytes) : TextCodec::decode(bytes, encoding());
    }

    // The line that starts at `start`. Lines must be asked for in file order.
    Line lineAt(qsizetype start)
    {
        Line line;
        line.start = start;
        line.end = qMin(nextOf('\n', start, m_nextLf), nextOf('\r', start, m_nextCr));
        line.next = line.end;
        if (line.end < m_size) {
            ++line.next;
            if (m_data[line.end] == '\r' && line.next < m_size && m_data[line.next] == '\n')
                ++line.next;
        }
        return line;
    }

    // Whether only blanks stand between the start of its line and `position`.
    bool startsLine(qsizetype position) const
    {
        while (position > m_bodyStart && isBlank(m_data[position - 1]))
            --position;
        return position == m_bodyStart || m_data[position - 1] == '\n' || m_data[position - 1] == '\r';
    }

private:
    // Position of the next `c` at or after `from` (the file size when there
    // is none). The last answer is remembered, so walking a file that never
    // holds `c` stays linear.
    qsizetype nextOf(char c, qsizetype from, qsizetype &cached) const
    {
        if (cached < from) {
            const void *hit = std::memchr(m_data + from, c, size_t(m_size - from));
            cached = hit ? static_cast<const char *>(hit) - m_data : m_size;
        }
        return cached;
    }

    QByteArray m_bytes;
    const char *m_data;
    qsizetype m_size;
    qsizetype m_bodyStart = 0;
    std::optional<Encoding> m_encoding;
    qsizetype m_nextLf = -1;
    qsizetype m_nextCr = -1;
};

// A section or key name being looked for, ready for quick comparison against
// ASCII names in the file.
class Name
{
public:
    explicit Name(const QString &text)
        : m_text(text)
        , m_ascii(isAscii(text))
        , m_latin1(m_ascii ? text.toLatin1() : QByteArray())
    {
    }

    bool matches(QByteArrayView stored, ProfileText &file) const
    {
        return matches(stored.data(), stored.data() + stored.size(), file);
    }

    bool matches(const char *begin, const char *end, ProfileText &file) const
    {
        if (m_ascii) {
            // Case folding maps one character to one character, and every
            // non-ASCII character takes two bytes or more. So a stored name
            // can only match an ASCII name of as many bytes by being ASCII
            // itself, and can never match with fewer bytes.
            const qsizetype length = m_latin1.size();
            if (end - begin < length)
                return false;
            if (end - begin == length)
                return isAscii(begin, end) && qstrnicmp(begin, m_latin1.constData(), size_t(length)) == 0;
            if (isAscii(begin, end))
                return false;
        }
        return matches(file.decode(QByteArrayView(begin, end)));
    }

    bool matches(const QString &stored) const { return QString::compare(stored, m_text, Qt::CaseInsensitive) == 0; }

private:
    QString m_text;
    bool m_ascii;
    QByteArray m_latin1;
};

// Whether the line holds a section name, i.e. its first non-blank character
// `bracket` is "[" and a "]" follows. If so, compares the name with `wanted`
// (when given) and tells the result in `matches`.
bool isSectionLine(ProfileText &file, const Line &line, qsizetype bracket, const Name *wanted, bool *matches)
{
    const QByteArrayView rest = file.text(bracket + 1, line.end);
    if (isAscii(rest)) {
        const void *close = std::memchr(rest.data(), ']', size_t(rest.size()));
        if (!close)
            return false;
        if (wanted)
            *matches = wanted->matches(trimBlanks(QByteArrayView(rest.data(), static_cast<const char *>(close))), file);
        return true;
    }
    // A GBK character may end in the byte of "]", so look for the bracket
    // among decoded characters.
    const QString decoded = file.decode(rest);
    const qsizetype close = decoded.indexOf(u']');
    if (close < 0)
        return false;
    if (wanted)
        *matches = wanted->matches(trimBlanks(decoded.left(close)));
    return true;
}

// Where a key is, or where it would go.
struct Lookup
{
    bool sectionFound = false;
    bool keyFound = false;
    Line keyLine;
    QByteArrayView keyName; // as spelled in the file
    QByteArrayView rawValue; // everything after the "="
    Line lastFilledLine; // last non-blank line of the section, or its header
};

// Walks the first section called `section` up to `key` or to the next
// section line. A later section of the same name is never searched.
Lookup find(ProfileText &file, const Name &section, const Name &key)
{
    Lookup found;
    const char *const data = file.data();
    const qsizetype size = file.size();

    // Only lines that start with "[" matter until the section is found, so
    // jump from one "[" to the next. A "[" with anything but blanks before it
    // on its line is no section line (it may even be the second byte of a
    // GBK character).
    qsizetype position = file.bodyStart();
    while (!found.sectionFound) {
        const void *hit = position < size ? std::memchr(data + position, '[', size_t(size - position)) : nullptr;
        if (!hit)
            return found;
        const qsizetype bracket = static_cast<const char *>(hit) - data;
        if (!file.startsLine(bracket)) {
            position = bracket + 1;
            continue;
        }
        qsizetype lineStart = bracket;
        while (lineStart > file.bodyStart() && isBlank(data[lineStart - 1]))
            --lineStart;
        const Line line = file.lineAt(lineStart);
        bool matches = false;
        if (isSectionLine(file, line, bracket, &section, &matches) && matches) {
            found.sectionFound = true;
            found.lastFilledLine = line;
        }
        position = line.next;
    }

    while (position < size) {
        const Line line = file.lineAt(position);
        position = line.next;
        const char *first = data + line.start;
        const char *const end = data + line.end;
        while (first < end && (*first == ' ' || *first == '\t'))
            ++first;
        if (first == end)
            continue; // blank line
        if (*first == '[' && isSectionLine(file, line, first - data, nullptr, nullptr))
            break;
        found.lastFilledLine = line;
        // "=" is never part of a multi-byte character in GBK or UTF-8.
        const char *const equals = static_cast<const char *>(std::memchr(first, '=', size_t(end - first)));
        if (!equals)
            continue;
        const char *nameEnd = equals;
        while (nameEnd > first && (nameEnd[-1] == ' ' || nameEnd[-1] == '\t'))
            --nameEnd;
        if (key.matches(first, nameEnd, file)) {
            found.keyFound = true;
            found.keyLine = line;
            found.keyName = QByteArrayView(first, nameEnd);
            found.rawValue = QByteArrayView(equals + 1, end);
            break;
        }
    }
    return found;
}

// Only a regular file (or a link to one) is settings: a named pipe would keep
// us waiting for a writer for ever, and a device such as /dev/zero never ends.
bool isRegularFile(const QString &path)
{
    return QFileInfo(path).isFile();
}

// The whole file, or nothing when it cannot be opened.
std::optional<QByteArray> readFile(const QString &path)
{
    if (path.isEmpty() || !isRegularFile(path))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// The beginning of `value` that fits in `maxBytes` bytes, without half a
// character. In broken text (a GBK lead byte followed by something no GBK
// character has) the decoder may group the bytes otherwise than their
// lengths suggest, and a cut text could end in another character than the
// whole text has at that place; then the cut goes back further, so that a
// cut value always reads as the beginning of the whole one.
QString cutText(QByteArrayView value, qsizetype maxBytes, Encoding encoding)
{
    QByteArray cut = TextCodec::truncateToCharacters(value, maxBytes, encoding);
    QString text = TextCodec::decode(cut, encoding);
    const QString whole = TextCodec::decode(value, encoding);
    while (!whole.startsWith(text)) {
        cut.chop(1);
        text = TextCodec::decode(cut, encoding);
    }
    return text;
}

// The stored value (quotes and blanks removed, not cut); nullopt when the
// file, section or key is missing.
std::optional<QString> readValue(const QString &path, const QString &section, const QString &key,
                                 qint64 maxBytes = -1)
{
    std::optional<QByteArray> bytes = readFile(path);
    if (!bytes)
        return std::nullopt;
    ProfileText file(std::move(*bytes));
    const Lookup found = find(file, Name(trimBlanks(section)), Name(trimBlanks(key)));
    if (!found.keyFound)
        return std::nullopt;
    QByteArrayView value = unquote(found.rawValue);
    if (maxBytes >= 0 && value.size() > maxBytes) {
        if (isAscii(value.first(qsizetype(maxBytes))))
            value = value.first(qsizetype(maxBytes)); // the cut falls between characters
        else
            return cutText(value, qsizetype(maxBytes), file.encoding());
    }
    return file.decode(value);
}

bool holdsLineBreakOrNul(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

// Texts that could not be stored as one line that reads back as written.
bool refused(const QString &section, const QString &key, const QString &value)
{
    if (section.isEmpty() || key.isEmpty())
        return true;
    if (holdsLineBreakOrNul(section) || holdsLineBreakOrNul(key) || holdsLineBreakOrNul(value))
        return true;
    if (section.contains(u']') || key.contains(u'='))
        return true;
    // "[a]b=1" would read back as the section "a".
    return key.startsWith(u'[') && key.contains(u']');
}

// Puts what has been written on the disk; false when the disk refuses it.
bool syncToDisk(QFileDevice &file)
{
#ifdef Q_OS_UNIX
    return DiskSync::syncDescriptor(file.handle());
#else
    return file.flush();
#endif
}

// Puts the folder's entry for `path` on the disk, so that a power cut right
// after the rename cannot bring back the old settings (or, on file systems
// without ext4's rename heuristic, an empty file). The new settings are in
// place already, so a folder that cannot be synced is no reason to report a
// failure.
void syncFolderOf(const QString &path)
{
    DiskSync::syncFolder(QFileInfo(path).absolutePath());
}

// Writes the new file beside the old one and renames it over, so the
// settings file is always either the old version or the new one, whole.
bool replaceFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    // Unbuffered: with a buffer, a small file is only written when the file
    // is committed, and QSaveFile then misses a failed write (a full disk)
    // and renames an empty file over the settings. Unbuffered, the write
    // itself fails. Errors of the final sync are ignored by QSaveFile too,
    // so we sync first and look.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size() || !syncToDisk(file)) {
        file.cancelWriting();
        return false; // the half-written copy is removed with `file`
    }
    if (!file.commit())
        return false;
    syncFolderOf(path);
    return true;
}

} // namespace

QString readString(const QString &path, const QString &section, const QString &key, qint64 bufferLength)
{
    if (bufferLength <= 1)
        return {};
    return readValue(path, section, key, bufferLength - 1).value_or(QString());
}

long readInt(const QString &path, const QString &section, const QString &key, long defaultValue)
{
    const std::optional<QString> value = readValue(path, section, key);
    if (!value)
        return defaultValue;
    qsizetype i = 0;
    const bool negative = i < value->size() && value->at(i) == u'-';
    if (i < value->size() && (value->at(i) == u'-' || value->at(i) == u'+'))
        ++i;
    if (i >= value->size() || value->at(i) < u'0' || value->at(i) > u'9')
        return defaultValue;
    // Accumulate on the negative side, which holds one more value; an
    // overlong number stops at the limit.
    long number = 0;
    for (; i < value->size() && value->at(i) >= u'0' && value->at(i) <= u'9'; ++i) {
        const int digit = value->at(i).unicode() - u'0';
        if (number < (LONG_MIN + digit) / 10) {
            number = LONG_MIN;
            break;
        }
        number = number * 10 - digit;
    }
    if (negative)
        return number;
    return number == LONG_MIN ? LONG_MAX : -number;
}

namespace {

// Whether `suffix` is what Qt puts after the dot of a temporary copy: six
// letters drawn at random from A-Z and a-z. A person who names a copy uses a
// word instead: all in lower case ("backup", "before"), all in capitals, or
// capitalised ("Backup"). Such a name is left alone even though Qt may draw
// it (about one leftover in twenty stays, which costs a few bytes); a user's
// file must never go.
bool isRandomSuffix(QStringView suffix)
{
    if (suffix.size() != 6)
        return false;
    int upper = 0;
    bool restLower = true;
    for (qsizetype i = 0; i < suffix.size(); ++i) {
        const char16_t c = suffix[i].unicode();
        const bool isUpper = c >= u'A' && c <= u'Z';
        if (!isUpper && !(c >= u'a' && c <= u'z'))
            return false;
        upper += isUpper ? 1 : 0;
        if (i > 0 && isUpper)
            restLower = false;
    }
    const bool word = upper == 0 || upper == 6 || (restLower && upper == 1);
    return !word;
}

// Applies one change to the file's bytes in memory; false when the change is
// refused. `encoding` is the file's, decided once before the first change.
bool applyChange(QByteArray &bytes, Encoding encoding, const Change &change)
{
    const QString sectionName = trimBlanks(change.section);
    const QString keyName = trimBlanks(change.key);
    if (refused(sectionName, keyName, change.value.value_or(QString())))
        return false;

    if (!change.value) {
        // Removal takes every line of the key in the section: with only the
        // first gone, a hand-made duplicate below it would take its place.
        for (;;) {
            ProfileText file(bytes);
            const Lookup found = find(file, Name(sectionName), Name(keyName));
            if (!found.keyFound)
                return true;
            bytes = bytes.left(found.keyLine.start) + bytes.mid(found.keyLine.next);
        }
    }

    ProfileText file(bytes);
    const QByteArray valueBytes = TextCodec::encode(*change.value, encoding);
    const Lookup found = find(file, Name(sectionName), Name(keyName));
    if (found.keyFound) {
        if (unquote(found.rawValue) == unquote(valueBytes))
            return true; // a read gives the same text already
        bytes = bytes.left(found.keyLine.start) + found.keyName.toByteArray() + '=' + valueBytes + kLineEnd
            + bytes.mid(found.keyLine.next);
    } else if (found.sectionFound) {
        const Line &after = found.lastFilledLine;
        bytes = bytes.left(after.next) + (after.hasLineEnd() ? QByteArray() : kLineEnd)
            + TextCodec::encode(keyName, encoding) + '=' + valueBytes + kLineEnd + bytes.mid(after.next);
    } else {
        if (bytes.size() > file.bodyStart() && !bytes.endsWith('\n') && !bytes.endsWith('\r'))
            bytes += kLineEnd;
        bytes += '[' + TextCodec::encode(sectionName, encoding) + ']' + kLineEnd + TextCodec::encode(keyName, encoding)
            + '=' + valueBytes + kLineEnd;
    }
    return true;
}

} // namespace

int removeLeftoverCopies(const QString &path)
{
    const QFileInfo settings(path);
    if (!settings.isFile())
        return 0;
    const QDateTime settingsTime = settings.lastModified();
    const QString prefix = settings.fileName() + u'.';
    const QDir folder = settings.absoluteDir();
    int removed = 0;
    const QStringList names = folder.entryList({prefix + QStringLiteral("*")},
                                               QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString &name : names) {
        if (!name.startsWith(prefix) || !isRandomSuffix(QStringView(name).sliced(prefix.size())))
            continue;
        const QFileInfo copy(folder.filePath(name));
        if (copy.isSymLink() || !copy.isFile() || copy.lastModified() >= settingsTime)
            continue;
        if (QFile::remove(copy.filePath()))
            ++removed;
    }
    return removed;
}

bool writeString(const QString &path, const QString &section, const QString &key, const QString &value)
{
    return writeChanges(path, {Change{section, key, value}});
}

bool writeChanges(const QString &path, const QList<Change> &changes)
{
    if (path.isEmpty())
        return false;

    QByteArray old;
    {
        QFile existing(path);
        if (existing.exists() && !isRegularFile(path))
            return false; // a folder, a pipe or a device: not ours to replace
        if (existing.open(QIODevice::ReadOnly)) {
            old = existing.readAll();
            if (existing.error() != QFileDevice::NoError)
                return false;
        } else if (existing.exists()) {
            return false; // there, but not readable: do not replace what we cannot see
        }
    }

    const Encoding encoding = old.isEmpty() ? Encoding::Gbk : ProfileText(old).encoding();
    QByteArray updated = old;
    for (const Change &change : changes) {
        if (!applyChange(updated, encoding, change))
            return false;
    }
    if (updated == old)
        return true; // nothing to change: leave the file alone
    // The file's encoding is guessed from its bytes. Were the new bytes to
    // be guessed otherwise (the value replaced held the only bytes that are
    // not UTF-8, say), every other name in the file would read differently
    // afterwards, the written one included. Rather not save these values.
    if (TextCodec::detect(updated) != encoding)
        return false;
    return replaceFile(path, updated);
}

} // namespace Profile
