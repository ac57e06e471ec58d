#include "backupui/BackupWindow.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { DateColumn, SizeColumn, AnswersColumn, ColumnCount };

QTableWidgetItem *cell(const QString &text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

QString sizeText(qint64 bytes)
{
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(std::max<qint64>(1, (bytes + 1023) / 1024));
    return QStringLiteral("%1 MB").arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

QPushButton *button(const QString &text, const QString &name, QWidget *parent)
{
    auto *made = new QPushButton(text, parent);
    made->setObjectName(name);
    made->setAutoDefault(false);
    return made;
}

} // namespace

BackupWindow::BackupWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("BackupWindow"));
    setWindowTitle(QStringLiteral("备份与迁移"));
    resize(520, 440);

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("backupTable"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("日期"), QStringLiteral("大小"), QStringLiteral("答题记录")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(DateColumn, QHeaderView::Stretch);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &BackupWindow::updateButtons);

    m_restore = button(QStringLiteral("恢复到所选备份"), QStringLiteral("restoreButton"), this);
    QPushButton *exportButton = button(QStringLiteral("导出…"), QStringLiteral("exportButton"), this);
    QPushButton *importButton = button(QStringLiteral("导入…"), QStringLiteral("importButton"), this);
    connect(m_restore, &QPushButton::clicked, this, [this] {
        const int row = m_table->currentRow();
        if (row >= 0 && row < m_backups.size())
            emit restoreRequested(m_backups[row].path);
    });
    connect(exportButton, &QPushButton::clicked, this, &BackupWindow::exportRequested);
    connect(importButton, &QPushButton::clicked, this, &BackupWindow::importRequested);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_restore);
    buttons->addStretch();
    buttons->addWidget(exportButton);
    buttons->addWidget(importButton);

    auto *syncBox = new QGroupBox(QStringLiteral("同步文件夹（另一台电脑也同步的文件夹，可不填）"), this);
    m_syncFolder = new QLineEdit(syncBox);
    m_syncFolder->setObjectName(QStringLiteral("syncFolderEdit"));
    QPushButton *choose = button(QStringLiteral("选择…"), QStringLiteral("chooseSyncFolderButton"), syncBox);
    connect(choose, &QPushButton::clicked, this, &BackupWindow::chooseSyncFolderRequested);
    connect(m_syncFolder, &QLineEdit::editingFinished, this,
            [this] { emit syncFolderChanged(m_syncFolder->text().trimmed()); });
    auto *syncRow = new QHBoxLayout(syncBox);
    syncRow->addWidget(m_syncFolder, 1);
    syncRow->addWidget(choose);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_status->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("每天第一次启动时自动备份，保留最近 30 天和一年内每月的第一个备份。"), this));
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    layout->addWidget(syncBox);
    layout->addWidget(m_status);
    updateButtons();
}

void BackupWindow::setBackups(const QList<Backup::BackupInfo> &backups)
{
    m_backups = backups;
    m_table->setRowCount(int(backups.size()));
    const QLocale locale(QLocale::Chinese, QLocale::China);
    for (int row = 0; row < backups.size(); ++row) {
        const Backup::BackupInfo &info = backups[row];
        QString date = info.created.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        if (QFileInfo(info.path).fileName().startsWith(QLatin1String("before-restore")))
            date += QStringLiteral("（恢复前）");
        m_table->setItem(row, DateColumn, cell(date));
        m_table->setItem(row, SizeColumn, cell(sizeText(info.size), Qt::AlignRight | Qt::AlignVCenter));
        m_table->setItem(row, AnswersColumn,
                         cell(info.answers < 0 ? QStringLiteral("已损坏") : locale.toString(info.answers),
                              Qt::AlignRight | Qt::AlignVCenter));
    }
    m_table->resizeColumnToContents(SizeColumn);
    m_table->resizeColumnToContents(AnswersColumn);
    updateButtons();
}

void BackupWindow::setSyncFolder(const QString &folder)
{
    m_syncFolder->setText(folder);
}

void BackupWindow::setStatus(const QString &text)
{
    m_status->setText(text);
}

void BackupWindow::updateButtons()
{
    const int row = m_table->currentRow();
    m_restore->setEnabled(row >= 0 && row < m_backups.size() && m_backups[row].answers >= 0);
}
