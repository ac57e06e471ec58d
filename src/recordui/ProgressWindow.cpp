#include "recordui/ProgressWindow.h"

#include "record/RecordStore.h"
#include "recordui/ProgressCharts.h"
#include "settings/LibraryRegistry.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

enum Column { WordColumn, MeaningColumn, LibraryColumn, WrongColumn, TimeColumn, ColumnCount };

// The same colours on a light or a dark desktop: the charts are drawn for
// this background, and text must stay readable on it.
QPalette fixedPalette()
{
    QPalette palette;
    const QColor white(Qt::white);
    palette.setColor(QPalette::Window, ProgressColors::Background);
    palette.setColor(QPalette::WindowText, ProgressColors::Text);
    palette.setColor(QPalette::Base, white);
    palette.setColor(QPalette::AlternateBase, QColor(0xf3, 0xf0, 0xe8));
    palette.setColor(QPalette::Text, ProgressColors::Text);
    palette.setColor(QPalette::Button, QColor(0xec, 0xe9, 0xe0));
    palette.setColor(QPalette::ButtonText, ProgressColors::Text);
    palette.setColor(QPalette::Highlight, QColor(0x3c, 0x8d, 0xbc));
    palette.setColor(QPalette::HighlightedText, white);
    palette.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xdc));
    palette.setColor(QPalette::ToolTipText, ProgressColors::Text);
    palette.setColor(QPalette::PlaceholderText, QColor(0x80, 0x80, 0x80));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x9a, 0x9a, 0x9a));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x9a, 0x9a, 0x9a));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x9a, 0x9a, 0x9a));
    return palette;
}

QTableWidgetItem *cell(const QString &text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

} // namespace

ProgressWindow::ProgressWindow(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ProgressWindow"));
    setWindowTitle(QStringLiteral("学习记录"));
    setPalette(fixedPalette());
    setAutoFillBackground(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->setSpacing(8);

    auto *title = new QLabel(QStringLiteral("学习记录"), this);
    QFont titleFont = title->font();
    titleFont.setPixelSize(18);
    titleFont.setBold(true);
    title->setFont(titleFont);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summary"));
    auto *header = new QHBoxLayout;
    header->addWidget(title);
    header->addStretch();
    header->addWidget(m_summary);
    layout->addLayout(header);

    auto *heatTitle = new QLabel(QStringLiteral("最近一年每天答题数"), this);
    layout->addWidget(heatTitle);
    m_heatmap = new HeatmapChart(this);
    m_heatmap->setFixedSize(m_heatmap->sizeHint());
    layout->addWidget(m_heatmap);

    auto *middle = new QHBoxLayout;
    m_accuracy = new AccuracyChart(this);
    m_accuracy->setMinimumSize(m_accuracy->sizeHint());
    middle->addWidget(m_accuracy, 1);
    m_bars = new LibraryBarsChart(this);
    // Many libraries scroll instead of squeezing the other pictures.
    auto *barsScroll = new QScrollArea(this);
    barsScroll->setObjectName(QStringLiteral("libraryScroll"));
    barsScroll->setWidget(m_bars);
    barsScroll->setWidgetResizable(true);
    barsScroll->setFrameShape(QFrame::NoFrame);
    barsScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    barsScroll->setMinimumSize(360, m_accuracy->sizeHint().height());
    middle->addWidget(barsScroll, 1);
    layout->addLayout(middle);

    m_forecast = new ForecastChart(this);
    m_forecast->setMinimumSize(m_forecast->sizeHint());
    layout->addWidget(m_forecast);

    layout->addWidget(new QLabel(QStringLiteral("最难记的单词（答错最多，其次用时最长）"), this));
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("hardestWords"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("单词"), QStringLiteral("释义"), QStringLiteral("词库"),
                                        QStringLiteral("答错"), QStringLiteral("平均用时")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->setDefaultSectionSize(22);
    m_table->horizontalHeader()->setSectionResizeMode(MeaningColumn, QHeaderView::Stretch);
    m_table->setColumnWidth(WordColumn, 150);
    m_table->setColumnWidth(LibraryColumn, 110);
    m_table->setColumnWidth(WrongColumn, 60);
    m_table->setColumnWidth(TimeColumn, 80);
    m_table->setMinimumHeight(200);
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(m_table, 1);

    auto *actions = new QHBoxLayout;
    m_box = new QComboBox(this);
    m_box->setObjectName(QStringLiteral("boxChoice"));
    for (int box = 0; box < LibraryRegistry::BoxCount; ++box)
        m_box->addItem(LibraryRegistry::boxName(box));
    m_send = new QPushButton(QStringLiteral("放入词盒"), this);
    m_send->setObjectName(QStringLiteral("sendToBox"));
    m_speak = new QPushButton(QStringLiteral("朗读"), this);
    m_speak->setObjectName(QStringLiteral("speak"));
    actions->addStretch();
    actions->addWidget(m_box);
    actions->addWidget(m_send);
    actions->addWidget(m_speak);
    layout->addLayout(actions);

    auto sendSelected = [this](int box) {
        const int row = selectedRow();
        if (row >= 0)
            emit sendToBox(box, m_data.hardest[row].word, m_data.hardest[row].meaning);
    };
    auto speakSelected = [this] {
        const int row = selectedRow();
        if (row >= 0)
            emit speak(m_data.hardest[row].word);
    };
    connect(m_send, &QPushButton::clicked, this, [this, sendSelected] { sendSelected(m_box->currentIndex()); });
    connect(m_speak, &QPushButton::clicked, this, speakSelected);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, speakSelected);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &ProgressWindow::updateButtons);
    connect(m_table, &QWidget::customContextMenuRequested, this,
            [this, sendSelected, speakSelected](const QPoint &pos) {
                if (selectedRow() < 0)
                    return;
                QMenu menu(this);
                for (int box = 0; box < LibraryRegistry::BoxCount; ++box) {
                    connect(menu.addAction(QStringLiteral("放入") + LibraryRegistry::boxName(box)), &QAction::triggered,
                            this, [sendSelected, box] { sendSelected(box); });
                }
                menu.addSeparator();
                connect(menu.addAction(QStringLiteral("朗读")), &QAction::triggered, this, speakSelected);
                menu.exec(m_table->viewport()->mapToGlobal(pos));
            });

    resize(780, 900);
    setData(ProgressData());
}

