#include "boxes/BoxStore.h"

#include "library/WordFile.h"
#include "settings/DiskSync.h"
#include "text/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QtAlgorithms>

#include <cmath>
#include <filesystem>
#include <system_error>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace BoxStore {
namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

bool isLineEndByte(char c)
{
    return c == '\n' || c == '\r';
}

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (uchar(c) >= 0x80)
            return false;
    }
    return true;
}

std::filesystem::path nativePath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// Splits a file into lines as the word file reader does: CR LF, a lone CR
// and a lone LF each end a line, and a last line needs no line end. Deleting
// walks every line of a library, so line ends are found 64 bytes at a time.
class LineSplitter
{
public:
    LineSplitter(QByteArrayView bytes, qsizetype start)
        : m_data(bytes.data())
        , m_size(bytes.size())
        , m_pos(start)
        , m_block(start)
    {
        loadBlock();
    }

    // The next non-empty line, skipping empty ones; false at the end.
    bool nextNonEmptyLine(QByteArrayView &line)
    {
        while (m_pos < m_size) {
            const qsizetype end = lineEndFrom(m_pos);
            if (end == m_pos) {
                m_pos = afterLineEnd(end);
                continue;
            }
            line = QByteArrayView(m_data + m_pos, end - m_pos);
            m_pos = afterLineEnd(end);
            return true;
        }
        return false;
    }

private:
    static constexpr qsizetype BlockSize = 64;

    // Offset of the first CR or LF at or after `pos` (m_size when none).
    qsizetype lineEndFrom(qsizetype pos)
    {
        if (pos >= m_block + BlockSize) {
            m_block = pos;
            loadBlock();
        }
        for (;;) {
            const quint64 ahead = m_mask & (~quint64(0) << (pos - m_block));
            if (ahead != 0)
                return m_block + qCountTrailingZeroBits(ahead);
            m_block += BlockSize;
            if (m_block >= m_size)
                return m_size;
            pos = m_block;
            loadBlock();
        }
    }

    qsizetype afterLineEnd(qsizetype end) const
    {
        if (end >= m_size)
            return m_size;
        if (m_data[end] == '\r' && end + 1 < m_size && m_data[end + 1] == '\n')
            return end + 2;
        return end + 1;
    }

    // m_mask: bit k is set when byte m_block + k is a CR or LF.
    void loadBlock()
    {
        m_mask = 0;
        const qsizetype left = m_size - m_block;
        if (left <= 0)
            return;
#ifdef __SSE2__
        if (left >= BlockSize) {
            const __m128i lfs = _mm_set1_epi8('\n');
            const __m128i crs = _mm_set1_epi8('\r');
            for (int part = 0; part < 4; ++part) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(m_data + m_block + 16 * part));
                const quint64 ends = quint32(
                    _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, lfs), _mm_cmpeq_epi8(bytes, crs))));
                m_mask |= ends << (16 * part);
            }
            return;
        }
#endif
        const qsizetype count = qMin(left, BlockSize);
        for (qsizetype k = 0; k < count; ++k) {
            if (isLineEndByte(m_data[m_block + k]))
                m_mask |= quint64(1) << k;
        }
    }

    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos;
    qsizetype m_block;
    quint64 m_mask = 0;
};

// Whether a word line of the library is the word being deleted. Texts are
// compared exactly. Equal bytes always mean equal text. Different bytes can
// still decode to the same text only where decoding is not one-to-one, that
// is on bytes that are not clean text, which never happens to ASCII; so only
// a line with other bytes in it is decoded.
class WordMatcher
{
public:
    WordMatcher(const QString &word, TextCodec::Encoding encoding)
        : m_word(word)
        , m_bytes(TextCodec::encode(word, encoding))
        , m_encoding(encoding)
    {
    }

    bool matches(QByteArrayView line) const
    {
        if (line == QByteArrayView(m_bytes))
            return true;
        if (isAscii(line))
            return false;
        return TextCodec::decode(line, m_encoding) == m_word;
    }

private:
    const QString &m_word;
    QByteArray m_bytes;
    TextCodec::Encoding m_encoding;
};

