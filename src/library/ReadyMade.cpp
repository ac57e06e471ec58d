#include "library/ReadyMade.h"

QList<ReadyMadeLibrary> readyMadeLibraries()
{
    // Keep in step with data/lexvan.ini.template and
    // tools/ecdict/make_libraries.py.
    return {
        {QStringLiteral("基础词汇"), QStringLiteral("basic.txt")},
        {QStringLiteral("水果蔬菜"), QStringLiteral("fruit.txt")},
        {QStringLiteral("中考词汇"), QStringLiteral("exam_zk.txt")},
        {QStringLiteral("高考词汇"), QStringLiteral("exam_gk.txt")},
        {QStringLiteral("大学英语四级"), QStringLiteral("exam_cet4.txt")},
        {QStringLiteral("大学英语六级"), QStringLiteral("exam_cet6.txt")},
        {QStringLiteral("考研英语"), QStringLiteral("exam_ky.txt")},
        {QStringLiteral("雅思词汇"), QStringLiteral("exam_ielts.txt")},
        {QStringLiteral("托福词汇"), QStringLiteral("exam_toefl.txt")},
        {QStringLiteral("GRE词汇"), QStringLiteral("exam_gre.txt")},
    };
}