void ProgressWindow::setData(const ProgressData &data)
{
    m_data = data;
    qint64 firstTries = 0;
    qint64 firstRight = 0;
    for (const WeekAccuracy &week : data.weeks) {
        firstTries += week.firstTries;
        firstRight += week.firstTriesRight;
    }
    QString summary = QStringLiteral("共答题 %1 次").arg(data.totalAnswers);
    if (firstTries > 0)
        summary += QStringLiteral("，近一年首次答对 %1%").arg(qRound(100.0 * double(firstRight) / double(firstTries)));
    if (data.examDaysLeft >= 0)
        summary += QStringLiteral("，距考试还有 %1 天").arg(data.examDaysLeft);
    m_summary->setText(summary);

    m_heatmap->setData(data);
    m_accuracy->setData(data);
    m_bars->setData(data);
    m_forecast->setData(data);
    m_bars->setMinimumHeight(m_bars->sizeHint().height());

    m_table->clearContents();
    m_table->setRowCount(int(data.hardest.size()));
    for (int row = 0; row < data.hardest.size(); ++row) {
        const HardWord &word = data.hardest[row];
        m_table->setItem(row, WordColumn, cell(word.word));
        QString tip = withSourceLine(m_details ? m_details(word.word) : QString(), word.sentence);
        // A sentence from a subtitle may start with a tag ("<i>"): shown as
        // written, not as markup.
        if (Qt::mightBeRichText(tip))
            tip = Qt::convertFromPlainText(tip, Qt::WhiteSpaceNormal);
        m_table->item(row, WordColumn)->setToolTip(tip);
        m_table->setItem(row, MeaningColumn, cell(word.meaning));
        m_table->setItem(row, LibraryColumn, cell(word.library));
        m_table->setItem(row, WrongColumn, cell(QString::number(word.wrong), Qt::AlignRight | Qt::AlignVCenter));
        m_table->setItem(row, TimeColumn,
                         cell(QStringLiteral("%1 秒").arg(double(word.averageMilliseconds) / 1000.0, 0, 'f', 1),
                              Qt::AlignRight | Qt::AlignVCenter));
    }
    updateButtons();
}

int ProgressWindow::selectedRow() const
{
    const QList<QTableWidgetSelectionRange> ranges = m_table->selectedRanges();
    if (ranges.isEmpty())
        return -1;
    const int row = ranges.first().topRow();
    return row < m_data.hardest.size() ? row : -1;
}

void ProgressWindow::updateButtons()
{
    const bool chosen = selectedRow() >= 0;
    m_send->setEnabled(chosen);
    m_speak->setEnabled(chosen);
}
