#include "app/MessageBoxDialogs.h"

#include <QApplication>
#include <QMessageBox>

QString MessageBoxDialogs::title()
{
    return QStringLiteral("Kelvaro--Lexivane 1.0");
}

void MessageBoxDialogs::message(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool MessageBoxDialogs::question(const QString &text)
{
    QMessageBox box(QMessageBox::Question, title(), text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxDialogs::beep()
{
    QApplication::beep();
}
