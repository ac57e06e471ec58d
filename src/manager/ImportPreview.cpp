#include "manager/ImportPreview.h"

#include "library/ImportReport.h"
#include "library/ImportTask.h"
#include "manager/ManagerLook.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const Import::Role kRoles[] = {Import::Role::Word, Import::Role::Meaning, Import::Role::Phonetic, Import::Role::Number,
                               Import::Role::Ignore};

} // namespace

ImportPreview::ImportPreview(QWidget *parent, const QString &path, const QByteArray &bytes, const Import::Choice &choice,
                             const QString &name, const Import::MeaningLookup &lookup)
    : QDialog(parent)
    , m_bytes(bytes)
    , m_lookup(lookup)
    , m_task(new ImportTask(this))
{
    setObjectName(QStringLiteral("ImportPreview"));
    setWindowTitle(QStringLiteral("导入单词列表"));
    ManagerLook::apply(this);
    resize(660, 660);

    auto *layout = new QVBoxLayout(this);
    auto *sourceRow = new QHBoxLayout;
    auto *source = new QLabel(QStringLiteral("文件：") + QFileInfo(path).fileName(), this);
    source->setObjectName(QStringLiteral("source"));
    sourceRow->addWidget(source, 1);
    m_encoding = new QLabel(this);
    m_encoding->setObjectName(QStringLiteral("encoding"));
    sourceRow->addWidget(m_encoding);
    layout->addLayout(sourceRow);

    auto *formatRow = new QHBoxLayout;
    formatRow->addWidget(new QLabel(QStringLiteral("格式："), this));
    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("format"));
    using Import::Format;
    const struct {
        const char16_t *text;
        Format format;
    } formats[] = {{u"制表符分隔（单词<Tab>释义）", Format::Tsv},
                   {u"逗号分隔（CSV）", Format::Csv},
                   {u"分号分隔（单词;释义）", Format::Semicolon},
                   {u"短横线分隔（单词 - 释义）", Format::Dash},
                   {u"等号分隔（单词=释义）", Format::Equals},
                   {u"全角冒号或逗号分隔（单词：释义）", Format::FullWidth},
                   {u"两个以上空格分隔", Format::Spaces},
                   {u"带序号的词典行（1. abandon [音标] v. 释义）", Format::Numbered},
                   {u"每行一个单词（释义取自词典）", Format::WordOnly},
                   {u"抽认卡导出的纯文本", Format::Flashcard},
                   {u"两行一词的词库", Format::WordLibrary}};
    for (const auto &entry : formats)
        m_format->addItem(QString::fromUtf16(entry.text), int(entry.format));
    formatRow->addWidget(m_format, 1);
    layout->addLayout(formatRow);

    layout->addWidget(new QLabel(QStringLiteral("文件的前几行（在列上方选择每一列的内容）："), this));
    m_columns = new QTableWidget(0, 0, this);
    m_columns->setObjectName(QStringLiteral("columns"));
    m_columns->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_columns->setSelectionMode(QAbstractItemView::NoSelection);
    m_columns->horizontalHeader()->hide();
    m_columns->horizontalHeader()->setStretchLastSection(true);
    m_columns->verticalHeader()->setDefaultSectionSize(24);
    layout->addWidget(m_columns, 3);

    layout->addWidget(new QLabel(QStringLiteral("导入后的词库："), this));
    m_table = new QTableWidget(0, 3, this);
    m_table->setObjectName(QStringLiteral("preview"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("行"), QStringLiteral("单词"), QStringLiteral("释义")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(0, 50);
    m_table->setColumnWidth(1, 150);
    layout->addWidget(m_table, 3);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 100);
    m_progress->setFormat(QStringLiteral("正在读取文件… %p%"));
    m_progress->hide();
    layout->addWidget(m_progress);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setWordWrap(true);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_summary);

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("词库名称："), this));
    m_name = new QLineEdit(name, this);
    m_name->setObjectName(QStringLiteral("name"));
    nameRow->addWidget(m_name, 1);
    layout->addLayout(nameRow);

    auto *buttons = new QDialogButtonBox(this);
    m_accept = buttons->addButton(QStringLiteral("导入"), QDialogButtonBox::AcceptRole);
    m_accept->setObjectName(QStringLiteral("accept"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("reject"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_task, &ImportTask::progress, this, [this](int percent) {
        m_progress->setValue(percent);
        m_progress->show();
    });
    connect(m_task, &ImportTask::finished, this, &ImportPreview::showOutcome);
    setFormat(choice.format);
    connect(m_format, &QComboBox::currentIndexChanged, this, [this] { startParse(Import::Choice{format(), {}}); });
    startParse(choice);
}

ImportPreview::~ImportPreview() = default;

Import::Format ImportPreview::format() const
{
    return static_cast<Import::Format>(m_format->currentData().toInt());
}

void ImportPreview::setFormat(Import::Format format)
{
    m_format->setCurrentIndex(m_format->findData(int(format)));
}

QList<Import::Role> ImportPreview::roles() const
{
    QList<Import::Role> roles;
    for (int column = 0; column < m_columns->columnCount(); ++column) {
        const auto *box = qobject_cast<QComboBox *>(m_columns->cellWidget(0, column));
        roles << (box ? static_cast<Import::Role>(box->currentData().toInt()) : Import::Role::Ignore);
    }
    return roles;
}

void ImportPreview::setRole(int column, Import::Role role)
{
    auto *box = qobject_cast<QComboBox *>(m_columns->cellWidget(0, column));
    if (box)
        box->setCurrentIndex(box->findData(int(role)));
}

QString ImportPreview::name() const
{
    return m_name->text();
}

void ImportPreview::setName(const QString &name)
{
    m_name->setText(name);
}

bool ImportPreview::isParsing() const
{
    return m_task->isRunning();
}

void ImportPreview::startParse(const Import::Choice &choice)
{
    m_accept->setEnabled(false);
    m_progress->setValue(0);
    // Small files are read before the bar could be seen; big ones show it
    // from the start.
    m_progress->setVisible(m_bytes.size() > 1024 * 1024);
    m_summary->setText(QStringLiteral("正在读取文件…"));
    m_task->start(m_bytes, choice, m_lookup);
}

void ImportPreview::showOutcome(const Import::Outcome &outcome, const QByteArray &library)
{
    m_outcome = outcome;
    m_library = library;
    m_progress->hide();
    m_encoding->setText(outcome.error == Import::Error::NotText ? QString()
                                                                 : QStringLiteral("编码：") + Import::encodingText(outcome));
    showColumns();

    const qsizetype shown = qMin<qsizetype>(m_outcome.records.size(), PreviewRows);
    m_table->setRowCount(int(shown));
    for (int row = 0; row < shown; ++row) {
        const Import::Record &record = m_outcome.records[row];
        m_table->setItem(row, 0, new QTableWidgetItem(QString::number(record.line)));
        m_table->setItem(row, 1, new QTableWidgetItem(record.word));
        m_table->setItem(row, 2, new QTableWidgetItem(record.meaning));
    }
    m_summary->setText(summaryText());
    m_accept->setEnabled(!m_outcome.records.isEmpty());
    emit parsed();
}

// The sample rows under one role box a column; the header row in italics.
void ImportPreview::showColumns()
{
    m_showingColumns = true;
    const QList<Import::Role> &roles = m_outcome.choice.roles;
    const bool fixed = m_outcome.choice.format == Import::Format::WordLibrary;
    const int columns = fixed ? 0 : int(roles.size());
    const int rows = int(qMin<qsizetype>(m_outcome.sample.size(), ColumnRows));
    m_columns->clear();
    m_columns->setColumnCount(columns);
    m_columns->setRowCount(columns == 0 ? 0 : rows + 1);
    QStringList lineLabels{QStringLiteral("内容")};
    for (int row = 0; row < rows; ++row)
        lineLabels << QString::number(m_outcome.sampleLines[row]);
    m_columns->setVerticalHeaderLabels(lineLabels);
    for (int column = 0; column < columns; ++column) {
        auto *box = new QComboBox(m_columns);
        box->setObjectName(QStringLiteral("role%1").arg(column + 1));
        for (const Import::Role role : kRoles)
            box->addItem(Import::roleText(role), int(role));
        box->setCurrentIndex(box->findData(int(roles[column])));
        m_columns->setCellWidget(0, column, box);
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (!m_showingColumns)
                startParse(Import::Choice{format(), this->roles()});
        });
        for (int row = 0; row < rows; ++row) {
            auto *item = new QTableWidgetItem(m_outcome.sample[row].value(column));
            if (m_outcome.sampleLines[row] == m_outcome.headerLine) {
                QFont font = item->font();
                font.setItalic(true);
                item->setFont(font);
            }
            m_columns->setItem(row + 1, column, item);
        }
        // Columns left out take little room, so that the word and the
        // meaning stay in view next to a flashcard export's ID and deck.
        const bool imported = roles[column] == Import::Role::Word || roles[column] == Import::Role::Meaning;
        m_columns->setColumnWidth(column, imported ? 160 : 100);
    }
    m_showingColumns = false;
}

QString ImportPreview::summaryText() const
{
    switch (m_outcome.error) {
    case Import::Error::NotText:
        return QStringLiteral("这个文件不是文本文件（可能是图片、压缩包或程序），不能导入。");
    case Import::Error::Unreadable:
        return QStringLiteral("无法读取该文件！");
    default:
        break;
    }
    const qsizetype shown = qMin<qsizetype>(m_outcome.records.size(), PreviewRows);
    QString summary = QStringLiteral("共 %1 个单词（编码 %2）").arg(m_outcome.records.size()).arg(Import::encodingText(m_outcome));
    if (m_outcome.records.size() > shown)
        summary += QStringLiteral("，上面是前 %1 个").arg(shown);
    summary += QStringLiteral("。");
    summary += Import::skippedText(m_outcome.skipped);
    summary += Import::notesText(m_outcome);
    return summary;
}
