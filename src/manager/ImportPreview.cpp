#include "manager/ImportPreview.h"

#include "manager/LibraryManager.h"
#include "manager/ManagerLook.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

ImportPreview::ImportPreview(QWidget *parent, const QString &path, const QByteArray &bytes, Import::Format format,
                             const QString &name)
    : QDialog(parent)
    , m_bytes(bytes)
{
    setObjectName(QStringLiteral("ImportPreview"));
    setWindowTitle(QStringLiteral("导入单词列表"));
    ManagerLook::apply(this);
    resize(560, 440);

    auto *layout = new QVBoxLayout(this);
    auto *source = new QLabel(QStringLiteral("文件：") + QFileInfo(path).fileName(), this);
    source->setObjectName(QStringLiteral("source"));
    layout->addWidget(source);

    auto *formatRow = new QHBoxLayout;
    formatRow->addWidget(new QLabel(QStringLiteral("格式："), this));
    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("format"));
    m_format->addItem(QStringLiteral("制表符分隔（单词<Tab>释义）"), int(Import::Format::Tsv));
    m_format->addItem(QStringLiteral("逗号分隔（CSV）"), int(Import::Format::Csv));
    m_format->addItem(QStringLiteral("抽认卡导出的纯文本"), int(Import::Format::Flashcard));
    m_format->addItem(QStringLiteral("两行一词的词库"), int(Import::Format::WordLibrary));
    formatRow->addWidget(m_format, 1);
    layout->addLayout(formatRow);

    m_table = new QTableWidget(0, 3, this);
    m_table->setObjectName(QStringLiteral("preview"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("行"), QStringLiteral("单词"), QStringLiteral("释义")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(0, 50);
    m_table->setColumnWidth(1, 150);
    layout->addWidget(m_table, 1);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("词库名称："), this));
    m_name = new QLineEdit(name, this);
    m_name->setObjectName(QStringLiteral("name"));
    nameRow->addWidget(m_name, 1);
    layout->addLayout(nameRow);

    auto *buttons = new QDialogButtonBox(this);
    auto *ok = buttons->addButton(QStringLiteral("导入"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("accept"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("reject"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    setFormat(format);
    connect(m_format, &QComboBox::currentIndexChanged, this, &ImportPreview::reparse);
    reparse();
}

Import::Format ImportPreview::format() const
{
    return static_cast<Import::Format>(m_format->currentData().toInt());
}

void ImportPreview::setFormat(Import::Format format)
{
    m_format->setCurrentIndex(m_format->findData(int(format)));
}

QString ImportPreview::name() const
{
    return m_name->text();
}

void ImportPreview::setName(const QString &name)
{
    m_name->setText(name);
}

void ImportPreview::reparse()
{
    m_outcome = Import::parse(m_bytes, format());
    const qsizetype shown = qMin<qsizetype>(m_outcome.records.size(), PreviewRows);
    m_table->setRowCount(int(shown));
    for (int row = 0; row < shown; ++row) {
        const Import::Record &record = m_outcome.records[row];
        m_table->setItem(row, 0, new QTableWidgetItem(QString::number(record.line)));
        m_table->setItem(row, 1, new QTableWidgetItem(record.word));
        m_table->setItem(row, 2, new QTableWidgetItem(record.meaning));
    }
    QString summary = QStringLiteral("共 %1 个单词（编码 %2）").arg(m_outcome.records.size())
                          .arg(LibraryManager::encodingName(m_outcome.encoding));
    if (m_outcome.records.size() > shown)
        summary += QStringLiteral("，上面是前 %1 个").arg(shown);
    summary += QStringLiteral("。");
    if (!m_outcome.skipped.isEmpty())
        summary += LibraryManager::skippedText(m_outcome.skipped);
    m_summary->setText(summary);
}
