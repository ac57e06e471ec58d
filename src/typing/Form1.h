#pragma once

#include "library/WordTable.h"
#include "record/ReviewWords.h"
#include "typing/TypingTest.h"
#include "widgets/WindowContext.h"

#include <QKeySequence>
#include <QWidget>

#include <QList>

#include <array>
#include <functional>

class AniGif;
class MouseMover;
class QComboBox;
class QLabel;
class QLineEdit;
class QScrollBar;
class WordSpeaker;
class XpCanvas;
class XpCmdButton;
class XpTopButtons;

// The test window: the start-up window and hub of the program. It asks the
// meaning of each word of a group, the user types the word, and wrongly
// answered words are asked again until a pass has no mistakes.
// What each control shows, and from where: docs/controls.md.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(const WindowContext &context);
    ~Form1() override;

    // Result colours kept in WordEntry::Mark, as 0x00BBGGRR.
    static constexpr qint32 MarkUnanswered = TypingTest::MarkUnanswered;
    static constexpr qint32 MarkWrong = TypingTest::MarkWrong;
    static constexpr qint32 MarkRight = TypingTest::MarkRight;

    // Empties the display and the word table.
    void FormReset();
    // Shows the total and the meaning of the word being asked.
    void RememberWords();
    // The end-of-group question and the following load.
    void remember_next_term();
    // The mode buttons: 0 test, 1 box window, 2 browse bar, 4 quit.
    void ChoiceWork(int index);
    // Loads the group typed in Text2 from the library chosen in Combo1.
    void startTest();
    // This window's group loader.
    qint16 ReadWords(const QString &groupText, const QString &libraryName);
    // Fills Combo1 with the library list; returns the number of entries added.
    int SetLibName();
    // Fills Combo1 anew after the list changed, keeping the chosen library
    // selected where it is still listed (else the first entry; nothing stays
    // nothing).
    void reloadLibraryList();

    const WordTable &words() const { return m_test.words(); }
    qint16 wordCount() const { return m_test.wordCount(); }
    qint16 currentIndex() const { return m_test.currentIndex(); }
    // The test this window shows; its answers feed whoever listens.
    TypingTest &test() { return m_test; }

    // Where the group being tested came from, as it was loaded (the group
    // box may have been edited since).
    struct GroupOrigin
    {
        QString library;
        QString libraryFile;
        int group = 0;
    };
    const GroupOrigin &groupOrigin() const { return m_origin; }
    // Where the word being asked comes from: the loaded group, or in a
    // review the word's own library.
    GroupOrigin currentOrigin() const;

    // 今日复习: the words `source` gives are asked like a group (same
    // judging, messages and re-test passes). At the end Yes asks the next
    // words of `source` and No these again; when `source` has no more, the
    // window goes back to its library. Loading a group ends the review.
    // Nothing of it is remembered in the settings file. False, and nothing
    // changes, when `source` gives no word.
    using ReviewSource = std::function<QList<ReviewWord>()>;
    bool startReview(ReviewSource source);
    bool isReviewing() const { return bool(m_reviewSource); }
    static QString reviewCaption() { return QStringLiteral("今日复习"); }

    // Opens the library manager from the test window.
    static QKeySequence libraryManagerKey();

signals:
    // A click (left or right) on the book picture Picture1: the application
    // opens its pop-up menu there.
    void bookMenuRequested(const QPoint &globalPos);
    // The library manager's keyboard shortcut was pressed.
    void libraryManagerRequested();
    // "单词浏览": the box window in place of this one.
    void boxWindowRequested();
    // "迷你模式": the browse bar in place of this one.
    void browseBarRequested();
    // The window was closed: it is to be unloaded.
    void closed();
    // A pass without mistakes finished the group; the end question follows.
    void groupFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createControls();
    void load();
    bool text1KeyPress(int key, const QString &text);
    bool text2KeyPress(int key, const QString &text);
    void judgeAnswer();
    void showCounts();
    void startRetestPass();
    void showLine(int line, const WordEntry &entry);
    void VScroll1_Change(int value);
    void AniGIF1_MouseDown(int button, const QPoint &globalPos);
    // F2: the word being asked, spoken as a listening hint.
    void speakCurrentWord();

    WindowContext m_context;
    WordSpeaker &m_speaker;

    TypingTest m_test;
    GroupOrigin m_origin;
    ReviewSource m_reviewSource;
    QList<ReviewWord> m_reviewWords;
    int m_libraryBeforeReview = -1;
    void askReviewWords();
    void endReview();

    XpCanvas *xp_canvas1 = nullptr;
    XpTopButtons *xptopbuttons1 = nullptr;
    QLabel *Picture1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Text2 = nullptr;
    QComboBox *Combo1 = nullptr;
    std::array<QLabel *, 6> Label3{};
    QScrollBar *VScroll1 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    AniGif *AniGIF1 = nullptr;
    MouseMover *m_aniMover = nullptr;
};
