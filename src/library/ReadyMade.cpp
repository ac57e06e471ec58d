#include "library/ReadyMade.h"

#include "settings/LibraryListEditor.h"

#include <QDir>

#include <algorithm>

QList<ReadyMadeLibrary> readyMadeLibraries()
{
    // Keep in step with data/lexvan.ini.template and
    // tools/ecdict/make_libraries.py. The exam libraries were rebuilt under
    // new file names: an upgraded installation keeps the first ones (and the
    // learning record kept for them) and finds the new ones here. The first
    // ones stay listed for installations that have them.
    return {
        {QStringLiteral("基础词汇"), QStringLiteral("basic.txt")},
        {QStringLiteral("水果蔬菜"), QStringLiteral("fruit.txt")},
        {QStringLiteral("中考词汇新版"), QStringLiteral("exam_zk_v2.txt")},
        {QStringLiteral("高考词汇新版"), QStringLiteral("exam_gk_v2.txt")},
        {QStringLiteral("大学英语四级新版"), QStringLiteral("exam_cet4_v2.txt")},
        {QStringLiteral("大学英语六级新版"), QStringLiteral("exam_cet6_v2.txt")},
        {QStringLiteral("考研英语新版"), QStringLiteral("exam_ky_v2.txt")},
        {QStringLiteral("雅思词汇新版"), QStringLiteral("exam_ielts_v2.txt")},
        {QStringLiteral("托福词汇新版"), QStringLiteral("exam_toefl_v2.txt")},
        {QStringLiteral("GRE词汇新版"), QStringLiteral("exam_gre_v2.txt")},
        {QStringLiteral("中考词汇"), QStringLiteral("exam_zk.txt")},
        {QStringLiteral("高考词汇"), QStringLiteral("exam_gk.txt")},
        {QStringLiteral("大学英语四级"), QStringLiteral("exam_cet4.txt")},
        {QStringLiteral("大学英语六级"), QStringLiteral("exam_cet6.txt")},
        {QStringLiteral("考研英语"), QStringLiteral("exam_ky.txt")},
        {QStringLiteral("雅思词汇"), QStringLiteral("exam_ielts.txt")},
        {QStringLiteral("托福词汇"), QStringLiteral("exam_toefl.txt")},
        {QStringLiteral("GRE词汇"), QStringLiteral("exam_gre.txt")},
    };
}

bool libraryFileNameTaken(const QString &dataDir, const LibraryListEditor &editor, const QString &fileName)
{
    const auto same = [&fileName](const QString &other) { return QString::compare(other, fileName, Qt::CaseInsensitive) == 0; };
    const QStringList present = QDir(dataDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    if (std::any_of(present.cbegin(), present.cend(), same))
        return true;
    for (const RegisteredLibrary &library : editor.libraries()) {
        if (same(library.fileName))
            return true;
    }
    for (const ReadyMadeLibrary &ready : readyMadeLibraries()) {
        if (same(ready.fileName))
            return true;
    }
    return editor.checkFileName(fileName) != LibraryListEditor::Outcome::Done;
}
