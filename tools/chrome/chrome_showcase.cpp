// Shows the framed windows on a real display, for looking at them and for
// measuring them; not a test.
//
//   chrome_showcase idle [--still]
//       Shows the test window alone (no about window) until killed. With
//       --still its animation is paused and the text cursor does not blink,
//       so what remains is the cost of the window with its frame and close
//       button.
//   chrome_showcase screenshots <folder>
//       Takes screenshots of the test window and the box window, active and
//       inactive, and of the close button's hover face.
//
// Run it in a program folder (lexvan.ini and data/ in the working folder),
// on an X display, e.g. under xvfb-run with a 1200 x 800 screen.

#include "app/Fonts.h"
#include "typing/Form1.h"
#include "app/LexivaneApp.h"
#include "chrome/SkinnedFrame.h"
#include "chrome/XpCanvas.h"
#include "chrome/XpTopButtons.h"

#include <QApplication>
#include <QDir>
#include <QMovie>
#include <QScreen>
#include <QTest>
#include <QTextStream>

#include <cstdio>

namespace {

QWidget *topLevel(const QString &name)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name)
            return w;
    }
    return nullptr;
}

bool activate(QWidget *window)
{
    window->raise();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window, 3000);
}

void settle()
{
    QTest::qWait(400);
}

bool save(QWidget *window, const QString &file, int margin = 8)
{
    // What the display shows, frame and all, with a little of the desktop
    // around it.
    const QRect area = window->frameGeometry().adjusted(-margin, -margin, margin, margin);
    const QPixmap shot = window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const bool ok = shot.save(file);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
    return ok;
}

int screenshots(const QString &folder, LexivaneApp &app)
{
    QDir().mkpath(folder);
    const auto path = [&folder](const char *name) { return QDir(folder).filePath(QString::fromLatin1(name)); };

    Form1 *form1 = app.form1();
    form1->move(24, 24);
    form1->show();
    if (!activate(form1))
        std::printf("the test window did not become active\n");
    settle();
    bool ok = save(form1, path("chrome-test-window-active.png"));

    // The close button under the cursor shows its hover face.
    auto *close = form1->findChild<XpTopButtons *>(QStringLiteral("xptopbuttons1"));
    QCursor::setPos(close->mapToGlobal(QPoint(10, 10)));
    settle();
    const QRect titleArea(form1->mapToGlobal(QPoint(form1->width() - 160, 0)), QSize(160, 36));
    const QPixmap hover = form1->screen()
                              ->grabWindow(0, titleArea.x(), titleArea.y(), titleArea.width(), titleArea.height())
                              .scaled(titleArea.size() * 3, Qt::KeepAspectRatio, Qt::FastTransformation);
    ok = hover.save(path("chrome-close-button-hover.png")) && ok;
    std::printf("wrote %s\n", qPrintable(path("chrome-close-button-hover.png")));
    QCursor::setPos(QPoint(1190, 790));
    settle();

    // The box window, framed the same way.
    app.openBoxWindow();
    QWidget *form2 = topLevel(QStringLiteral("Form2"));
    if (!form2) {
        std::printf("no box window\n");
        return 1;
    }
    QWidget *placeholder = form2->findChild<QWidget *>(QStringLiteral("xp_canvas1"));
    if (placeholder && !qobject_cast<XpCanvas *>(placeholder)) {
        // A box window not yet wired to the frame gets it here.
        installSkinnedFrame(form2, placeholder, QStringLiteral("Kelvaro--Lexivane V1.0"), boxWindowIconFile());
    }
    form2->move(560, 24);
    form2->show();
    activate(form2);
    settle();
    ok = save(form2, path("chrome-box-window-active.png")) && ok;

    // Each window inactive while the other one is active.
    form1->show();
    activate(form1);
    settle();
    ok = save(form2, path("chrome-box-window-inactive.png")) && ok;
    activate(form2);
    settle();
    ok = save(form1, path("chrome-test-window-inactive.png")) && ok;
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    registerFontSubstitutions();
    const QStringList args = QApplication::arguments();
    const QString mode = args.value(1);

    LexivaneApp app(QDir::currentPath());
    if (mode == QStringLiteral("screenshots") && args.size() >= 3)
        return screenshots(args.at(2), app);
    if (mode == QStringLiteral("idle")) {
        Form1 *form1 = app.form1();
        form1->move(24, 24);
        form1->show();
        if (args.contains(QStringLiteral("--still"))) {
            for (QMovie *movie : form1->findChildren<QMovie *>())
                movie->setPaused(true);
            QApplication::setCursorFlashTime(0);
        }
        return QApplication::exec();
    }
    QTextStream(stderr) << "usage: chrome_showcase idle [--still] | screenshots <folder>\n";
    return 2;
}
