#include "manager/ExtractPreview.h"

#include "extract/ExtractTask.h"
#include "manager/ManagerLook.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum Column { WordColumn, CountColumn, LevelColumn, MeaningColumn, SentenceColumn, ColumnCount };

// Sorted by level, words of no exam (超纲) come after GRE.
int levelKey(int level)
{
    return level == ExamLevel::None ? int(ExamLevel::names().size()) : level;
}

} // namespace

ExtractPreview::ExtractPreview(QWidget *parent, const QString &path, Dictionary &dictionary,
                               const ExtractOptions &options, const QString &name, int hideLevel,
                               NameCheck checkName)
    : QDialog(parent)
    , m_task(new ExtractTask(dictionary, this))
    , m_checkName(std::move(checkName))
{
    setObjectName(QStringLiteral("ExtractPreview"));
    setWindowTitle(QStringLiteral("从文章提取生词"));
    ManagerLook::apply(this);
    resize(780, 580);

    auto *layout = new QVBoxLayout(this);
    auto *topRow = new QHBoxLayout;
    auto *source = new QLabel(QStringLiteral("文件：") + QFileInfo(path).fileName(), this);
    source->setObjectName(QStringLiteral("source"));
    topRow->addWidget(source, 1);
    auto *orderLabel = new QLabel(QStringLiteral("排序："), this);
    topRow->addWidget(orderLabel);
    m_order = new QComboBox(this);
    m_order->setObjectName(QStringLiteral("order"));
    m_order->addItem(QStringLiteral("按出现次数"), int(Order::Count));
    m_order->addItem(QStringLiteral("按首次出现的先后"), int(Order::FirstSeen));
    m_order->addItem(QStringLiteral("按考试级别"), int(Order::Level));
    orderLabel->setBuddy(m_order);
    topRow->addWidget(m_order);
    auto *hideLabel = new QLabel(QStringLiteral("不列出："), this);
    topRow->addWidget(hideLabel);
    m_hide = new QComboBox(this);
    m_hide->setObjectName(QStringLiteral("hideLevel"));
    m_hide->addItem(QStringLiteral("（全部列出）"), ExamLevel::None);
    for (int level = 0; level < int(ExamLevel::names().size()); ++level)
        m_hide->addItem(level == 0 ? QStringLiteral("中考词汇") : ExamLevel::names()[level] + QStringLiteral("及以下的词汇"),
                        level);
    m_hide->setCurrentIndex(std::max(0, m_hide->findData(hideLevel)));
    hideLabel->setBuddy(m_hide);
    topRow->addWidget(m_hide);
    layout->addLayout(topRow);

    auto *hint = new QLabel(QStringLiteral("勾选的单词会按下表的顺序做成词库；取消勾选的单词加入“已掌握的单词”，以后不再列出。"),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("words"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("单词"), QStringLiteral("次数"), QStringLiteral("级别"),
                                        QStringLiteral("释义"), QStringLiteral("首次出现的句子")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setDefaultSectionSize(24);
    m_table->setColumnWidth(WordColumn, 140);
    m_table->setColumnWidth(CountColumn, 50);
    m_table->setColumnWidth(LevelColumn, 50);
    m_table->setColumnWidth(MeaningColumn, 220);
    layout->addWidget(m_table, 1);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 100);
    m_progress->setFormat(QStringLiteral("正在读取文件… %p%"));
    layout->addWidget(m_progress);

    m_summary = new QLabel(QStringLiteral("正在读取文件，请稍候…"), this);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setWordWrap(true);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_summary);

    auto *nameRow = new QHBoxLayout;
    auto *nameLabel = new QLabel(QStringLiteral("词库名称："), this);
    nameRow->addWidget(nameLabel);
    m_name = new QLineEdit(name, this);
    m_name->setObjectName(QStringLiteral("name"));
    nameLabel->setBuddy(m_name);
    nameRow->addWidget(m_name, 1);
    layout->addLayout(nameRow);

    auto *buttons = new QDialogButtonBox(this);
    m_create = buttons->addButton(QStringLiteral("创建词库"), QDialogButtonBox::AcceptRole);
    m_create->setObjectName(QStringLiteral("create"));
    m_create->setEnabled(false);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("reject"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ExtractPreview::create);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_task, &ExtractTask::progress, m_progress, &QProgressBar::setValue);
    connect(m_task, &ExtractTask::finished, this, &ExtractPreview::showResult);
    connect(m_order, &QComboBox::currentIndexChanged, this, &ExtractPreview::fillTable);
    connect(m_hide, &QComboBox::currentIndexChanged, this, &ExtractPreview::fillTable);
    connect(m_table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (m_filling || item->column() != WordColumn)
            return;
        const int index = candidateAt(item->row());
        if (index >= 0)
            m_ticked[index] = item->checkState() == Qt::Checked;
        updateSummary();
    });
    m_task->start(path, options);
}

// The task stops its thread before it goes with the dialog.
ExtractPreview::~ExtractPreview() = default;

bool ExtractPreview::isReading() const
{
    return m_task->isRunning();
}

ExtractPreview::Order ExtractPreview::order() const
{
    return static_cast<Order>(m_order->currentData().toInt());
}

