#include "cli/CommandVerbs.h"

#include "dict/Dictionary.h"
#include "extract/WordExtractor.h"
#include "record/RecordStore.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace cli {

namespace {

int usage(CommandContext &context, const QString &why = QString())
{
    if (!why.isEmpty())
        context.err << why << '\n';
    context.err << "用法：lexivane --extract 文件 [--known 级别] [--limit 数量]\n"
                << "级别：" << ExamLevel::names().join(QLatin1Char('/')) << '\n';
    return UsageError;
}

// Tabs and line breaks would break the table's columns.
QString cell(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

// The words of a text worth learning, one a line, most frequent first:
//   word<TAB>count<TAB>level<TAB>meaning<TAB>sentence
// Known words are those of data/known.txt, of the level given and every
// easier one, and those the record holds as well remembered.
int runExtract(const QStringList &arguments, CommandContext &context)
{
    QString path;
    ExtractOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--known") || argument == QLatin1String("--limit")) {
            if (i + 1 >= arguments.size())
                return usage(context);
            const QString value = arguments[++i];
            if (argument == QLatin1String("--known")) {
                options.knownLevel = ExamLevel::fromName(value);
                if (options.knownLevel == ExamLevel::None)
                    return usage(context, QStringLiteral("未知的级别“%1”。").arg(value));
            } else {
                bool ok = false;
                options.limit = value.toInt(&ok);
                if (!ok || options.limit <= 0)
                    return usage(context, QStringLiteral("数量应为正整数：“%1”。").arg(value));
            }
        } else if (argument.startsWith(QLatin1String("--")) || !path.isEmpty()) {
            return usage(context);
        } else {
            path = argument;
        }
    }
    if (path.isEmpty())
        return usage(context);

    const QString shown = QDir::toNativeSeparators(path);
    Dictionary dictionary(Dictionary::standardPlaces(context.dataDir(), context.programDir));
    if (dictionary.load() != Dictionary::State::Loaded) {
        context.err << "找不到可用的词典文件 data/" << Dictionary::fileName() << "。\n";
        return NothingDone;
    }
    options.knownWords = readKnownWords(QDir(context.dataDir()).filePath(knownWordsFileName()));
    // The record is only read, never created or waited for; without one
    // no word is known from it.
    const QString recordPath = QDir(context.programDir).filePath(RecordStore::fileName());
    if (QFileInfo::exists(recordPath)) {
        RecordStore store;
        if (store.openReadOnly(recordPath).ok())
            options.knownWords.unite(store.wordsWithStability(KnownStabilityDays));
    }

    const ExtractResult result =
        extractFromFile(QDir(context.workingDir).absoluteFilePath(path), dictionary, options);
    if (!result.error.isEmpty()) {
        context.err << shown << "：" << result.error << '\n';
        return NothingDone;
    }
    if (result.candidates.isEmpty()) {
        context.err << shown << "：没有生词，全部 " << result.knownDropped << " 个词都已掌握。\n";
        return NothingDone;
    }
    for (const ExtractCandidate &candidate : result.candidates) {
        context.out << candidate.word << '\t' << candidate.count << '\t' << ExamLevel::nameOf(candidate.level) << '\t'
                    << cell(candidate.meaning) << '\t' << cell(candidate.sentence) << '\n';
    }
    return Success;
}

} // namespace cli
