#include "cli/CommandLine.h"

#include "cli/CommandVerbs.h"

#include <QDir>
#include <QTextStream>

#include <iterator>

namespace cli {

QString CommandContext::dataDir() const
{
    return QDir(workingDir).filePath(QStringLiteral("data"));
}

namespace {

using VerbFunction = int (*)(const QStringList &arguments, CommandContext &context);

struct Verb
{
    const char *name;
    const char *usage;
    VerbFunction run;
};

int runHelp(const QStringList &arguments, CommandContext &context);

// `--help` first; the rest in the order the help lists them.
const Verb verbs[] = {
    {"--help", "--help", runHelp},
    {"--lookup", "--lookup 单词    查词典：第一行单词和音标（制表符分隔），其后每行一条释义", runLookup},
    {"--import-list", "--import-list 文件 [--name 词库名称] [--dry-run]", runImportList},
    {"--status", "--status [--json]", runStatus},
    {"--export", "--export 文件.lxv  把学习记录、设置、词库和月光宝盒导出为一个文件", runExport},
    {"--import", "--import 文件.lxv  合并导出文件里的学习记录、词库和月光宝盒", runImport},
    {"--extract", "--extract 文件 [--known 级别] [--limit 数量]  从文章、字幕或电子书提取生词", runExtract},
};

const Verb *findVerb(const QString &name)
{
    for (const Verb &verb : verbs) {
        if (name == QLatin1String(verb.name))
            return &verb;
    }
    return nullptr;
}

int runHelp(const QStringList &arguments, CommandContext &context)
{
    if (!arguments.isEmpty()) {
        context.err << "用法：lexivane --help\n";
        return UsageError;
    }
    context.out << "用法：\n";
    context.out << "  lexivane                  打开程序窗口\n";
    for (const Verb &verb : verbs)
        context.out << "  lexivane " << verb.usage << '\n';
    return Success;
}

} // namespace

bool isVerb(const QString &firstArgument)
{
    return findVerb(firstArgument) != nullptr;
}

int runCommandLine(const QStringList &arguments, CommandContext &context)
{
    const Verb *verb = arguments.isEmpty() ? nullptr : findVerb(arguments.first());
    if (verb == nullptr) {
        context.err << "未知的命令。请用 lexivane --help 查看用法。\n";
        return UsageError;
    }
    const int code = verb->run(arguments.mid(1), context);
    context.out.flush();
    context.err.flush();
    return code;
}

} // namespace cli