// Writes a file from pieces: long pieces go straight to the file, short ones
// are gathered first. Remembers whether any write failed.
class PieceWriter
{
public:
    explicit PieceWriter(QFile &file)
        : m_file(file)
    {
        m_pending.reserve(Gather);
    }

    void put(const char *data, qsizetype size)
    {
        if (size >= Gather) {
            flush();
            write(data, size);
            return;
        }
        if (m_pending.size() + size > Gather)
            flush();
        m_pending.append(data, size);
    }

    bool finish()
    {
        flush();
        return m_ok;
    }

private:
    static constexpr qsizetype Gather = 64 * 1024;

    void flush()
    {
        if (!m_pending.isEmpty())
            write(m_pending.constData(), m_pending.size());
        m_pending.clear();
    }

    void write(const char *data, qsizetype size)
    {
        if (m_ok && m_file.write(data, size) != size)
            m_ok = false;
    }

    QFile &m_file;
    QByteArray m_pending;
    bool m_ok = true;
};

// Writes the library `bytes` without the records of `word` to `out`, in the
// library's own encoding: records whose word line is `word` go, and so do
// empty lines and a word without its meaning at the very end; every other
// record is written as its word line and its meaning line, each ended by
// CR LF.
//
// Most records already stand in the file exactly as they are written back
// (word, CR LF, meaning, CR LF, nothing between them), so runs of such
// records are written in one piece. Only a deleted record, empty lines or
// other line ends break a run.
// A UTF-8 library without a byte-order mark is told from GBK by its
// characters of three or more bytes. True when the records that stay still
// hold one (or hold no non-ASCII text at all, which reads the same either
// way); false when every such character leaves with the deleted word.
bool keptRecordsStillReadAsUtf8(QByteArrayView bytes, const WordMatcher &matcher)
{
    LineSplitter lines(bytes, 0);
    bool nonAscii = false;
    QByteArrayView wordLine;
    QByteArrayView meaningLine;
    while (lines.nextNonEmptyLine(wordLine)) {
        if (!lines.nextNonEmptyLine(meaningLine))
            break;
        if (matcher.matches(wordLine))
            continue;
        for (const QByteArrayView line : {wordLine, meaningLine}) {
            for (const char c : line) {
                if (uchar(c) >= 0xE0)
                    return true;
                nonAscii = nonAscii || uchar(c) >= 0x80;
            }
        }
    }
    return !nonAscii;
}

bool writeLibraryWithout(QByteArrayView bytes, const QString &word, QFile &out)
{
    const TextCodec::Encoding encoding = TextCodec::detect(bytes);
    const WordMatcher matcher(word, encoding);
    LineSplitter lines(bytes, TextCodec::bomLength(encoding));
    PieceWriter writer(out);
    // Keep a UTF-8 library UTF-8: when what stays would pass for GBK, the
    // new copy starts with a byte-order mark.
    const bool needsBom = encoding == TextCodec::Encoding::Utf8 && !keptRecordsStillReadAsUtf8(bytes, matcher);
    const QByteArray bom = TextCodec::bom(needsBom ? TextCodec::Encoding::Utf8Bom : encoding);
    writer.put(bom.constData(), bom.size());
    // Readers take EF BB BF at the very start of a file for a byte-order
    // mark, not for text. A record further down may begin with those bytes
    // (U+FEFF in UTF-8, or GBK text that happens to start so); once the
    // records before it are gone it would come first and lose them, and a
    // GBK library would even be read as UTF-8. An empty line in front keeps
    // it a line like any other. With a BOM of our own written first, the
    // reader already steps over exactly that one.
    bool firstKept = bom.isEmpty();
    const auto beforeKeptRecord = [&](QByteArrayView wordLine) {
        if (!firstKept)
            return;
        firstKept = false;
        if (wordLine.startsWith(QByteArrayView("\xEF\xBB\xBF", 3)))
            writer.put(kLineEnd.constData(), kLineEnd.size());
    };

    const char *const fileEnd = bytes.data() + bytes.size();
    const auto crLfAt = [fileEnd](const char *at) { return fileEnd - at >= 2 && at[0] == '\r' && at[1] == '\n'; };

    // Records waiting to be written as one piece: [runStart, runEnd).
    const char *runStart = nullptr;
    const char *runEnd = nullptr;
    const auto flushRun = [&] {
        if (runStart)
            writer.put(runStart, runEnd - runStart);
        runStart = runEnd = nullptr;
    };

    QByteArrayView wordLine;
    QByteArrayView meaningLine;
    while (lines.nextNonEmptyLine(wordLine)) {
        if (!lines.nextNonEmptyLine(meaningLine))
            break;
        if (matcher.matches(wordLine)) {
            flushRun();
            continue;
        }
        beforeKeptRecord(wordLine);
        const char *wordEnd = wordLine.data() + wordLine.size();
        const char *meaningEnd = meaningLine.data() + meaningLine.size();
        if (crLfAt(wordEnd) && meaningLine.data() == wordEnd + 2 && crLfAt(meaningEnd)) {
            if (!runStart || runEnd != wordLine.data()) {
                flushRun();
                runStart = wordLine.data();
            }
            runEnd = meaningEnd + 2;
            continue;
        }
        flushRun();
        writer.put(wordLine.data(), wordLine.size());
        writer.put(kLineEnd.constData(), kLineEnd.size());
        writer.put(meaningLine.data(), meaningLine.size());
        writer.put(kLineEnd.constData(), kLineEnd.size());
    }
    flushRun();
    return writer.finish();
}

