#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The .lxv file: everything a learner has (lexvan.db, lexvan.ini, the word
// boxes and the libraries) in one zip, with a manifest that names the format,
// its version and a SHA-256 of every entry. The daily backups and the export
// share it.
//
// Reading checks everything before anything is handed out: a file that is
// truncated, damaged, not ours, or written by a later version is refused as a
// whole, so the caller never has to undo half an import.
namespace Archive {

inline constexpr int FormatVersion = 1;
inline const QString ManifestName = QStringLiteral("manifest.json");
inline const QString DatabaseName = QStringLiteral("lexvan.db");
inline const QString SettingsName = QStringLiteral("lexvan.ini");
// Word files are stored as "data/NAME".
inline const QString DataPrefix = QStringLiteral("data/");

// The largest archive read at all, and the most one entry may unpack to:
// far above any real record, far below what would exhaust the memory.
inline constexpr qint64 MaxArchiveBytes = qint64(1) << 30;
inline constexpr qint64 MaxEntryBytes = qint64(1) << 30;
inline constexpr qint64 MaxTotalBytes = qint64(3) << 29;
inline constexpr int MaxEntries = 4096;

struct Entry
{
    QString name;
    QByteArray bytes;
};

struct Contents
{
    QDateTime created;
    QString computer;    // the id of the computer that wrote it
    qint64 answers = -1; // answers in its lexvan.db; -1 when not said
    QList<Entry> entries;

    const Entry *find(const QString &name) const;
};

enum class Status {
    Ok,
    Unreadable, // the file cannot be opened or read
    Foreign,    // not a zip, or a zip that is not ours
    TooNew,     // written by a later version of the program
    Damaged,    // truncated, a checksum that does not match, an unsafe name
};

struct ReadResult
{
    Status status = Status::Unreadable;
    QString detail; // for the log and tests
    Contents contents;
    bool ok() const { return status == Status::Ok; }
};

// What the user is told; empty for Ok.
QString messageFor(Status status);

// Whether `name` may be an entry: the manifest, lexvan.db, lexvan.ini or
// data/ followed by a plain file name (no folder, no "..", no control
// character). Everything else is refused when read and never written.
bool isAllowedName(const QString &name);

// The zip, in memory. Entries with names that are not allowed are left out.
// `version` is the format version the manifest states.
QByteArray build(const Contents &contents, int version = FormatVersion);

// Checks and unpacks an archive in memory.
ReadResult parse(const QByteArray &bytes);
// Reads the file at `path` and parses it.
ReadResult readFile(const QString &path);

} // namespace Archive
