#pragma once

#include "settings/ProfileFile.h"

#include <QString>

// The settings file. Every read goes to the file and nothing is cached, so a
// value one window writes is seen by the next read anywhere. Failures are
// kept in ErrorText() and never shown to the user.
class CIniFile
{
public:
    CIniFile() = default;

    // Remembers the file's path (trimmed of spaces). The file need not exist:
    // the first successful write creates it.
    void SpecifyIni(const QString &path);

    // Writes (or replaces) the key in the section, creating both and the file
    // as needed. The file is replaced whole and atomically, so a failed write
    // leaves the old file as it was. Returns false on failure.
    bool WriteString(const QString &section, const QString &key, const QString &value);

    // Applies several writes and removals as one replacement of the file:
    // all or nothing. Returns false (file unchanged) on failure.
    bool WriteChanges(const QList<Profile::Change> &changes);

    // The stored value cut to size - 1 bytes of the file's encoding (never half
    // a character); empty when the file, section or key is missing or no path
    // is set.
    QString ReadString(const QString &section, const QString &key, long size);

    // The leading decimal number of the stored value; 0 with ErrorText
    // "不能读取" when the key is missing or holds no number.
    long ReadInt(const QString &section, const QString &key);

    QString ErrorText() const { return m_errorText; }
    QString IniPath() const { return m_iniPath; }

private:
    bool IniNotSpecified();

    QString m_errorText;
    QString m_iniPath;
};