// Creates `path` anew for writing. A stale file of that name is removed
// rather than written through, so a link left there cannot send the library
// somewhere else; a folder or anything else that is not a plain file is
// left alone, and the call fails.
bool createFresh(QFile &file)
{
    const QFileInfo stale(file.fileName());
    if (stale.isSymLink() || stale.isFile()) {
        if (!QFile::remove(file.fileName()))
            return false;
    } else if (stale.exists()) {
        return false;
    }
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

} // namespace

bool syncFile(int descriptor)
{
    return DiskSync::syncDescriptor(descriptor);
}

bool isPresent(const WordEntry &entry)
{
    return !entry.Word.isEmpty() && !entry.Meaning.isEmpty();
}

QString countText(double count)
{
    if (std::floor(count) == count && std::fabs(count) < 1e15)
        return QString::number(qint64(count));
    return QString::number(count, 'f', 1);
}

QString raisedCount(const QString &caption)
{
    // A caption that is not a number reads as 0, as an unset count would.
    return countText(caption.trimmed().toDouble() + 1);
}

QString boxPath(const QString &dataDir, int box)
{
    return dataDir + u'/' + LibraryRegistry::boxFileName(box);
}

void IniBoxSum(const QString &dataDir, BoxCounts &counts)
{
    for (int box = 0; box < LibraryRegistry::BoxCount; ++box) {
        const QString path = boxPath(dataDir, box);
        if (!QFileInfo::exists(path)) {
            // A box always exists, if only empty. Its caption stays.
            QFile created(path);
            if (created.open(QIODevice::WriteOnly))
                created.close();
            continue;
        }
        QByteArray bytes;
        if (!readWordFileBytes(path, bytes))
            continue;
        counts[size_t(box)] = countText(double(countLines(bytes)) / 2);
    }
}

bool modify_box_data(const QString &dataDir, int box, const WordEntry &entry, SyncFile sync)
{
    const QString path = boxPath(dataDir, box);
    QByteArray existing;
    const bool existed = QFileInfo::exists(path);
    if (existed && !readWordFileBytes(path, existing))
        return false;

    const TextCodec::Encoding encoding = TextCodec::detect(existing);
    QByteArray added;
    // A file edited by hand may stop in the middle of a line; end that line
    // first, or the word would join it.
    if (existing.size() > TextCodec::bomLength(encoding) && !isLineEndByte(existing.back()))
        added += kLineEnd;
    added += TextCodec::encode(entry.Word, encoding) + kLineEnd;
    added += TextCodec::encode(entry.Meaning, encoding) + kLineEnd;

    // Unbuffered: a write the disk refuses must fail here, not later when the
    // file is closed, where a buffered remainder would be appended after the
    // half record had been taken back.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    // Synced before we say it is done: the word is then in the box even if
    // the power goes a moment later. A box file that was only now created
    // needs its name synced as well.
    if (file.write(added) == added.size() && file.flush() && sync(file.handle())) {
        if (!existed)
            DiskSync::syncFolder(dataDir, sync);
        return true;
    }
    // Take back a half-written record, so the box does not end in the middle
    // of one.
    file.resize(existing.size());
    return false;
}

