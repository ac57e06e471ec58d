#pragma once

#include "DictionaryFixture.h"

#include <QByteArray>
#include <QList>

#include <algorithm>

// A core dictionary for word extraction: entries with inflections (enter,
// study/studies, child/children, be), a lemma entry pointing elsewhere
// (studies -> study), a hyphenated word, a word that is also a name (rose,
// Rose), and one word of each exam level. Written sorted as the real file.
namespace ExtractFixture {

inline QByteArray dictionary()
{
    QList<QByteArray> lines = {
        "ancient\t\ta. 古代的, 古老的\t\tcet4 ky",
        "and\t\tconj. 和\t\tzk",
        "be\t\tv. 是\tp:was/d:been/i:being/3:is\tzk",
        "child\t\tn. 孩子\ts:children\tzk gk",
        "children\t\tn. 孩子们\t0:child/1:s\t",
        "cold\t\ta. 冷的\t\tzk",
        "enter\t\tvt. 进入\tp:entered/d:entered/i:entering/3:enters\tgk cet4",
        "forest\t\tn. 森林\ts:forests\tgk",
        "glimmer\t\tvi. 发微光\tp:glimmered/d:glimmered/i:glimmering/3:glimmers\tgre",
        "ice\t\tn. 冰\t\tzk",
        "meadow\t\tn. 草地\ts:meadows\ttoefl",
        "river\t\tn. 河, 江\ts:rivers\tzk",
        "rose\t\tn. 玫瑰\ts:roses\tzk",
        "shelf\t\tn. 架子\ts:shelves\tzk",
        "shelve\t\tvt. 搁置\tp:shelved/3:shelves/s:shelves\tgre",
        "smile\t\tvi. 微笑\tp:smiled/d:smiled/i:smiling/3:smiles\tzk",
        "studies\t\tn. 研究\t0:study/1:s3\tielts",
        "study\t\tv. 学习\ts:studies/p:studied/d:studied/i:studying/3:studies\tzk gk",
        "the\t\tdet. 这, 那\t\tzk",
        "voice\t\tn. 声音\ts:voices\tzk",
        "well-known\t\ta. 著名的\t\tky",
        "whisper\t\tv. 低语\tp:whispered/d:whispered/i:whispering/3:whispers\tcet6",
        "wild\t\ta. 野生的\t\t",
    };
    std::sort(lines.begin(), lines.end());
    return "# extraction test dictionary\n" + lines.join('\n') + '\n';
}

// A small subtitle that uses most of the dictionary above.
inline QByteArray subtitle()
{
    return "1\r\n00:00:01,000 --> 00:00:03,000\r\n<i>The children entered the ancient forest.</i>\r\n\r\n"
           "2\r\n00:00:04,000 --> 00:00:06,500\r\n{\\an8}Rivers glimmered. Then Rose smiled\r\nand whispered.\r\n\r\n"
           "3\r\n00:00:07,000 --> 00:00:09,000\r\nThe children's voices, the wild river and the ancient meadow.\r\n";
}

inline void write(const QString &folder)
{
    DictionaryFixture::write(folder, dictionary());
}

} // namespace ExtractFixture
