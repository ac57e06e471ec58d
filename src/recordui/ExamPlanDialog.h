#pragma once

#include "record/ExamPlan.h"
#include "record/ProgressData.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QLabel;
class QRadioButton;
class QSpinBox;

// 考试计划: the library, the exam date, how much to take on a day, and the
// cap on a day's 今日复习. It only says what was chosen; the owner saves it.
class ExamPlanDialog : public QDialog
{
    Q_OBJECT
public:
    ExamPlanDialog(const QList<LibraryInfo> &libraries, const ScheduleSettings &current, const QDate &today,
                   QWidget *parent = nullptr);

    // The settings as the dialog shows them now.
    ScheduleSettings settings() const;
    QString hint() const;

signals:
    void saved(const ScheduleSettings &settings);
    // The plan is dropped (the cap is kept as shown).
    void cleared(int dailyCap);

private:
    QList<LibraryInfo> m_libraries;
    QDate m_today;
    QComboBox *m_library = nullptr;
    QDateEdit *m_exam = nullptr;
    QRadioButton *m_byWords = nullptr;
    QRadioButton *m_byMinutes = nullptr;
    QSpinBox *m_words = nullptr;
    QSpinBox *m_minutes = nullptr;
    QSpinBox *m_cap = nullptr;
    QLabel *m_hint = nullptr;

    void updateHint();
};
