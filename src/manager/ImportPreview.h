#pragma once

#include "library/Importer.h"

#include <QDialog>

class ImportTask;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

// The import preview: the format (guessed, can be changed), the first rows
// as columns with what each column holds (guessed, can be changed), the
// first records as they will be imported, every line skipped and every field
// left out, and the name the new library gets. "导入" accepts, "取消"
// rejects.
//
// The file is parsed off the GUI thread, once for each choice of format and
// columns, with a progress bar for big files; "导入" waits for the parse.
class ImportPreview : public QDialog
{
    Q_OBJECT

public:
    // Records shown in the preview.
    static constexpr int PreviewRows = 20;
    // Rows of the file shown as columns.
    static constexpr int ColumnRows = 8;

    ImportPreview(QWidget *parent, const QString &path, const QByteArray &bytes, const Import::Choice &choice,
                  const QString &name, const Import::MeaningLookup &lookup = {});
    ~ImportPreview() override;

    Import::Format format() const;
    void setFormat(Import::Format format);
    // The role of a column; setting one parses again with the shown roles.
    QList<Import::Role> roles() const;
    void setRole(int column, Import::Role role);
    QString name() const;
    void setName(const QString &name);

    bool isParsing() const;
    // The last parse's outcome and the library file made of its records.
    const Import::Outcome &outcome() const { return m_outcome; }
    const QByteArray &library() const { return m_library; }

signals:
    // A parse has ended and its outcome is shown.
    void parsed();

private:
    void startParse(const Import::Choice &choice);
    void showOutcome(const Import::Outcome &outcome, const QByteArray &library);
    void showColumns();
    QString summaryText() const;

    QByteArray m_bytes;
    Import::MeaningLookup m_lookup;
    Import::Outcome m_outcome;
    QByteArray m_library;
    ImportTask *m_task = nullptr;
    QComboBox *m_format = nullptr;
    QLabel *m_encoding = nullptr;
    QTableWidget *m_columns = nullptr;
    QTableWidget *m_table = nullptr;
    QLabel *m_summary = nullptr;
    QProgressBar *m_progress = nullptr;
    QLineEdit *m_name = nullptr;
    QPushButton *m_accept = nullptr;
    bool m_showingColumns = false;
};
