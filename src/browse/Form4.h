#pragma once

#include "browse/BrowseWalk.h"
#include "widgets/WindowContext.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The browse settings dialog. Its controls are the live store of the browse
// options while browse mode runs: the browse bar reads and changes them,
// also while the dialog is hidden. It fills them from the settings file when
// it is created and writes them all back on "确定".
// What each control shows, and from where: docs/controls.md.
class Form4 : public QWidget
{
    Q_OBJECT

public:
    explicit Form4(const WindowContext &context);
    ~Form4() override;

    // The options, as the browse bar reads and writes them.
    QString libraryName() const;
    int libraryIndex() const;
    QString groupText() const;
    void setGroupText(const QString &text);
    QString delayText() const;
    void setDelayText(const QString &text);
    // "顺序", else "倒序", else "随机" (also when no order is selected).
    BrowseOrder order() const;
    // "循环本组" rather than "一直向下".
    bool loopsThisGroup() const;
    bool hidesMeaning() const;
    bool hidesWord() const;

    // Fills Combo1 with the library list; returns the number of entries added.
    int SetLibName();
    // Fills Combo1 anew after the list changed, keeping the chosen library
    // selected where it is still listed (else the first entry; nothing stays
    // nothing).
    void reloadLibraryList();
    // "确定": checks the input, opens the browse bar, saves, closes.
    void Command1_Click();
    // Closes and destroys the dialog without saving (the bar's "返回").
    void dismiss();

signals:
    // "确定" with valid settings: the bar is to open (or come forward) and
    // read them.
    void browseBarRequested();
    // Sent as the dialog closes; `byUser` when its own close control closed
    // it without "确定".
    void closed(Form4 *dialog, bool byUser);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void load();
    QString firstProblem() const;
    void save();

    WindowContext m_context;
    // Set while the program itself closes the dialog; any other close comes
    // from the user's close control.
    bool m_closingByProgram = false;

    QLabel *Label2 = nullptr;
    QLineEdit *Text2 = nullptr;
    QComboBox *Combo1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QCheckBox *Check1 = nullptr;
    QCheckBox *Check2 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QRadioButton *Option3 = nullptr;
    QRadioButton *Option4 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLabel *Label3 = nullptr;
    QGroupBox *Frame4 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QRadioButton *Option5 = nullptr;
    QPushButton *Command1 = nullptr;
};
