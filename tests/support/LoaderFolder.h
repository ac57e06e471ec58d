#pragma once

#include "RecordingDialogs.h"
#include "TestFiles.h"

#include "library/GroupLoader.h"
#include "settings/CIniFile.h"

#include <QDir>
#include <QTemporaryDir>

// A program folder in miniature for the group loader: lexvan.ini with 四级
// registered as data/cet4.txt (and `moreFileNames`, further lines of
// [LibraryFileName]), an empty data folder, and the word table of a window
// that shows `before` in every slot.
class LoaderFolder
{
public:
    explicit LoaderFolder(const QString &moreFileNames = {}, const WordEntry &before = {})
    {
        dataDir = dir.filePath(QStringLiteral("data"));
        libraryPath = dataDir + QStringLiteral("/cet4.txt");
        QDir(dir.path()).mkdir(QStringLiteral("data"));
        iniPath = dir.filePath(QStringLiteral("lexvan.ini"));
        TestFiles::writeBytes(iniPath, TestFiles::gbk(QStringLiteral("[LibName]\r\nLib0=四级\r\n"
                                                                     "[LibraryFileName]\r\n四级=cet4.txt\r\n")
                                                      + moreFileNames));
        ini.SpecifyIni(iniPath);
        setup.ini = &ini;
        setup.dataDir = dataDir;
        setup.section = section();
        setup.libraryIndex = 0;
        setup.formReset = [this] { ++resets; };
        for (WordEntry &slot : words)
            slot = before;
    }

    // Where the loads remember their group.
    static QString section() { return QStringLiteral("Form1LastData"); }

    bool writeLibrary(const QString &fileName, const QByteArray &bytes)
    {
        return TestFiles::writeBytes(dataDir + u'/' + fileName, bytes);
    }

    // Loads as a window does: what the loader reports is said.
    qint16 load(const QString &group, const QString &library = QStringLiteral("四级"))
    {
        iniBefore = TestFiles::readBytes(iniPath);
        const qint16 loaded = ReadWords(group, library, words, wordCount, setup, &details);
        const QString said = groupLoadMessage(details, library, setup.lastGroupNotice);
        if (!said.isEmpty())
            dialogs.message(said);
        return loaded;
    }

    bool iniUnchanged() const { return TestFiles::readBytes(iniPath) == iniBefore; }

    QTemporaryDir dir;
    QString dataDir;
    QString libraryPath;
    QString iniPath;
    QByteArray iniBefore;
    CIniFile ini;
    RecordingDialogs dialogs;
    GroupLoaderSetup setup;
    WordTable words;
    qint16 wordCount = -1;
    GroupLoadDetails details;
    int resets = 0;
};
