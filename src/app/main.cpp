#include "app/Desktop.h"
#include "app/Fonts.h"
#include "typing/Form1.h"
#include "app/LexivaneApp.h"
#include "app/PlatformChoice.h"
#include "cli/CommandLine.h"
#include "record/Schedule.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

// With LEXIVANE_STARTUP_TRACE set, prints the wall-clock time (microseconds
// since the epoch) at which the test window was first shown and painted, so
// that bench/startup.sh can measure start-up from outside the process. The
// filter removes itself after the first report and costs nothing otherwise.
class StartupTrace : public QObject
{
public:
    explicit StartupTrace(QWidget *window)
        : m_window(window)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && m_window->windowHandle() == watched &&
            m_window->windowHandle()->isExposed()) {
            qApp->removeEventFilter(this);
            // The expose is answered with the first paint; report once that
            // has been flushed to the screen.
            QTimer::singleShot(0, [] {
                const auto now = std::chrono::system_clock::now().time_since_epoch();
                std::fprintf(
                    stderr, "lexivane-startup: shown %lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
                std::fflush(stderr);
            });
        }
        return false;
    }

private:
    QWidget *m_window;
};

// A verb on the command line runs without windows: no display is opened, so
// it works over ssh, in scripts and in status bars.
int runVerb(int argc, char **argv)
{
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Lexivane"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    cli::CommandContext context{QCoreApplication::applicationDirPath(), QDir::currentPath(), out, err};
    return cli::runCommandLine(QCoreApplication::arguments().mid(1), context);
}

} // namespace

int main(int argc, char **argv)
{
    Schedule::readTimeZoneOnce();
    if (argc > 1 && cli::isVerb(QString::fromLocal8Bit(argv[1])))
        return runVerb(argc, argv);

    const QByteArray platform =
        preferredPlatform(qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"));
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lexivane"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kelvaro.Lexivane"));
    // Every window without an icon of its own (the about window, the bar,
    // the settings dialog, message boxes) shows the program's.
    QApplication::setWindowIcon(programIcon());
    installChineseQtTranslations(application);
    registerFontSubstitutions();

    LexivaneApp lexivane(QCoreApplication::applicationDirPath());
    std::unique_ptr<StartupTrace> trace;
    if (qEnvironmentVariableIsSet("LEXIVANE_STARTUP_TRACE")) {
        trace = std::make_unique<StartupTrace>(lexivane.form1());
        application.installEventFilter(trace.get());
    }
    lexivane.start();
    // Once the windows are up: today's backup and the sync folder, in the
    // background.
    QTimer::singleShot(0, &lexivane, [&lexivane] { lexivane.startHousekeeping(); });
    return QApplication::exec();
}
