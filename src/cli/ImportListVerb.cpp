#include "cli/CommandVerbs.h"

#include "dict/Dictionary.h"
#include "library/ImportReport.h"
#include "library/Importer.h"
#include "library/ReadyMade.h"
#include "library/WordFile.h"
#include "settings/CIniFile.h"
#include "settings/LibraryListEditor.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace cli {

namespace {

const char usage[] = "用法：lexivane --import-list 文件 [--name 词库名称] [--dry-run]\n";

// Every skipped line on its own line, then what was left out or filled in.
void reportLeftOut(const Import::Outcome &outcome, QTextStream &err)
{
    for (const Import::SkippedLine &skipped : outcome.skipped)
        err << QStringLiteral("第 %1 行跳过：%2\n").arg(skipped.line).arg(Import::reasonText(skipped.reason));
    const QString notes = Import::notesText(outcome);
    if (!notes.isEmpty())
        err << notes << '\n';
}

// The dictionary's meaning of a word, for word-only lists.
std::function<QString(const QString &)> meaningLookupFor(const CommandContext &context)
{
    return Dictionary::meaningLookup(std::make_shared<Dictionary>(
        Dictionary::standardPlaces(context.dataDir(), context.programDir)));
}

} // namespace

int runImportList(const QStringList &arguments, CommandContext &context)
{
    QString path;
    QString name;
    bool named = false;
    bool dryRun = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--dry-run") && !dryRun) {
            dryRun = true;
        } else if (argument == QLatin1String("--name") && !named && i + 1 < arguments.size()) {
            named = true;
            name = arguments[++i];
        } else if (!argument.startsWith(QLatin1String("--")) && path.isEmpty() && !argument.isEmpty()) {
            path = argument;
        } else {
            context.err << usage;
            return UsageError;
        }
    }
    if (path.isEmpty()) {
        context.err << usage;
        return UsageError;
    }

    const QString filePath = QDir(context.workingDir).absoluteFilePath(path);
    QByteArray bytes;
    if (!readWordFileBytes(filePath, bytes)) {
        context.err << QStringLiteral("无法读取文件 %1！\n").arg(path);
        return NothingDone;
    }

    const Import::Format format = Import::guessFormat(filePath, bytes);
    const Import::Outcome outcome = Import::parse(bytes, Import::Choice{format, {}}, meaningLookupFor(context));
    if (outcome.error == Import::Error::NotText) {
        context.err << QStringLiteral("%1 不是文本文件，不能导入！\n").arg(path);
        return NothingDone;
    }
    reportLeftOut(outcome, context.err);
    if (outcome.records.isEmpty()) {
        context.err << QStringLiteral("没有导入任何单词！\n");
        return NothingDone;
    }
    if (dryRun) {
        for (const Import::Record &record : outcome.records)
            context.out << record.word << '\t' << record.meaning << '\n';
        return Success;
    }

    CIniFile ini;
    ini.SpecifyIni(context.programDir + QStringLiteral("/lexvan.ini"));
    LibraryListEditor editor(ini);
    const TextCodec::Encoding iniEncoding = editor.encoding();
    if (!named)
        name = Import::suggestDisplayName(filePath, iniEncoding, LibraryListEditor::NameLimit);
    name = name.trimmed();
    const LibraryListEditor::Outcome problem = editor.checkName(name);
    if (problem != LibraryListEditor::Outcome::Done) {
        context.err << editor.messageFor(problem) << QStringLiteral("请用 --name 指定词库名称。\n");
        return NothingDone;
    }
    // The windows read their libraries from "data" under the folder they
    // were started from.
    const QString dataDir = QDir(context.dataDir()).absolutePath();
    const QString fileName =
        Import::suggestFileName(filePath, iniEncoding, LibraryListEditor::NameLimit,
                                [&](const QString &candidate) { return libraryFileNameTaken(dataDir, editor, candidate); });
    QDir().mkpath(dataDir);
    const QString libraryPath = dataDir + u'/' + fileName;
    if (fileName.isEmpty() || !Import::writeNewFile(libraryPath, Import::libraryBytes(outcome.records))) {
        context.err << QStringLiteral("无法写入词库文件 data/%1，词库没有添加！\n").arg(fileName);
        return NothingDone;
    }
    const LibraryListEditor::Outcome added = editor.add(name, fileName);
    if (added != LibraryListEditor::Outcome::Done) {
        // Not registered: the copy would only be a stray file.
        QFile::remove(libraryPath);
        context.err << editor.messageFor(added) << '\n';
        return NothingDone;
    }
    context.out << QStringLiteral("已导入词库“%1”（data/%2）：%3 个单词。\n").arg(name, fileName).arg(outcome.records.size());
    return Success;
}

} // namespace cli
