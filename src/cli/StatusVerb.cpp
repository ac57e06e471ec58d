#include "cli/CommandVerbs.h"

#include "record/ExamPlan.h"
#include "record/RecordStore.h"
#include "record/ReviewWords.h"
#include "settings/CIniFile.h"

#include <QDateTime>
#include <QTextStream>

namespace cli {

// One line for status bars. It reads the record without creating,
// migrating or locking it, and without waiting for a program that is
// writing it this moment: a bar that polls must never hold anything up.
int runStatus(const QStringList &arguments, CommandContext &context)
{
    const bool json = arguments == QStringList{QStringLiteral("--json")};
    if (!arguments.isEmpty() && !json) {
        context.err << "用法：lexivane --status [--json]\n";
        return UsageError;
    }
    CIniFile ini;
    ini.SpecifyIni(context.programDir + QStringLiteral("/lexvan.ini"));
    const ScheduleSettings settings = ScheduleSettings::read(ini);

    RecordStore store;
    const RecordStore::Outcome outcome =
        store.openReadOnly(context.programDir + QLatin1Char('/') + RecordStore::fileName());
    // Without a record (none yet, or busy, or from a later version) the plan
    // still says what today brings; nothing is due and there is no streak.
    if (!outcome.ok() && outcome.status != RecordStore::Status::Failed)
        context.err << "学习记录读不了：" << outcome.detail << '\n';

    const QDateTime now = QDateTime::currentDateTime();
    const QDate today = Schedule::studyDay(now);
    const TodayPlan plan = planToday(store, context.workingDir + QStringLiteral("/data"), settings, now);
    const int streak = store.studyStreak(now.date());
    const int examDays = settings.plan.isActive() ? settings.plan.daysLeft(today) : -1;

    if (json) {
        context.out << "{\"due\": " << plan.reviews << ", \"new\": " << plan.newWords
                    << ", \"exam_days\": " << (examDays >= 0 ? QString::number(examDays) : QStringLiteral("null"))
                    << ", \"streak\": " << streak << "}\n";
    } else {
        context.out << "复习 " << plan.reviews << "  新词 " << plan.newWords;
        if (examDays >= 0)
            context.out << "  距考试 " << examDays << " 天";
        context.out << "  连续 " << streak << " 天\n";
    }
    return Success;
}

} // namespace cli
