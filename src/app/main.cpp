#include "app/Fonts.h"
#include "app/LexivaneApp.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lexivane"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    registerFontSubstitutions();

    LexivaneApp lexivane(QCoreApplication::applicationDirPath());
    lexivane.start();
    return QApplication::exec();
}
