#include "recordui/ExamPlanDialog.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

ExamPlanDialog::ExamPlanDialog(const QList<LibraryInfo> &libraries, const ScheduleSettings &current, const QDate &today,
                               QWidget *parent)
    : QDialog(parent)
    , m_libraries(libraries)
    , m_today(today)
{
    setObjectName(QStringLiteral("examPlanDialog"));
    setWindowTitle(QStringLiteral("考试计划"));

    m_library = new QComboBox(this);
    m_library->setObjectName(QStringLiteral("planLibrary"));
    for (const LibraryInfo &library : libraries)
        m_library->addItem(QStringLiteral("%1（%2 词）").arg(library.name).arg(library.wordCount), library.file);
    const int chosen = m_library->findData(current.plan.libraryFile);
    m_library->setCurrentIndex(chosen >= 0 ? chosen : 0);

    m_exam = new QDateEdit(this);
    m_exam->setObjectName(QStringLiteral("examDate"));
    m_exam->setCalendarPopup(true);
    m_exam->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    // The plan needs a day at least to introduce anything.
    m_exam->setMinimumDate(today.addDays(1));
    m_exam->setDate(current.plan.isActive() && current.plan.examDate > today ? current.plan.examDate
                                                                             : today.addDays(60));

    m_byWords = new QRadioButton(QStringLiteral("每天最多新词"), this);
    m_byWords->setObjectName(QStringLiteral("byWords"));
    m_words = new QSpinBox(this);
    m_words->setObjectName(QStringLiteral("newPerDay"));
    m_words->setRange(1, 2000);
    m_words->setValue(current.plan.newPerDay > 0 ? current.plan.newPerDay : 100);
    m_byMinutes = new QRadioButton(QStringLiteral("每天学习分钟"), this);
    m_byMinutes->setObjectName(QStringLiteral("byMinutes"));
    m_minutes = new QSpinBox(this);
    m_minutes->setObjectName(QStringLiteral("minutesPerDay"));
    m_minutes->setRange(1, 1440);
    m_minutes->setValue(current.plan.minutesPerDay > 0 ? current.plan.minutesPerDay : 30);
    (current.plan.newPerDay <= 0 && current.plan.minutesPerDay > 0 ? m_byMinutes : m_byWords)->setChecked(true);

    m_cap = new QSpinBox(this);
    m_cap->setObjectName(QStringLiteral("dailyCap"));
    m_cap->setRange(0, 5000);
    m_cap->setSpecialValueText(QStringLiteral("不限"));
    m_cap->setValue(current.dailyCap);

    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("planHint"));
    m_hint->setWordWrap(true);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("词库"), m_library);
    form->addRow(QStringLiteral("考试日期"), m_exam);
    auto *words = new QHBoxLayout;
    words->addWidget(m_byWords);
    words->addWidget(m_words);
    words->addSpacing(12);
    words->addWidget(m_byMinutes);
    words->addWidget(m_minutes);
    form->addRow(QStringLiteral("新词"), words);
    form->addRow(QStringLiteral("每天最多复习（含新词）"), m_cap);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *save = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("savePlan"));
    QPushButton *clear = buttons->addButton(QStringLiteral("取消计划"), QDialogButtonBox::DestructiveRole);
    clear->setObjectName(QStringLiteral("clearPlan"));
    clear->setEnabled(current.plan.isActive());
    buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_hint);
    layout->addWidget(buttons);

    connect(save, &QPushButton::clicked, this, [this] {
        emit saved(settings());
        accept();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        emit cleared(m_cap->value());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    const auto changed = [this] { updateHint(); };
    connect(m_library, &QComboBox::currentIndexChanged, this, changed);
    connect(m_exam, &QDateEdit::dateChanged, this, changed);
    connect(m_byWords, &QRadioButton::toggled, this, changed);
    connect(m_words, &QSpinBox::valueChanged, this, changed);
    connect(m_minutes, &QSpinBox::valueChanged, this, changed);
    save->setEnabled(!libraries.isEmpty());
    updateHint();
}

ScheduleSettings ExamPlanDialog::settings() const
{
    ScheduleSettings result;
    const int index = m_library->currentIndex();
    if (index >= 0 && index < m_libraries.size()) {
        result.plan.library = m_libraries[index].name;
        result.plan.libraryFile = m_libraries[index].file;
    }
    result.plan.examDate = m_exam->date();
    if (m_byWords->isChecked())
        result.plan.newPerDay = m_words->value();
    else
        result.plan.minutesPerDay = m_minutes->value();
    result.dailyCap = m_cap->value();
    return result;
}

QString ExamPlanDialog::hint() const
{
    return m_hint->text();
}

void ExamPlanDialog::updateHint()
{
    m_words->setEnabled(m_byWords->isChecked());
    m_minutes->setEnabled(m_byMinutes->isChecked());
    const ScheduleSettings chosen = settings();
    const int index = m_library->currentIndex();
    if (index < 0 || index >= m_libraries.size()) {
        m_hint->setText(QStringLiteral("还没有词库。"));
        return;
    }
    const int words = m_libraries[index].wordCount;
    const ExamPlan &plan = chosen.plan;
    const QDate lastNew = plan.examDate.addDays(-ExamPlan::LastNewDaysBefore);
    QString text = QStringLiteral("距考试 %1 天。").arg(m_today.daysTo(plan.examDate));
    if (m_today > lastNew) {
        text += QStringLiteral("离考试不到两周，新词将尽快学完。");
    } else {
        // The plan's own pacing with no limit per day: what the date alone asks.
        ExamPlan unlimited = plan;
        unlimited.newPerDay = 0;
        unlimited.minutesPerDay = 0;
        const int needed = unlimited.newWordsOn(m_today, words);
        text += QStringLiteral("要在 %1 前学完全部 %2 词（已会的词跳过），每天约需 %3 个新词。")
                    .arg(lastNew.toString(QStringLiteral("M月d日")))
                    .arg(words)
                    .arg(needed);
        if (plan.maxNewPerDay() < needed)
            text += QStringLiteral("按现在的设定每天最多 %1 个，学不完。").arg(plan.maxNewPerDay());
    }
    text += QStringLiteral("考试前四周起复习渐勤，最后两周把记住的把握提高到 95%。");
    m_hint->setText(text);
}
