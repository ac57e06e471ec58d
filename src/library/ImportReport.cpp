#include "library/ImportReport.h"

#include <QStringList>

namespace Import {
namespace {

// "第 1、5、9 行" with the first ten lines, "等" after them.
QString linesText(const QList<qsizetype> &lines)
{
    constexpr int Listed = 10;
    QStringList numbers;
    for (int i = 0; i < lines.size() && i < Listed; ++i)
        numbers << QString::number(lines[i]);
    return QStringLiteral("第 %1 行%2").arg(numbers.join(QStringLiteral("、")), lines.size() > Listed ? QStringLiteral("等") : QString());
}

} // namespace

QString reasonText(SkipReason reason)
{
    switch (reason) {
    case SkipReason::NoSeparator:
        return QStringLiteral("没有分隔符");
    case SkipReason::NoWord:
        return QStringLiteral("没有单词");
    case SkipReason::NoMeaning:
        return QStringLiteral("没有释义");
    case SkipReason::UnclosedQuote:
        return QStringLiteral("引号没有结束");
    case SkipReason::NotInDictionary:
        return QStringLiteral("没有释义，词典里也没有这个词");
    }
    return {};
}

QString roleText(Role role)
{
    switch (role) {
    case Role::Ignore:
        return QStringLiteral("不导入");
    case Role::Word:
        return QStringLiteral("单词");
    case Role::Meaning:
        return QStringLiteral("释义");
    case Role::Phonetic:
        return QStringLiteral("音标");
    case Role::Number:
        return QStringLiteral("序号");
    }
    return {};
}

QString encodingText(const Outcome &outcome)
{
    switch (outcome.utf16) {
    case TextCodec::Utf16::LittleEndian:
        return QStringLiteral("UTF-16 LE");
    case TextCodec::Utf16::BigEndian:
        return QStringLiteral("UTF-16 BE");
    case TextCodec::Utf16::None:
        break;
    }
    return encodingText(outcome.encoding);
}

QString encodingText(TextCodec::Encoding encoding)
{
    switch (encoding) {
    case TextCodec::Encoding::Gbk:
        return QStringLiteral("GBK");
    case TextCodec::Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextCodec::Encoding::Utf8Bom:
        return QStringLiteral("UTF-8 (BOM)");
    }
    return {};
}

QString skippedText(const QList<SkippedLine> &skipped)
{
    if (skipped.isEmpty())
        return {};
    constexpr int Listed = 10;
    QStringList lines;
    for (int i = 0; i < skipped.size() && i < Listed; ++i)
        lines << QStringLiteral("第 %1 行（%2）").arg(skipped[i].line).arg(reasonText(skipped[i].reason));
    QString text = QStringLiteral("跳过 %1 行：").arg(skipped.size()) + lines.join(QStringLiteral("、"));
    if (skipped.size() > Listed)
        text += QStringLiteral("等");
    return text + QStringLiteral("。");
}

QString notesText(const Outcome &outcome)
{
    QStringList sentences;
    if (outcome.headerLine > 0)
        sentences << QStringLiteral("第 %1 行是表头，不导入。").arg(outcome.headerLine);
    for (qsizetype column = 0; column < outcome.droppedValues.size(); ++column) {
        const qsizetype count = outcome.droppedValues[column];
        if (count == 0)
            continue;
        const Role role = outcome.choice.roles.value(column);
        QString why;
        if (role == Role::Phonetic)
            why = QStringLiteral("（词库每个单词只有单词、释义两行，音标由词典提供）");
        else if (role == Role::Number)
            why = QStringLiteral("（序号）");
        const QString name = outcome.headers.value(column);
        const QString named = name.isEmpty() ? QString() : QStringLiteral("“%1”").arg(name);
        sentences << QStringLiteral("第 %1 列%2不导入%3：%4 个。").arg(column + 1).arg(named, why).arg(count);
    }
    QList<qsizetype> joined;
    QList<qsizetype> extra;
    qsizetype fromDictionary = 0;
    for (const Note &note : outcome.notes) {
        if (note.kind == NoteKind::MeaningJoined)
            joined << note.line;
        else if (note.kind == NoteKind::ExtraFields)
            extra << note.line;
        else
            ++fromDictionary;
    }
    if (!joined.isEmpty())
        sentences << QStringLiteral("%1的分隔符多于列数，多出的部分并入释义：%2。").arg(joined.size() > 1 ? QStringLiteral("这些行") : QStringLiteral("这一行"), linesText(joined));
    if (!extra.isEmpty())
        sentences << QStringLiteral("释义后多出的字段不导入：%1。").arg(linesText(extra));
    if (fromDictionary > 0)
        sentences << QStringLiteral("%1 个单词的释义取自词典。").arg(fromDictionary);
    if (outcome.noDictionary)
        sentences << QStringLiteral("没有可用的词典，没有释义的单词无法补上释义。");
    if (outcome.pairsLookLikeWords)
        sentences << QStringLiteral("注意：按“两行一词”读，释义大多是英文单词，这个文件可能是每行一个单词的列表。");
    return sentences.join(QString());
}

} // namespace Import
