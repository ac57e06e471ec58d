#include "settings/CIniFile.h"

#include "settings/ProfileFile.h"
#include "text/Trim.h"

void CIniFile::SpecifyIni(const QString &path)
{
    // The path is otherwise used as given, even with a doubled separator
    // before the file name.
    m_iniPath = trimSpaces(path);
}

bool CIniFile::IniNotSpecified()
{
    if (m_iniPath.isEmpty()) {
        m_errorText = QStringLiteral("没有指定 INI 文件");
        return true;
    }
    m_errorText.clear();
    return false;
}

bool CIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    if (IniNotSpecified())
        return false;
    if (!Profile::writeString(m_iniPath, section, key, value)) {
        m_errorText = QStringLiteral("写入失败");
        return false;
    }
    m_errorText.clear();
    return true;
}

bool CIniFile::WriteChanges(const QList<Profile::Change> &changes)
{
    if (IniNotSpecified())
        return false;
    if (!Profile::writeChanges(m_iniPath, changes)) {
        m_errorText = QStringLiteral("写入失败");
        return false;
    }
    m_errorText.clear();
    return true;
}

QString CIniFile::ReadString(const QString &section, const QString &key, long size)
{
    if (IniNotSpecified())
        return {};
    return Profile::readString(m_iniPath, section, key, size);
}

long CIniFile::ReadInt(const QString &section, const QString &key)
{
    // No path check of its own: without a path the key simply reads as
    // missing. The second read, with a different default, tells a stored
    // "0" from a missing key or a value that holds no number.
    const long value = Profile::readInt(m_iniPath, section, key, 0);
    if (value != 0)
        return value;
    if (Profile::readInt(m_iniPath, section, key, 1) == 1) {
        m_errorText = QStringLiteral("不能读取");
        return 0;
    }
    return 0;
}
