#include "library/GroupLoader.h"

#include "library/WordFile.h"
#include "settings/CIniFile.h"
#include "settings/LibraryRegistry.h"
#include "settings/Trim.h"
#include "settings/UserDialogs.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

bool onlyZeros(const QString &text)
{
    for (const QChar c : text) {
        if (c != u'0')
            return false;
    }
    return true;
}

// The first complaint about a group number, or empty text when it is usable.
QString groupNumberProblem(const QString &groupText)
{
    if (trimSpaces(groupText).isEmpty() || onlyZeros(groupText))
        return QStringLiteral("组号不允许为空值或者零！");
    if (groupText.size() > 4)
        return QStringLiteral("组号不能大于5为数！");
    if (HasNonDigit(groupText))
        return QStringLiteral("组号不允许含有非数字字符！");
    return {};
}

} // namespace

qint16 ReadWords(const QString &groupText, const QString &libraryName, WordTable &words, qint16 &wordCount,
                 const GroupLoaderSetup &setup, GroupLoadDetails *details)
{
    Q_ASSERT(setup.ini && setup.dialogs);
    GroupLoadDetails found;
    if (details)
        *details = found;
    UserDialogs &dialogs = *setup.dialogs;

    const QString groupProblem = groupNumberProblem(groupText);
    if (!groupProblem.isEmpty()) {
        dialogs.message(groupProblem);
        return 0;
    }
    if (trimSpaces(libraryName).isEmpty()) {
        dialogs.message(QStringLiteral("词库名字不允许为空值！"));
        return 0;
    }

    // The boxes have fixed files; every other library is registered by name.
    const int box = LibraryRegistry::boxOfName(libraryName);
    if (box >= 0) {
        found.fileName = LibraryRegistry::boxFileName(box);
        found.isBox = true;
    } else {
        found.fileName = LibraryRegistry::GetLibraryFileName(*setup.ini, dialogs, libraryName);
        if (found.fileName.isEmpty())
            return 0; // the registry has said why
    }
    if (details)
        *details = found;

    const QString path = setup.dataDir + u'/' + found.fileName;
    if (!QFileInfo::exists(path)) {
        dialogs.message(QStringLiteral("找不到词库文件！") + libraryName);
        return 0;
    }
    // Read before resetting, so that a file we cannot read leaves the window
    // showing what it showed.
    QByteArray bytes;
    if (!readWordFileBytes(path, bytes)) {
        dialogs.message(QStringLiteral("无法读取词库文件！") + libraryName);
        return 0;
    }

    if (setup.formReset)
        setup.formReset();

    // At most four digits, checked above.
    const int requested = groupText.toInt();

    // Walk to the requested group on bytes alone. A group is 2 * GroupSize
    // non-empty lines; only the very last record can be a single line.
    // Trailing empty lines are no record, so a group with no record in it
    // lies past the end, and the last group is the one that holds the last
    // record.
    constexpr qsizetype linesPerGroup = 2 * GroupSize;
    WordFileReader reader(std::move(bytes));
    const qsizetype fileStart = reader.position();
    int group = requested;
    const qsizetype wanted = linesPerGroup * (requested - 1);
    const qsizetype skipped = reader.skipNonEmptyLines(wanted);
    if (skipped < wanted || !reader.hasMoreRecords()) {
        // `skipped` is now every non-empty line of the file.
        const qsizetype recordTotal = (skipped + 1) / 2;
        if (recordTotal == 0) {
            words[0].Word.clear();
            words[0].Meaning.clear();
            words[0].Mark = 0;
            dialogs.message(QStringLiteral("词库文件已经清空！"));
            return 0;
        }
        group = int((recordTotal + GroupSize - 1) / GroupSize);
        reader.seek(fileStart);
        reader.skipNonEmptyLines(linesPerGroup * (group - 1));
    }

    int count = 0;
    while (count < GroupSize) {
        WordEntry &slot = words[size_t(count)];
        if (!reader.readRecord(slot.Word, slot.Meaning))
            break;
        slot.Mark = 0;
        ++count;
    }
    for (int i = count; i < GroupSize; ++i) {
        WordEntry &slot = words[size_t(i)];
        slot.Word.clear();
        slot.Meaning.clear();
        slot.Mark = 0;
    }
    wordCount = qint16(count);
    const bool lastGroup = count < GroupSize || !reader.hasMoreRecords();

    if (lastGroup && setup.lastGroupNotice)
        dialogs.message(QStringLiteral("现在已经是最后一组了！"));
    setup.ini->WriteString(setup.section, QStringLiteral("WordGroup"), QString::number(group));
    setup.ini->WriteString(setup.section, QStringLiteral("WordLibrary"), QString::number(setup.libraryIndex));

    found.isLastGroup = lastGroup;
    if (details)
        *details = found;
    return qint16(group);
}