AddOutcome addWord(const QString &dataDir, int box, const WordEntry *entry, QString &countCaption, SyncFile sync)
{
    if (!entry || !isPresent(*entry))
        return AddOutcome::NothingToAdd;
    if (!modify_box_data(dataDir, box, *entry, sync))
        return AddOutcome::WriteFailed;
    countCaption = raisedCount(countCaption);
    return AddOutcome::Added;
}

bool replaceFile(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(nativePath(from), nativePath(to), error);
    return !error;
}

QString tempPath(const QString &dataDir)
{
    return dataDir + QStringLiteral("/$word_temp");
}

DeleteOutcome removeWord(const QString &dataDir, const QString &libraryFile, const QString &word,
                         ReplaceFile replace, SyncFile sync)
{
    const QString libraryPath = dataDir + u'/' + libraryFile;
    QByteArray bytes;
    if (libraryFile.isEmpty() || !readWordFileBytes(libraryPath, bytes))
        return DeleteOutcome::ReadFailed;

    // The new library is written whole before it takes the old one's place;
    // until then the old one is untouched.
    QFile temp(tempPath(dataDir));
    if (!createFresh(temp))
        return DeleteOutcome::WriteFailed;
    bool written = writeLibraryWithout(bytes, word, temp) && temp.flush();
    // The new copy takes the library's place, so it takes its permissions
    // (before the sync, which then covers them too).
    temp.setPermissions(QFile::permissions(libraryPath));
    // The new copy must be on the disk before it takes the library's name.
    // Without the sync a crash soon after the rename can leave the name
    // pointing at a file whose data never reached the disk, that is an
    // empty library: only ext4 in its default mode writes such a file out
    // first on its own; XFS, f2fs and ext4 with noauto_da_alloc do not.
    written = written && sync(temp.handle());
    temp.close();
    if (!written || temp.error() != QFileDevice::NoError) {
        temp.remove();
        return DeleteOutcome::WriteFailed;
    }

    if (!replace(temp.fileName(), libraryPath)) {
        QFile::remove(temp.fileName());
        return DeleteOutcome::ReplaceFailed;
    }
    // The rename is an entry of the folder; until the folder is synced a
    // crash may still bring back the old library (never an empty one). The
    // word is gone either way once this returns, so a failure here is not
    // reported as a failed deletion.
    DiskSync::syncFolder(dataDir, sync);
    return DeleteOutcome::Deleted;
}

DeleteOutcome DeleteWord(const QString &dataDir, const QString &libraryFile, const WordEntry *entry,
                         ReplaceFile replace, SyncFile sync)
{
    if (!entry || !isPresent(*entry))
        return DeleteOutcome::NothingToDelete;
    return removeWord(dataDir, libraryFile, entry->Word, replace, sync);
}

QString messageFor(AddOutcome outcome)
{
    switch (outcome) {
    case AddOutcome::Added:
        break;
    case AddOutcome::NothingToAdd:
        return QStringLiteral("没有可以添加的数据！");
    case AddOutcome::WriteFailed:
        return QStringLiteral("无法写入月光宝盒文件，单词没有添加！");
    }
    return {};
}

QString messageFor(DeleteOutcome outcome)
{
    switch (outcome) {
    case DeleteOutcome::Deleted:
        break;
    case DeleteOutcome::NothingToDelete:
        return QStringLiteral("没有可以删除的数据！");
    case DeleteOutcome::ReadFailed:
        return QStringLiteral("无法读取词库文件，删除失败！");
    case DeleteOutcome::WriteFailed:
        return QStringLiteral("无法写入临时文件，删除失败，词库文件没有改动！");
    case DeleteOutcome::ReplaceFailed:
        return QStringLiteral("无法替换词库文件，删除失败，词库文件没有改动！");
    }
    return {};
}

} // namespace BoxStore
