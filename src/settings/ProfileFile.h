#pragma once

#include <QList>
#include <QString>

#include <optional>

// Our own reader and writer of sectioned key/value files ("private profile"
// files), working on the file's bytes so that the program behaves the same on
// every system.
//
// File format, as read:
// - A line whose first non-blank character is "[" and which holds a "]"
//   opens a section; the name is what lies between, without the blanks
//   (spaces and tabs) around it, and anything after the "]" is ignored.
// - Any other line with an "=" holds a value: the key is the text before the
//   first "=", the value the text after it, both without surrounding blanks.
//   A value wrapped in a matching pair of double or single quotes is read
//   without them. ";" has no special meaning.
// - Lines end with CR LF, LF or CR.
// - Section and key names match regardless of letter case, compared as
//   decoded characters, never as raw bytes.
// - Only the first section of a given name is searched, and within it only
//   the first line of a given key.
//
// Encoding: GBK, unless the file starts with a UTF-8 byte-order mark or is
// valid UTF-8 holding non-ASCII text (see TextCodec). Rewrites keep the
// file's encoding and byte-order mark; new files are GBK.
//
// Nothing is cached: every call reads the file anew.
namespace Profile {

// The value of `key` in `section`, cut to `bufferLength` - 1 bytes of the
// file's encoding without splitting a character. Empty when the file, the
// section or the key is missing, or when `bufferLength` is 1 or less.
QString readString(const QString &path, const QString &section, const QString &key, qint64 bufferLength);

// The leading decimal number (with an optional sign) of the value, or
// `defaultValue` when the key is missing or its value does not start with a
// number.
long readInt(const QString &path, const QString &section, const QString &key, long defaultValue);

// Sets `key` in `section` to `value`, creating the key, the section and the
// file as needed. The file is replaced as a whole through a temporary file
// beside it, so a failed write leaves it as it was. Writing the value that
// is already stored leaves the file untouched.
//
// Refused (false, file unchanged): an empty section or key, any CR, LF or NUL
// in the three texts, a "]" in the section, an "=" in the key, a key that
// would read back as a section line, and a change after which the file would
// be taken for another encoding (see TextCodec::detect). Also false when the
// file cannot be read or replaced.
bool writeString(const QString &path, const QString &section, const QString &key, const QString &value);

// Removes what a write of `path` that was killed half-way may have left
// beside it: the temporary copy, named like "lexvan.ini.aZbQrT" (the file
// name, a dot and six random letters, as Qt names it), and only one that is
// a plain file older than `path` itself, so a write still going on is never
// touched. Nothing else is removed. Returns how many were removed.
int removeLeftoverCopies(const QString &path);

// One change of a batch: sets `key` in `section` to `value`, or removes every
// line of the key from the section when `value` is empty (std::nullopt).
struct Change
{
    QString section;
    QString key;
    std::optional<QString> value;
};

// Applies the changes in order and replaces the file once, so that either all
// of them are saved or, on any failure or refusal (as for writeString), none
// and the file stays as it was. Removing a key that is not there is no
// change; a batch that changes nothing leaves the file untouched.
bool writeChanges(const QString &path, const QList<Change> &changes);

} // namespace Profile
