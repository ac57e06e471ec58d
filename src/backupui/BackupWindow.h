#pragma once

#include "backup/Backup.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// 备份与迁移: the daily backups (date, size, answers), restoring one, the
// one-file export and import, and the sync folder. The window only shows
// and announces; its owner does the work and tells the user.
class BackupWindow : public QWidget
{
    Q_OBJECT
public:
    explicit BackupWindow(QWidget *parent = nullptr);

    void setBackups(const QList<Backup::BackupInfo> &backups);
    void setSyncFolder(const QString &folder);
    // A line under the buttons: what was done last, or that a sync runs.
    void setStatus(const QString &text);

    QTableWidget *table() const { return m_table; }

signals:
    void restoreRequested(const QString &archivePath);
    void exportRequested();
    void importRequested();
    void chooseSyncFolderRequested();
    // The folder as typed (empty turns syncing off).
    void syncFolderChanged(const QString &folder);

private:
    QList<Backup::BackupInfo> m_backups;
    QTableWidget *m_table = nullptr;
    QPushButton *m_restore = nullptr;
    QLineEdit *m_syncFolder = nullptr;
    QLabel *m_status = nullptr;

    void updateButtons();
};
