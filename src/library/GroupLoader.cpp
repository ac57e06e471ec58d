#include "library/GroupLoader.h"

#include "settings/SettingsKeys.h"

#include "library/WordFile.h"
#include "settings/CIniFile.h"
#include "settings/LibraryRegistry.h"
#include "text/Trim.h"

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

// The first complaint about a group number, or None when it is usable.
GroupLoadProblem groupNumberProblem(const QString &groupText)
{
    if (trimSpaces(groupText).isEmpty() || onlyZeros(groupText))
        return GroupLoadProblem::GroupEmptyOrZero;
    if (groupText.size() > 4)
        return GroupLoadProblem::GroupTooLong;
    if (HasNonDigit(groupText))
        return GroupLoadProblem::GroupNotDigits;
    return GroupLoadProblem::None;
}

} // namespace

qint16 ReadWords(const QString &groupText, const QString &libraryName, WordTable &words, qint16 &wordCount,
                 const GroupLoaderSetup &setup, GroupLoadDetails *details)
{
    Q_ASSERT(setup.ini);
    GroupLoadDetails found;
    if (details)
        *details = found;
    const auto fail = [&found, details](GroupLoadProblem problem) {
        found.problem = problem;
        if (details)
            *details = found;
        return qint16(0);
    };

    const GroupLoadProblem groupProblem = groupNumberProblem(groupText);
    if (groupProblem != GroupLoadProblem::None)
        return fail(groupProblem);
    if (trimSpaces(libraryName).isEmpty())
        return fail(GroupLoadProblem::NoLibraryName);

    // The boxes have fixed files; every other library is registered by name.
    const int box = LibraryRegistry::boxOfName(libraryName);
    if (box >= 0) {
        found.fileName = LibraryRegistry::boxFileName(box);
        found.isBox = true;
    } else {
        found.fileName = LibraryRegistry::libraryFileName(*setup.ini, libraryName);
        if (found.fileName.isEmpty())
            return fail(GroupLoadProblem::NoFileName);
    }
    if (details)
        *details = found;

    const QString path = setup.dataDir + u'/' + found.fileName;
    if (!QFileInfo::exists(path))
        return fail(GroupLoadProblem::FileMissing);
    // Read before resetting, so that a file we cannot read leaves the window
    // showing what it showed.
    QByteArray bytes;
    if (!readWordFileBytes(path, bytes))
        return fail(GroupLoadProblem::FileUnreadable);

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
            return fail(GroupLoadProblem::LibraryEmpty);
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

    setup.ini->WriteString(setup.section, SettingsKeys::WordGroup, QString::number(group));
    setup.ini->WriteString(setup.section, SettingsKeys::WordLibrary, QString::number(setup.libraryIndex));

    found.isLastGroup = lastGroup;
    if (details)
        *details = found;
    return qint16(group);
}

QString groupLoadMessage(const GroupLoadDetails &details, const QString &libraryName, bool lastGroupNotice)
{
    switch (details.problem) {
    case GroupLoadProblem::None:
        break;
    case GroupLoadProblem::GroupEmptyOrZero:
        return QStringLiteral("组号不允许为空值或者零！");
    case GroupLoadProblem::GroupTooLong:
        return QStringLiteral("组号不能大于5为数！");
    case GroupLoadProblem::GroupNotDigits:
        return QStringLiteral("组号不允许含有非数字字符！");
    case GroupLoadProblem::NoLibraryName:
        return QStringLiteral("词库名字不允许为空值！");
    case GroupLoadProblem::NoFileName:
        return LibraryRegistry::noFileNameMessage();
    case GroupLoadProblem::FileMissing:
        return QStringLiteral("找不到词库文件！") + libraryName;
    case GroupLoadProblem::FileUnreadable:
        return QStringLiteral("无法读取词库文件！") + libraryName;
    case GroupLoadProblem::LibraryEmpty:
        return QStringLiteral("词库文件已经清空！");
    }
    if (details.isLastGroup && lastGroupNotice)
        return QStringLiteral("现在已经是最后一组了！");
    return {};
}
