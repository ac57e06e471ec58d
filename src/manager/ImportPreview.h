#pragma once

#include "library/Importer.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

// The import preview: the format (guessed, can be changed), the first
// records as they will be imported, the skipped lines, and the name the new
// library gets. "导入" accepts, "取消" rejects.
class ImportPreview : public QDialog
{
    Q_OBJECT

public:
    // Records shown in the preview.
    static constexpr int PreviewRows = 20;

    ImportPreview(QWidget *parent, const QString &path, const QByteArray &bytes, Import::Format format,
                  const QString &name);

    Import::Format format() const;
    void setFormat(Import::Format format);
    QString name() const;
    void setName(const QString &name);
    const Import::Outcome &outcome() const { return m_outcome; }

private:
    void reparse();

    QByteArray m_bytes;
    Import::Outcome m_outcome;
    QComboBox *m_format = nullptr;
    QTableWidget *m_table = nullptr;
    QLabel *m_summary = nullptr;
    QLineEdit *m_name = nullptr;
};
