#include "cli/CommandVerbs.h"

#include "dict/Dictionary.h"

#include <QDir>
#include <QTextStream>

namespace cli {

// The word as the dictionary spells it and its phonetic, tab-separated, then
// the meaning one part of speech a line:
//   enter	/ˈentə/
//   vt. 进入, 参加, 登记, 输入
//   vi. 进来, 参加
int runLookup(const QStringList &arguments, CommandContext &context)
{
    if (arguments.size() != 1 || arguments.first().trimmed().isEmpty()) {
        context.err << "用法：lexivane --lookup 单词\n";
        return UsageError;
    }
    Dictionary dictionary(Dictionary::standardPlaces(context.dataDir(), context.programDir));
    const std::optional<DictionaryEntry> entry = dictionary.lookup(arguments.first());
    switch (dictionary.state()) {
    case Dictionary::State::Loaded:
        break;
    case Dictionary::State::Damaged:
        context.err << "词典文件已损坏：" << QDir::toNativeSeparators(dictionary.path()) << '\n';
        return NothingDone;
    default:
        context.err << "找不到词典文件 data/" << Dictionary::fileName() << "。\n";
        return NothingDone;
    }
    if (!entry) {
        context.err << "词典中没有“" << arguments.first().trimmed() << "”。\n";
        return NothingDone;
    }
    context.out << entry->word << '\t';
    if (!entry->phonetic.isEmpty())
        context.out << '/' << entry->phonetic << '/';
    context.out << '\n';
    if (!entry->translation.isEmpty())
        context.out << entry->translation << '\n';
    return Success;
}

} // namespace cli
