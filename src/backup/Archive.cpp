#include "backup/Archive.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <unzip.h>
#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Archive {

namespace {

const QString FormatName = QStringLiteral("lexivane-archive");

// minizip reads and writes through these, on a QByteArray: the archive is
// built and checked in memory, so that writing it to the disk is one step of
// its own (and can be made to fail in tests), and the fuzzer needs no files.
struct MemoryStream
{
    QByteArray *bytes = nullptr;
    const QByteArray *input = nullptr;
    qint64 position = 0;
    bool failed = false;

    qint64 size() const { return bytes ? bytes->size() : input->size(); }
};

voidpf ZCALLBACK openStream(voidpf opaque, const void *, int)
{
    return opaque;
}

uLong ZCALLBACK readStream(voidpf, voidpf stream, void *buffer, uLong size)
{
    auto *s = static_cast<MemoryStream *>(stream);
    const qint64 available = std::max<qint64>(0, s->size() - s->position);
    const qint64 count = std::min<qint64>(available, qint64(size));
    if (count > 0) {
        const char *data = s->bytes ? s->bytes->constData() : s->input->constData();
        std::memcpy(buffer, data + s->position, size_t(count));
        s->position += count;
    }
    return uLong(count);
}

uLong ZCALLBACK writeStream(voidpf, voidpf stream, const void *buffer, uLong size)
{
    auto *s = static_cast<MemoryStream *>(stream);
    if (!s->bytes) {
        s->failed = true;
        return 0;
    }
    const qint64 end = s->position + qint64(size);
    if (end > s->bytes->size())
        s->bytes->resize(end);
    std::memcpy(s->bytes->data() + s->position, buffer, size);
    s->position = end;
    return size;
}

ZPOS64_T ZCALLBACK tellStream(voidpf, voidpf stream)
{
    return ZPOS64_T(static_cast<MemoryStream *>(stream)->position);
}

long ZCALLBACK seekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto *s = static_cast<MemoryStream *>(stream);
    qint64 base = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
        base = 0;
        break;
    case ZLIB_FILEFUNC_SEEK_CUR:
        base = s->position;
        break;
    case ZLIB_FILEFUNC_SEEK_END:
        base = s->size();
        break;
    default:
        return -1;
    }
    // Offsets come from the file under test: one past the end is refused
    // rather than read as zeros.
    if (offset > ZPOS64_T(MaxArchiveBytes) * 2)
        return -1;
    const qint64 target = base + qint64(offset);
    if (target < 0 || target > s->size())
        return -1;
    s->position = target;
    return 0;
}

int ZCALLBACK closeStream(voidpf, voidpf)
{
    return 0;
}

int ZCALLBACK errorStream(voidpf, voidpf stream)
{
    return static_cast<MemoryStream *>(stream)->failed ? 1 : 0;
}

zlib_filefunc64_def functionsFor(MemoryStream &stream)
{
    zlib_filefunc64_def functions{};
    functions.zopen64_file = openStream;
    functions.zread_file = readStream;
    functions.zwrite_file = writeStream;
    functions.ztell64_file = tellStream;
    functions.zseek64_file = seekStream;
    functions.zclose_file = closeStream;
    functions.zerror_file = errorStream;
    functions.opaque = &stream;
    return functions;
}

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

ReadResult failure(Status status, const QString &detail)
{
    ReadResult result;
    result.status = status;
    result.detail = detail;
    return result;
}

// Unpacks the entry the zip is at, refusing more than `limit` bytes.
bool readCurrent(unzFile zip, qint64 limit, QByteArray &out, QString &why)
{
    if (unzOpenCurrentFile(zip) != UNZ_OK) {
        why = QStringLiteral("entry cannot be opened");
        return false;
    }
    out.clear();
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const int count = unzReadCurrentFile(zip, buffer, sizeof buffer);
        if (count < 0) {
            why = QStringLiteral("entry cannot be unpacked (%1)").arg(count);
            ok = false;
            break;
        }
        if (count == 0)
            break;
        if (out.size() + count > limit) {
            why = QStringLiteral("entry larger than allowed");
            ok = false;
            break;
        }
        out.append(buffer, count);
    }
    // The CRC-32 of the entry is compared here, once it has been read whole.
    const int closed = unzCloseCurrentFile(zip);
    if (ok && closed != UNZ_OK) {
        why = QStringLiteral("entry fails its CRC (%1)").arg(closed);
        ok = false;
    }
    return ok;
}

} // namespace

