#pragma once

#include "browse/BrowseWalk.h"
#include "widgets/WindowContext.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class Form4;
class MouseMover;
class QAction;
class QLabel;
class QMenu;
class QTimer;
class WordSpeaker;

// The browse bar: a small strip that stays above every other window and shows
// the words of a group one after another, the word on the left and its
// meaning on the right. The left mouse button drags it, the right button
// opens its menu. Its options live in the browse settings dialog, which it
// reads and changes directly.
// What each control shows, and from where: docs/controls.md.
class Form3 : public QWidget
{
    Q_OBJECT

public:
    // `settingsDialog` gives the browse settings dialog, created hidden (and
    // loaded from the settings file) on first use. With no stored place the
    // bar opens over `placeOver`, the test window, if there is one.
    Form3(const WindowContext &context, std::function<Form4 &()> settingsDialog, const QWidget *placeOver);
    ~Form3() override;

    // One tick of Timer1: the next slot of the walk. The timer calls it;
    // tests call it directly.
    void Timer1_Timer();

    // The menu commands.
    void Set_Click();
    void LastGroup_Click();
    void NextGroup_Click();
    void SpeedQuicker_Click();
    void SpeedLower_Click();
    void Close_Click();
    // "朗读": speak each word as it appears.
    void Speak_Click(bool on);
    // Greys "朗读" out, with the reason as its tip, while words cannot be heard.
    void showWhetherSpeechWorks();

    // This window's group loader; the group and the library are the
    // dialog's. Returns the group loaded, or 0 after a message.
    qint16 ReadWords(const QString &groupText, const QString &libraryName);
    // Empties both labels and the walk's counters.
    void FormReset();

    const BrowseWalk &walk() const { return m_walk; }
    // Whether Timer1 is switched on, and its interval in milliseconds. An
    // interval of 0 keeps a switched-on timer from ticking.
    bool timerEnabled() const { return m_timerEnabled; }
    int timerInterval() const { return m_timerInterval; }
    // Whether ticks are really coming.
    bool isTicking() const;
    QMenu *popupMenu() const { return menu; }
    QAction *speakAction() const { return m_speakAction; }

signals:
    // "返回", or the bar closed by the system: the test window comes back and
    // the settings dialog goes with the bar.
    void testWindowWanted();
    // Sent as the bar closes, so that the next use opens a new one even
    // before this one is gone.
    void closed(Form3 *bar);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void load();
    void placeBar();
    void placeByDefault();
    void Show();
    void EndOfGroup();
    bool loadGroupByCommand(const QString &groupText);
    void setLabel1(const QString &text);
    void setLabel2(const QString &text);
    QString tooltipWith(const QString &otherHalf);
    void setTimerEnabled(bool enabled);
    void setTimerInterval(int milliseconds);
    void applyTimer();
    void changeDelay(int seconds);
    void saveBarPosition();
    void backToTestWindow();
    void closeBar();
    Form4 &settings();

    WindowContext m_context;
    std::function<Form4 &()> m_settingsDialog;
    QPointer<const QWidget> m_placeOver;
    WordSpeaker &m_speaker;
    BrowseWalk m_walk;

    bool m_timerEnabled = false;
    int m_timerInterval = 0;
    // A tick that loads a group may wait in a message box, during which the
    // timer would tick again.
    bool m_inTick = false;
    // Set when the bar closes through its menu; any other close is the
    // system's.
    bool m_closingByMenu = false;

    QLabel *Picture1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QTimer *Timer1 = nullptr;
    QMenu *menu = nullptr;
    QAction *m_speakAction = nullptr;
    MouseMover *m_mover = nullptr;
};
