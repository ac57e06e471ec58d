#include "settings/LibraryListEditor.h"

#include "settings/SettingsKeys.h"

#include "settings/CIniFile.h"
#include "settings/LibraryRegistry.h"
#include "text/Trim.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString &kLibName = SettingsKeys::LibraryNames;
const QString &kLibraryFileName = SettingsKeys::LibraryFileNames;
// Every window reads 19 bytes of a name (a buffer of 20).
constexpr long kReadLength = LibraryListEditor::NameLimit + 1;
// Enough for any hand-written value, to keep it uncut.
constexpr long kWholeValue = 4096;

QString libKey(int index)
{
    return QStringLiteral("Lib") + QString::number(index);
}

bool sameName(const QString &a, const QString &b)
{
    // Keys match regardless of letter case in the settings file.
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

bool holdsLineBreakOrNul(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

} // namespace

LibraryListEditor::LibraryListEditor(CIniFile &ini)
    : m_ini(ini)
{
}

QList<RegisteredLibrary> LibraryListEditor::libraries() const
{
    QList<RegisteredLibrary> list;
    for (;;) {
        const QString key = libKey(int(list.size()));
        const QString shown = m_ini.ReadString(kLibName, key, kReadLength);
        if (shown.isEmpty())
            break;
        RegisteredLibrary entry;
        entry.name = trimSpaces(shown);
        entry.storedValue = m_ini.ReadString(kLibName, key, kWholeValue);
        entry.fileName = trimSpaces(m_ini.ReadString(kLibraryFileName, entry.name, kReadLength));
        entry.origin = int(list.size());
        list << entry;
    }
    return list;
}

TextCodec::Encoding LibraryListEditor::encoding() const
{
    QFile file(m_ini.IniPath());
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return TextCodec::Encoding::Gbk; // a new settings file is GBK
    const QByteArray bytes = file.readAll();
    return bytes.isEmpty() ? TextCodec::Encoding::Gbk : TextCodec::detect(bytes);
}

qsizetype LibraryListEditor::storedLength(const QString &text) const
{
    return TextCodec::encode(text, encoding()).size();
}

LibraryListEditor::Outcome LibraryListEditor::checkName(const QString &name, int index) const
{
    const QString trimmed = trimSpaces(name);
    if (trimmed.isEmpty())
        return Outcome::NameEmpty;
    if (holdsLineBreakOrNul(trimmed) || trimmed.contains(u'=') || trimmed.contains(u'[')
        || trimmed.contains(u']') || trimmed.contains(u'\t'))
        return Outcome::NameBadCharacter;
    // A value in quotes reads back without them.
    if (trimmed.size() >= 2 && (trimmed.front() == u'"' || trimmed.front() == u'\'')
        && trimmed.back() == trimmed.front())
        return Outcome::NameBadCharacter;
    if (LibraryRegistry::boxOfName(trimmed) >= 0)
        return Outcome::NameIsBox;
    if (storedLength(trimmed) > NameLimit)
        return Outcome::NameTooLong;
    const QList<RegisteredLibrary> list = libraries();
    for (int i = 0; i < list.size(); ++i) {
        if (i != index && sameName(list[i].name, trimmed))
            return Outcome::NameTaken;
    }
    return Outcome::Done;
}

LibraryListEditor::Outcome LibraryListEditor::checkFileName(const QString &fileName) const
{
    const QString trimmed = trimSpaces(fileName);
    if (trimmed.isEmpty())
        return Outcome::FileNameEmpty;
    if (holdsLineBreakOrNul(trimmed) || trimmed.contains(u'/') || trimmed.contains(u'\\')
        || trimmed == QStringLiteral(".") || trimmed == QStringLiteral("..") || trimmed.contains(u'\t'))
        return Outcome::FileNameBadCharacter;
    if (trimmed.size() >= 2 && (trimmed.front() == u'"' || trimmed.front() == u'\'')
        && trimmed.back() == trimmed.front())
        return Outcome::FileNameBadCharacter;
    // The boxes and the deletion's working file are the program's own.
    for (int box = 0; box < LibraryRegistry::BoxCount; ++box) {
        if (sameName(trimmed, LibraryRegistry::boxFileName(box)))
            return Outcome::FileNameBadCharacter;
    }
    if (trimmed.startsWith(u'$'))
        return Outcome::FileNameBadCharacter;
    if (storedLength(trimmed) > NameLimit)
        return Outcome::FileNameTooLong;
    return Outcome::Done;
}

LibraryListEditor::Outcome LibraryListEditor::add(const QString &name, const QString &fileName)
{
    if (const Outcome problem = checkName(name); problem != Outcome::Done)
        return problem;
    if (const Outcome problem = checkFileName(fileName); problem != Outcome::Done)
        return problem;
    const QList<RegisteredLibrary> before = libraries();
    QList<RegisteredLibrary> after = before;
    RegisteredLibrary entry;
    entry.name = trimSpaces(name);
    entry.storedValue = entry.name;
    entry.fileName = trimSpaces(fileName);
    after << entry;
    return save(before, after);
}

LibraryListEditor::Outcome LibraryListEditor::rename(int index, const QString &name)
{
    const QList<RegisteredLibrary> before = libraries();
    if (index < 0 || index >= before.size())
        return Outcome::NoSuchLibrary;
    if (const Outcome problem = checkName(name, index); problem != Outcome::Done)
        return problem;
    QList<RegisteredLibrary> after = before;
    after[index].name = trimSpaces(name);
    after[index].storedValue = after[index].name;
    return save(before, after);
}

LibraryListEditor::Outcome LibraryListEditor::remove(int index)
{
    const QList<RegisteredLibrary> before = libraries();
    if (index < 0 || index >= before.size())
        return Outcome::NoSuchLibrary;
    QList<RegisteredLibrary> after = before;
    after.removeAt(index);
    return save(before, after);
}

LibraryListEditor::Outcome LibraryListEditor::move(int index, int delta)
{
    const QList<RegisteredLibrary> before = libraries();
    const int target = index + delta;
    if (index < 0 || index >= before.size() || target < 0 || target >= before.size())
        return Outcome::NoSuchLibrary;
    QList<RegisteredLibrary> after = before;
    after.swapItemsAt(index, target);
    return save(before, after);
}

LibraryListEditor::Outcome LibraryListEditor::save(const QList<RegisteredLibrary> &before,
                                                   const QList<RegisteredLibrary> &after)
{
    QList<Profile::Change> changes;
    // The names, contiguous from Lib0; then every key from the end of the
    // new list to the end of the old one goes, so the list ends where it
    // should.
    for (int i = 0; i < after.size(); ++i)
        changes << Profile::Change{kLibName, libKey(i), after[i].storedValue};
    for (qsizetype i = after.size(); i <= qMax(before.size(), after.size()); ++i)
        changes << Profile::Change{kLibName, libKey(int(i)), std::nullopt};

    // File names: first those of names that are gone (a rename that only
    // changes letter case removes and writes the same key), then those of
    // new names.
    const auto holds = [](const QList<RegisteredLibrary> &list, const RegisteredLibrary &entry) {
        for (const RegisteredLibrary &other : list) {
            if (other.name == entry.name)
                return true;
        }
        return false;
    };
    for (const RegisteredLibrary &entry : before) {
        if (!holds(after, entry))
            changes << Profile::Change{kLibraryFileName, entry.name, std::nullopt};
    }
    for (const RegisteredLibrary &entry : after) {
        if (!holds(before, entry) && !entry.fileName.isEmpty())
            changes << Profile::Change{kLibraryFileName, entry.name, entry.fileName};
    }
    // The remembered places follow their library.
    QList<int> newPlace(before.size(), -1);
    for (int i = 0; i < after.size(); ++i) {
        if (after[i].origin >= 0 && after[i].origin < before.size())
            newPlace[after[i].origin] = i;
    }
    for (const char *section : {"Form1LastData", "Form2LastData", "Form4LastData"}) {
        const QString sectionName = QString::fromLatin1(section);
        const QString key = SettingsKeys::WordLibrary;
        bool isNumber = false;
        const int place = trimSpaces(m_ini.ReadString(sectionName, key, 10)).toInt(&isNumber);
        if (!isNumber || place < 0 || place >= before.size() + LibraryRegistry::BoxCount)
            continue; // nothing chosen, or nothing the windows would use
        if (place >= before.size()) {
            const int box = place - int(before.size());
            changes << Profile::Change{sectionName, key, QString::number(after.size() + box)};
        } else if (newPlace[place] >= 0) {
            changes << Profile::Change{sectionName, key, QString::number(newPlace[place])};
        } else {
            changes << Profile::Change{sectionName, key, std::nullopt};
        }
    }
    return m_ini.WriteChanges(changes) ? Outcome::Done : Outcome::WriteFailed;
}

QString LibraryListEditor::messageFor(Outcome outcome) const
{
    // How many bytes a Chinese character takes in the settings file.
    const int perCharacter = encoding() == TextCodec::Encoding::Gbk ? 2 : 3;
    const QString limit = QStringLiteral("最多 %1 个字节（一个汉字占 %2 个字节，一个英文字母占 1 个字节）。")
                              .arg(NameLimit)
                              .arg(perCharacter);
    switch (outcome) {
    case Outcome::Done:
        return {};
    case Outcome::NameEmpty:
        return QStringLiteral("词库名称不能为空！");
    case Outcome::NameTooLong:
        return QStringLiteral("词库名称太长！词库名称") + limit;
    case Outcome::NameIsBox:
        return QStringLiteral("月光宝盒0～月光宝盒4 是单词盒的名称，不能用作词库名称！");
    case Outcome::NameTaken:
        return QStringLiteral("已经有同名的词库！");
    case Outcome::NameBadCharacter:
        return QStringLiteral("词库名称不能包含 =、[、]、制表符，也不能用引号括起来！");
    case Outcome::FileNameEmpty:
        return QStringLiteral("该词库没有对应的文件名！");
    case Outcome::FileNameTooLong:
        return QStringLiteral("文件名太长！文件名") + limit;
    case Outcome::FileNameBadCharacter:
        return QStringLiteral("不能使用这个文件名！");
    case Outcome::NoSuchLibrary:
        return QStringLiteral("请先选择一个词库！");
    case Outcome::WriteFailed:
        return QStringLiteral("无法写入设置文件 lexvan.ini，词库列表没有改动！");
    }
    return {};
}