const Entry *Contents::find(const QString &name) const
{
    for (const Entry &entry : entries) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

bool isAllowedName(const QString &name)
{
    if (name == ManifestName || name == DatabaseName || name == SettingsName)
        return true;
    if (!name.startsWith(DataPrefix))
        return false;
    const QString file = name.mid(DataPrefix.size());
    if (file.isEmpty() || file == QLatin1String(".") || file == QLatin1String("..") || file.size() > 255)
        return false;
    for (const QChar c : file) {
        if (c == u'/' || c == u'\\' || c == u':' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

QByteArray build(const Contents &contents, int version)
{
    QJsonArray listed;
    QList<const Entry *> written;
    for (const Entry &entry : contents.entries) {
        if (entry.name == ManifestName || !isAllowedName(entry.name))
            continue;
        written.append(&entry);
        listed.append(QJsonObject{{QStringLiteral("name"), entry.name},
                                  {QStringLiteral("size"), double(entry.bytes.size())},
                                  {QStringLiteral("sha256"), sha256(entry.bytes)}});
    }
    QJsonObject manifest{{QStringLiteral("format"), FormatName},
                         {QStringLiteral("version"), version},
                         {QStringLiteral("created"), contents.created.toUTC().toString(Qt::ISODateWithMs)},
                         {QStringLiteral("computer"), contents.computer},
                         {QStringLiteral("entries"), listed}};
    if (contents.answers >= 0)
        manifest.insert(QStringLiteral("answers"), double(contents.answers));
    const QByteArray manifestBytes = QJsonDocument(manifest).toJson(QJsonDocument::Indented);

    QByteArray out;
    MemoryStream stream;
    stream.bytes = &out;
    zlib_filefunc64_def functions = functionsFor(stream);
    zipFile zip = zipOpen2_64("archive", APPEND_STATUS_CREATE, nullptr, &functions);
    if (!zip)
        return QByteArray();
    bool ok = true;
    auto add = [&](const QString &name, const QByteArray &bytes) {
        zip_fileinfo info{};
        const QDateTime when = contents.created.isValid() ? contents.created.toLocalTime() : QDateTime();
        if (when.isValid()) {
            info.tmz_date.tm_year = uInt(when.date().year());
            info.tmz_date.tm_mon = uInt(when.date().month() - 1);
            info.tmz_date.tm_mday = uInt(when.date().day());
            info.tmz_date.tm_hour = uInt(when.time().hour());
            info.tmz_date.tm_min = uInt(when.time().minute());
            info.tmz_date.tm_sec = uInt(when.time().second());
        }
        // Names are UTF-8 (general purpose bit 11), so a library with a
        // Chinese file name reads back the same anywhere.
        const QByteArray utf8 = name.toUtf8();
        const bool large = bytes.size() > 0x7fffffff;
        if (zipOpenNewFileInZip4_64(zip, utf8.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                    Z_BEST_SPEED, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, 0,
                                    1 << 11, large ? 1 : 0) != ZIP_OK) {
            ok = false;
            return;
        }
        // zipWriteInFileInZip takes at most 4 GB a call; a chunk keeps it simple.
        for (qsizetype offset = 0; ok && offset < bytes.size(); offset += 1 << 24) {
            const qsizetype count = std::min<qsizetype>(1 << 24, bytes.size() - offset);
            ok = zipWriteInFileInZip(zip, bytes.constData() + offset, unsigned(count)) == ZIP_OK;
        }
        if (zipCloseFileInZip(zip) != ZIP_OK)
            ok = false;
    };
    // The manifest first, so a reader learns what it holds before the rest.
    add(ManifestName, manifestBytes);
    for (const Entry *entry : written) {
        if (ok)
            add(entry->name, entry->bytes);
    }
    if (zipClose(zip, nullptr) != ZIP_OK || stream.failed)
        ok = false;
    return ok ? out : QByteArray();
}

ReadResult parse(const QByteArray &bytes)
{
    if (bytes.size() > MaxArchiveBytes)
        return failure(Status::Damaged, QStringLiteral("archive larger than allowed"));
    MemoryStream stream;
    stream.input = &bytes;
    zlib_filefunc64_def functions = functionsFor(stream);
    unzFile zip = unzOpen2_64("archive", &functions);
    if (!zip) {
        // A zip's first bytes are "PK\3\4": anything else is some other
        // file; a zip whose central directory cannot be found is cut short.
        return bytes.startsWith("PK\x03\x04") ? failure(Status::Damaged, QStringLiteral("no central directory"))
                                              : failure(Status::Foreign, QStringLiteral("not a zip"));
    }
    struct Closer
    {
        unzFile zip;
        ~Closer() { unzClose(zip); }
    } closer{zip};

    unz_global_info64 global{};
    if (unzGetGlobalInfo64(zip, &global) != UNZ_OK)
        return failure(Status::Damaged, QStringLiteral("no global info"));
    if (global.number_entry > ZPOS64_T(MaxEntries))
        return failure(Status::Damaged, QStringLiteral("too many entries"));

    // Every entry, unpacked and checked against its CRC. Names must be
    // allowed and unique: a second "lexvan.db" could otherwise hide behind
    // the first.
    QList<Entry> entries;
    QSet<QString> seen;
    QString strange;
    qint64 total = 0;
    int status = unzGoToFirstFile(zip);
    while (status == UNZ_OK) {
        unz_file_info64 info{};
        char name[1024];
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            return failure(Status::Damaged, QStringLiteral("entry header unreadable"));
        const QString entryName = QString::fromUtf8(name, qsizetype(strnlen(name, sizeof name)));
        // Not unpacked, and refused once the manifest has been read: a later
        // version may add kinds of entry, and is told as such.
        if (!isAllowedName(entryName)) {
            if (strange.isEmpty())
                strange = entryName;
            status = unzGoToNextFile(zip);
            continue;
        }
        if (seen.contains(entryName))
            return failure(Status::Damaged, QStringLiteral("entry twice: %1").arg(entryName));
        seen.insert(entryName);
        if (info.uncompressed_size > ZPOS64_T(MaxEntryBytes))
            return failure(Status::Damaged, QStringLiteral("entry larger than allowed"));
        Entry entry;
        entry.name = entryName;
        QString why;
        if (!readCurrent(zip, std::min(MaxEntryBytes, MaxTotalBytes - total), entry.bytes, why))
            return failure(Status::Damaged, why + QStringLiteral(": ") + entryName);
        total += entry.bytes.size();
        entries.append(entry);
        status = unzGoToNextFile(zip);
    }
    if (status != UNZ_END_OF_LIST_OF_FILE)
        return failure(Status::Damaged, QStringLiteral("central directory damaged (%1)").arg(status));

    const auto manifestEntry = std::find_if(entries.cbegin(), entries.cend(),
                                            [](const Entry &e) { return e.name == ManifestName; });
    if (manifestEntry == entries.cend())
        return failure(Status::Foreign, QStringLiteral("no manifest"));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(manifestEntry->bytes, &parseError);
    if (!document.isObject())
        return failure(Status::Damaged, QStringLiteral("manifest unreadable: %1").arg(parseError.errorString()));
    const QJsonObject manifest = document.object();
    if (manifest.value(QStringLiteral("format")).toString() != FormatName)
        return failure(Status::Foreign, QStringLiteral("format is not %1").arg(FormatName));
    const QJsonValue version = manifest.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toDouble() < 1 || version.toDouble() != std::floor(version.toDouble()))
        return failure(Status::Damaged, QStringLiteral("no version"));
    if (version.toDouble() > FormatVersion)
        return failure(Status::TooNew, QStringLiteral("version %1").arg(version.toDouble()));
    if (!strange.isEmpty())
        return failure(Status::Foreign, QStringLiteral("entry not ours: %1").arg(strange));

    // The manifest names every other entry, with its size and checksum; an
    // entry it does not name, or one it names that is missing, is damage.
    const QJsonArray listed = manifest.value(QStringLiteral("entries")).toArray();
    if (listed.size() != entries.size() - 1)
        return failure(Status::Damaged, QStringLiteral("manifest lists %1 entries, the zip holds %2")
                                            .arg(listed.size())
                                            .arg(entries.size() - 1));
    ReadResult result;
    QSet<QString> named;
    for (const auto &value : listed) {
        const QJsonObject item = value.toObject();
        const QString name = item.value(QStringLiteral("name")).toString();
        if (name == ManifestName || named.contains(name))
            return failure(Status::Damaged, QStringLiteral("manifest names %1 wrongly").arg(name));
        named.insert(name);
        const auto found =
            std::find_if(entries.cbegin(), entries.cend(), [&](const Entry &e) { return e.name == name; });
        if (found == entries.cend())
            return failure(Status::Damaged, QStringLiteral("missing entry %1").arg(name));
        if (item.value(QStringLiteral("size")).toDouble(-1) != double(found->bytes.size()) ||
            item.value(QStringLiteral("sha256")).toString() != sha256(found->bytes))
            return failure(Status::Damaged, QStringLiteral("checksum of %1 does not match").arg(name));
        result.contents.entries.append(*found);
    }
    result.contents.created =
        QDateTime::fromString(manifest.value(QStringLiteral("created")).toString(), Qt::ISODateWithMs);
    result.contents.computer = manifest.value(QStringLiteral("computer")).toString();
    result.contents.answers = qint64(manifest.value(QStringLiteral("answers")).toDouble(-1));
    result.status = Status::Ok;
    return result;
}

ReadResult readFile(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return failure(Status::Unreadable, file.errorString());
    if (file.size() > MaxArchiveBytes)
        return failure(Status::Damaged, QStringLiteral("archive larger than allowed"));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failure(Status::Unreadable, file.errorString());
    return parse(bytes);
}

QString messageFor(Status status)
{
    switch (status) {
    case Status::Ok:
        return QString();
    case Status::Unreadable:
        return QStringLiteral("无法读取这个文件。");
    case Status::Foreign:
        return QStringLiteral("这个文件不是本程序导出的数据文件（.lxv）。");
    case Status::TooNew:
        return QStringLiteral("这个文件来自更新版本的程序，请先升级本程序。");
    case Status::Damaged:
        break;
    }
    return QStringLiteral("这个文件已损坏或不完整，没有做任何改动。");
}

} // namespace Archive
