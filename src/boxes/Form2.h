#pragma once

#include "boxes/BoxStore.h"
#include "library/WordTable.h"
#include "widgets/WindowContext.h"

#include <QCursor>
#include <QPointer>
#include <QWidget>

#include <array>

class AniGif;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QScrollBar;
class WordSpeaker;
class XpCmdButton;

// The box window: one group of a library, eight rows at a time. Words or
// meanings can be hidden and peeked at, and a word dragged onto one of the
// five boxes is added to that box, or onto the delete target is removed from
// its library.
// What each control shows, and from where: docs/controls.md.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    explicit Form2(const WindowContext &context);
    ~Form2() override;

    // Rows shown at a time, and the range of the scroll bar.
    static constexpr int RowCount = 8;
    static constexpr int FirstScrollValue = 7;
    static constexpr int LastScrollValue = 24;

    // The table slot shown in `row` (0 = top) at scroll value `scrollValue`.
    static constexpr int entryIndex(int scrollValue, int row) { return scrollValue - FirstScrollValue + row; }

    // Empties the rows and the word table.
    void FormReset();
    // Redraws the eight rows from the word table.
    void ScrollWords();
    // This window's group loader; also remembers the file the group came from.
    qint16 ReadWords(const QString &groupText, const QString &libraryName);
    // Fills Combo1 with the library list; returns the number of entries added.
    int SetLibName();
    // Fills Combo1 anew after the list changed, keeping the chosen library
    // selected where it is still listed (else the first entry; nothing stays
    // nothing).
    void reloadLibraryList();
    // Recounts the boxes from their files.
    void IniBoxSum();
    // Removes the word of `row` from the library the shown group came from,
    // then loads the group named by Text2 and Combo1 again.
    void DeleteWord(int row);

    // Loads the group typed in Text2 from the library chosen in Combo1.
    void loadGroup();
    void nextGroup();
    void previousGroup();
    // The word of `row` dropped on box `box`, and on the delete target.
    void dropOnBox(int box, int row);
    void dropOnDeleteTarget(int row);

    // Closes the window without bringing back the test window: the program
    // is ending.
    void unload();

    const WordTable &words() const { return Words; }
    qint16 wordCount() const { return WordCount; }
    QString currentLibFile() const { return CurrentLibFile; }
    // The row being dragged, or -1.
    int draggedRow() const { return m_dragRow; }

signals:
    // The window was closed while the program goes on: the test window comes
    // back as it was left.
    void testWindowWanted();
    // A word of library `library` (file `libraryFile`) was put into box
    // `box`, or deleted from its library.
    void wordAddedToBox(int box, const QString &library, const QString &libraryFile, const QString &word,
                        const QString &meaning);
    void wordDeleted(const QString &library, const QString &libraryFile, const QString &word, const QString &meaning);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // The slot of the group shown in `row`, or null when the row shows none.
    const WordEntry *entryAt(int row) const;
    void createControls();
    void load();
    bool text2KeyPress(int key, const QString &text);
    bool wordCellMouse(int row, QEvent *event);
    bool meaningCellMouse(int row, QEvent *event);
    void showWordColumn();
    void showMeaningColumn();
    void stepGroup(int step);
    // The word of the entry shown in `row`, spoken.
    void speakRow(int row, bool onRequest);

    // Our own drag of a word cell: it follows the pointer from the press and
    // acts on the first target the pointer enters.
    void beginDrag(int row);
    void dragMovedTo(const QPoint &globalPos);
    void endDrag();

    WindowContext m_context;
    WordSpeaker &m_speaker;

    WordTable Words;
    qint16 WordCount = 0;
    qint16 CurrentIndex = 0;
    QString CurrentLibFile;
    // CurrentLibFile is one of the five boxes.
    bool m_showsBox = false;

    bool m_returnToTestWindow = true;
    int m_dragRow = -1;
    QPointer<QLabel> m_dragCell;
    QCursor m_dragCursor;

    QWidget *xp_canvas1 = nullptr;
    QLabel *Label5 = nullptr;
    std::array<QLabel *, LibraryRegistry::BoxCount> Picture1{};
    std::array<QLabel *, LibraryRegistry::BoxCount> Label7{};
    std::array<QLabel *, LibraryRegistry::BoxCount> Label4{};
    QLabel *Label2 = nullptr;
    QLineEdit *Text2 = nullptr;
    QComboBox *Combo1 = nullptr;
    QLabel *Label3 = nullptr;
    QCheckBox *Check1 = nullptr;
    QLabel *Label6 = nullptr;
    QCheckBox *Check2 = nullptr;
    std::array<QLabel *, RowCount> Label1{};
    std::array<QLineEdit *, RowCount> Text1{};
    QScrollBar *VScroll1 = nullptr;
    QLabel *Picture2 = nullptr;
    QLabel *Picture4 = nullptr;
    QLabel *Picture3 = nullptr;
    XpCmdButton *xpcmdbutton1 = nullptr;
    XpCmdButton *xpcmdbutton2 = nullptr;
    AniGif *AniGIF1 = nullptr;
};
