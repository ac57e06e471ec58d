#pragma once

#include "settings/CIniFile.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class Form1;
class Form5;
class UserDialogs;

// Owns the windows and the one shared settings file. A window is created the
// first time it is needed, and windows reach each other through this object.
class LexivaneApp : public QObject
{
    Q_OBJECT

public:
    // `programDir` is the folder that holds lexvan.ini. Word libraries are
    // found under "data" in the working folder. Without `dialogs`, real
    // message boxes are used; tests pass a recorder.
    explicit LexivaneApp(const QString &programDir, UserDialogs *dialogs = nullptr);
    ~LexivaneApp() override;

    // Opens the start-up windows.
    void start();

    CIniFile &iniFile() { return m_iniFile; }
    UserDialogs &dialogs() { return *m_dialogs; }
    QString dataDir() const { return QStringLiteral("data"); }
    QString programDir() const { return m_programDir; }

    // The test window, created (and loaded) on first use.
    Form1 *form1();
    // The test window if it has been created, else nullptr.
    Form1 *existingForm1() const;
    // The about window while it is open, else nullptr.
    Form5 *aboutWindow() const;

    // --- Box window (src/boxes) ---
    // Hides the test window and shows the box window.
    bool openBoxWindow();

    // --- Browse mode (src/browse) ---
    // Hides the test window and opens the browse bar.
    bool openBrowseBar();

    // The test window was closed: the program ends with it.
    void testWindowClosed();

private:
    QString m_programDir;
    CIniFile m_iniFile;
    std::unique_ptr<UserDialogs> m_ownDialogs;
    UserDialogs *m_dialogs;
    QPointer<Form1> m_form1;
    QPointer<Form5> m_form5;
    // --- Box window members ---
    // --- Browse mode members ---
};