void ExtractPreview::setOrder(Order order)
{
    m_order->setCurrentIndex(m_order->findData(int(order)));
}

int ExtractPreview::hideLevel() const
{
    return m_hide->currentData().toInt();
}

void ExtractPreview::setHideLevel(int level)
{
    m_hide->setCurrentIndex(std::max(0, m_hide->findData(level)));
}

QString ExtractPreview::name() const
{
    return m_name->text();
}

void ExtractPreview::setName(const QString &name)
{
    m_name->setText(name);
}

int ExtractPreview::candidateAt(int row) const
{
    return row >= 0 && row < m_shown.size() ? m_shown[row] : -1;
}

void ExtractPreview::setTicked(int row, bool ticked)
{
    if (QTableWidgetItem *item = m_table->item(row, WordColumn))
        item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

QList<ExtractCandidate> ExtractPreview::chosen() const
{
    QList<ExtractCandidate> words;
    for (const int index : m_shown) {
        if (m_ticked[index])
            words.append(m_result.candidates[index]);
    }
    return words;
}

QStringList ExtractPreview::unticked() const
{
    QStringList words;
    for (const int index : m_shown) {
        if (!m_ticked[index])
            words.append(m_result.candidates[index].word);
    }
    return words;
}

void ExtractPreview::create()
{
    if (isReading() || m_result.candidates.isEmpty())
        return;
    if (m_checkName && !m_checkName(name()))
        return;
    accept();
}

void ExtractPreview::showResult(const ExtractResult &result)
{
    m_result = result;
    m_ticked = QList<bool>(result.candidates.size(), true);
    m_progress->hide();
    fillTable();
    m_create->setEnabled(!m_result.candidates.isEmpty());
    emit read();
}

void ExtractPreview::fillTable()
{
    const QList<ExtractCandidate> &candidates = m_result.candidates;
    const int hidden = hideLevel();
    m_shown.clear();
    for (int index = 0; index < candidates.size(); ++index) {
        const int level = candidates[index].level;
        if (level == ExamLevel::None || level > hidden)
            m_shown.append(index);
    }
    const Order by = order();
    // The extractor gives them most frequent first, equal counts by first
    // appearance: a stable sort keeps that as the tie-breaker.
    if (by == Order::FirstSeen) {
        std::stable_sort(m_shown.begin(), m_shown.end(),
                         [&](int a, int b) { return candidates[a].firstSeen < candidates[b].firstSeen; });
    } else if (by == Order::Level) {
        std::stable_sort(m_shown.begin(), m_shown.end(), [&](int a, int b) {
            return levelKey(candidates[a].level) < levelKey(candidates[b].level);
        });
    }

    m_filling = true;
    m_table->setUpdatesEnabled(false);
    m_table->setRowCount(int(m_shown.size()));
    for (int row = 0; row < m_shown.size(); ++row) {
        const int index = m_shown[row];
        const ExtractCandidate &candidate = candidates[index];
        auto *word = new QTableWidgetItem(candidate.word);
        word->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        word->setCheckState(m_ticked[index] ? Qt::Checked : Qt::Unchecked);
        m_table->setItem(row, WordColumn, word);
        auto *count = new QTableWidgetItem(QString::number(candidate.count));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_table->setItem(row, CountColumn, count);
        m_table->setItem(row, LevelColumn, new QTableWidgetItem(ExamLevel::nameOf(candidate.level)));
        auto *meaning = new QTableWidgetItem(candidate.meaning);
        meaning->setToolTip(candidate.meaning);
        m_table->setItem(row, MeaningColumn, meaning);
        auto *sentence = new QTableWidgetItem(candidate.sentence);
        sentence->setToolTip(candidate.sentence);
        m_table->setItem(row, SentenceColumn, sentence);
    }
    m_table->setUpdatesEnabled(true);
    m_filling = false;
    if (!m_shown.isEmpty() && !m_table->currentItem())
        m_table->setCurrentCell(0, WordColumn);
    updateSummary();
}

void ExtractPreview::updateSummary()
{
    if (isReading())
        return;
    if (!m_result.error.isEmpty()) {
        m_summary->setText(QStringLiteral("无法提取生词：") + m_result.error);
        return;
    }
    if (m_result.candidates.isEmpty()) {
        m_summary->setText(QStringLiteral("没有生词：读到的 %1 个不同的词都已掌握。").arg(m_result.knownDropped));
        return;
    }
    qsizetype ticked = 0;
    for (const int index : m_shown)
        ticked += m_ticked[index];
    QString text = QStringLiteral("列出 %1 个生词，已勾选 %2 个。").arg(m_shown.size()).arg(ticked);
    if (m_shown.size() < m_result.candidates.size())
        text += QStringLiteral("另有 %1 个较低级别的词没有列出。").arg(m_result.candidates.size() - m_shown.size());
    text += QStringLiteral("全文 %1 个词；已掌握的 %2 个、专有名词 %3 个不算生词。")
                .arg(m_result.tokens)
                .arg(m_result.knownDropped)
                .arg(m_result.properNouns);
    m_summary->setText(text);
}
