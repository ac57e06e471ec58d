#pragma once

#include "extract/WordExtractor.h"

#include <QDialog>

#include <functional>

class ExtractTask;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

// 从文章提取生词: reads a text, subtitle, web page or e-book in the
// background (with a progress bar) and lists the words worth learning: each
// with its count, exam level, meaning and the first sentence it occurs in.
// The list can be sorted by count, by first appearance or by level, and the
// words of the easier exams left out by level; a word
// unticked is one the user knows, and goes to the known-words list. "创建词库"
// accepts with the ticked words in the order shown.
class ExtractPreview : public QDialog
{
    Q_OBJECT

public:
    enum class Order { Count, FirstSeen, Level };
    // Says whether a library name can be used, telling the user why not.
    using NameCheck = std::function<bool(const QString &name)>;

    // Words of `hideLevel` and every easier one start hidden (ExamLevel::None
    // hides none); the user can change that without reading the file again.
    ExtractPreview(QWidget *parent, const QString &path, Dictionary &dictionary, const ExtractOptions &options,
                   const QString &name, int hideLevel, NameCheck checkName);
    ~ExtractPreview() override;

    bool isReading() const;
    // The extraction's outcome once read (an error in `error`).
    const ExtractResult &extraction() const { return m_result; }

    Order order() const;
    void setOrder(Order order);
    int hideLevel() const;
    void setHideLevel(int level);
    // Ticks or unticks the word on row `row` of the table as shown.
    void setTicked(int row, bool ticked);
    QString name() const;
    void setName(const QString &name);
    // The ticked words, in the order shown.
    QList<ExtractCandidate> chosen() const;
    // The unticked words, in the order shown.
    QStringList unticked() const;
    // Accepts when there is something to create and the name is usable.
    void create();

signals:
    // The file has been read and its words (or why there are none) shown.
    void read();

private:
    void showResult(const ExtractResult &result);
    void fillTable();
    void updateSummary();
    // The candidate of a table row.
    int candidateAt(int row) const;

    ExtractTask *m_task = nullptr;
    NameCheck m_checkName;
    ExtractResult m_result;
    // Candidate indexes in the order shown, and which are ticked (by index).
    QList<int> m_shown;
    QList<bool> m_ticked;
    bool m_filling = false;

    QTableWidget *m_table = nullptr;
    QComboBox *m_order = nullptr;
    QComboBox *m_hide = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_summary = nullptr;
    QLineEdit *m_name = nullptr;
    QPushButton *m_create = nullptr;
};
