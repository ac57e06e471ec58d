#pragma once

#include "TestFiles.h"

#include <QByteArray>
#include <QDir>
#include <QString>

// A small core dictionary in the shipped file's format: comment lines, then
// word, phonetic, translation, exchange and tags, tab-separated, sorted by
// the word's bytes (so capitals first). Words and meanings look like the
// real ones; some cases are there on purpose: a capitalised word beside its
// lower-case one (Polish, polish), a phrase, a word without phonetic, a
// non-ASCII word, and escapes in a translation.
namespace DictionaryFixture {

inline QByteArray text()
{
    return QByteArray(
        "# Core dictionary for tests, in the format of data/ecdict-core.tsv.\n"
        "# columns: word\tphonetic\ttranslation\texchange\ttags\n"
        "China\tˈtʃaɪnə\tn. 中国\t\t\n"
        "Polish\tˈpəʊlɪʃ\ta. 波兰的\\nn. 波兰语\t\t\n"
        "apple\tˈæpl\tn. 苹果, 家伙\\n[医] 苹果\ts:apples\tzk gk\n"
        "backslash\tˈbækslæʃ\tn. 反斜杠 \\\\ 符号\t\t\n"
        "can\tkæn\tn. 罐头, 容器\\nvt. 装罐\\naux. 能, 会, 可能\tp:canned/d:canned/i:canning/3:cans\tzk gk cet4\n"
        "enter\tˈentə\tvt. 进入, 参加, 登记, 输入\\nvi. 进来, 参加\tp:entered/d:entered/i:entering/3:enters\tzk gk cet4\n"
        "happen\tˈhæpən\tvi. 发生, 发生, 碰巧\t\tzk gk cet4\n"
        "ice cream\tˌaɪs ˈkriːm\tn. 冰淇淋\t\t\n"
        "might\tmaɪt\taux. 可能, 也许\\nn. 力量, 权力, 威力\t\tzk gk\n"
        "naïve\tnɑːˈiːv\ta. 天真的, 幼稚的\t\tcet6\n"
        "ok\t\tint. 好\t\t\n"
        "polish\tˈpɒlɪʃ\tvt. 擦亮, 使优美\\nn. 上光剂\tp:polished\tcet4\n"
        "zebra\tˈziːbrə\tn. 斑马\t\tzk\n");
}

// Writes the fixture as data/ecdict-core.tsv under `folder`; its path.
inline QString write(const QString &folder, const QByteArray &bytes = text())
{
    QDir(folder).mkpath(QStringLiteral("data"));
    const QString path = QDir(folder).filePath(QStringLiteral("data/ecdict-core.tsv"));
    TestFiles::writeBytes(path, bytes);
    return path;
}

} // namespace DictionaryFixture
