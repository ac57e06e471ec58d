#pragma once

#include "TestFiles.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary program folder that is also the working folder, as the program
// is started: lexvan.ini beside it and word libraries under data/.
class ProgramFolder
{
public:
    ProgramFolder()
        : m_previous(QDir::currentPath())
    {
        QDir(m_dir.path()).mkdir(QStringLiteral("data"));
        QDir::setCurrent(m_dir.path());
    }

    ~ProgramFolder() { QDir::setCurrent(m_previous); }

    QString path() const { return m_dir.path(); }
    QString iniPath() const { return m_dir.filePath(QStringLiteral("lexvan.ini")); }
    QString dataPath(const QString &name) const { return m_dir.filePath(QStringLiteral("data/") + name); }

    // The lines of a lexvan.ini with one library, 测试词库 in data/test.txt.
    static QStringList oneLibraryIni()
    {
        return {QStringLiteral("[LibName]"), QStringLiteral("Lib0=测试词库"), QStringLiteral("[LibraryFileName]"),
                QStringLiteral("测试词库=test.txt")};
    }

    // lexvan.ini from lines of text (written as GBK with CR LF).
    void writeIni(const QStringList &lines) const
    {
        TestFiles::writeBytes(iniPath(), TestFiles::gbk(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    }

    // A library of `count` records "word<n>" / "meaning<n>", numbered from 1.
    void writeNumberedLibrary(const QString &fileName, int count) const
    {
        QString text;
        for (int n = 1; n <= count; ++n)
            text += QStringLiteral("word%1\r\n释义%1\r\n").arg(n);
        TestFiles::writeBytes(dataPath(fileName), TestFiles::gbk(text));
    }

    void writeLibrary(const QString &fileName, const QStringList &lines) const
    {
        TestFiles::writeBytes(dataPath(fileName), TestFiles::gbk(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
