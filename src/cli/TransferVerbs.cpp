#include "cli/CommandVerbs.h"

#include "backup/Archive.h"
#include "backup/Backup.h"
#include "backup/Merge.h"
#include "backup/SyncFolder.h"
#include "record/RecordStore.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

// --export FILE and --import FILE: the program's files in and out of one
// .lxv file, with the same paths as the windows use.
namespace cli {

namespace {

ProgramPaths pathsOf(const CommandContext &context)
{
    return ProgramPaths{context.programDir, context.dataDir()};
}

} // namespace

int runExport(const QStringList &arguments, CommandContext &context)
{
    if (arguments.size() != 1 || arguments.first().isEmpty()) {
        context.err << "用法：lexivane --export 文件.lxv\n";
        return UsageError;
    }
    const ProgramPaths paths = pathsOf(context);
    const QString file = QFileInfo(arguments.first()).absoluteFilePath();
    if (paths.isOwnFile(file)) {
        context.err << "不能导出到程序自己的文件：" << arguments.first() << '\n';
        return UsageError;
    }
    QString error;
    Archive::Contents contents;
    if (!Backup::writeSnapshot(paths, SyncFolder::computerId(paths.iniPath(), false), file, error, Backup::writeAll,
                               &contents)) {
        context.err << "导出失败，没有写入 " << arguments.first() << "。（" << error << "）\n";
        return NothingDone;
    }
    int libraries = 0;
    for (const Archive::Entry &entry : contents.entries) {
        if (entry.name.startsWith(Archive::DataPrefix))
            ++libraries;
    }
    context.out << "已导出到 " << arguments.first() << "：答题记录 " << contents.answers << " 条，词库和月光宝盒文件 "
                << libraries << " 个。\n";
    return Success;
}

int runImport(const QStringList &arguments, CommandContext &context)
{
    if (arguments.size() != 1 || arguments.first().isEmpty()) {
        context.err << "用法：lexivane --import 文件.lxv\n";
        return UsageError;
    }
    const Archive::ReadResult read = Archive::readFile(arguments.first());
    if (!read.ok()) {
        context.err << "导入失败：" << Archive::messageFor(read.status) << "（" << read.detail << "）\n";
        return NothingDone;
    }
    const ProgramPaths paths = pathsOf(context);
    RecordStore store;
    const RecordStore::Outcome opened = store.open(paths.databasePath());
    if (!opened.ok()) {
        context.err << "导入失败：" << RecordStore::messageFor(opened.status) << '\n';
        return NothingDone;
    }
    const Merge::ImportResult result = Merge::importArchive(paths, read.contents, store);
    store.close();
    if (!result.ok()) {
        context.err << "导入失败：" << Merge::messageFor(result) << "（" << result.detail << "）\n";
        return NothingDone;
    }
    context.out << "已导入：" << Merge::summaryLine(result.summary) << '\n';
    return Success;
}

} // namespace cli
