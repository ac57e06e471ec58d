#include "browse/Form4.h"

#include "settings/SettingsKeys.h"

#include "widgets/Controls.h"
#include "widgets/Geometry.h"
#include "widgets/GroupLoading.h"
#include "widgets/LengthLimit.h"
#include "settings/CIniFile.h"
#include "settings/LibraryRegistry.h"
#include "settings/UserDialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace {

const QString &kSection = SettingsKeys::Browse;

} // namespace

Form4::Form4(const WindowContext &context)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_context(context)
{
    setAttribute(Qt::WA_DeleteOnClose);
    createControls();
    load();
}

Form4::~Form4() = default;

void Form4::createControls()
{
    setObjectName(QStringLiteral("Form4"));
    // The option colours are fixed, so the face behind them is too: the
    // light face this dialog has on a light desktop.
    fixLightLook(this, standardLightFace());
    setWindowTitle(QStringLiteral("Lexivane"));
    setFixedSize(twips(5310), twips(4065));
    QFont kai(QStringLiteral("楷体_GB2312"));
    kai.setPixelSize(15);
    setFont(kai);

    // Style sheets (the frames' captions) give a control the desktop's
    // palette again when it is polished; polish the frames and what is in
    // them first, then give them the fixed look.
    const auto keepFixedLook = [](QWidget *control) {
        control->ensurePolished();
        fixLightLook(control, standardLightFace());
    };
    const QColor captionColour(0, 0, 128);
    const QColor optionColour(128, 0, 64);
    QFont li(QStringLiteral("隶书"));
    li.setPointSizeF(14.25);

    const auto frame = [&](const char *name, const char *caption, int l, int t, int w, int h) {
        auto *box = new QGroupBox(QString::fromUtf8(caption), this);
        box->setObjectName(QString::fromLatin1(name));
        box->setFont(li);
        // The caption sits on the frame's top line, so the designed positions
        // of the buttons inside stay clear of it.
        box->setStyleSheet(QStringLiteral(
            "QGroupBox { border: 1px solid #a0a0a0; border-radius: 3px; margin-top: 9px; }"
            "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
            " left: 8px; padding: 0 2px; }"));
        keepFixedLook(box);
        setTextColour(box, captionColour);
        placeTwips(box, l, t, w, h);
        return box;
    };
    const auto option = [&](QGroupBox *parent, const char *name, const char *caption, int l, int t, int w,
                             int h) {
        auto *button = new QRadioButton(QString::fromUtf8(caption), parent);
        button->setObjectName(QString::fromLatin1(name));
        button->setFont(kai);
        keepFixedLook(button);
        setTextColour(button, optionColour);
        placeTwips(button, l, t, w, h);
        return button;
    };
    const auto check = [&](QGroupBox *parent, const char *name, const char *caption, int l, int t, int w, int h) {
        auto *box = new QCheckBox(QString::fromUtf8(caption), parent);
        box->setObjectName(QString::fromLatin1(name));
        box->setFont(kai);
        keepFixedLook(box);
        setTextColour(box, optionColour);
        placeTwips(box, l, t, w, h);
        return box;
    };

    // The group box comes first in the tab order.
    Text2 = new QLineEdit(QStringLiteral("1"), this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setToolTip(QStringLiteral("可以直接在这里输入组号。"));
    limitTypedLength(Text2, 4);
    placeTwips(Text2, 1080, 120, 975, 375);
    Text2->installEventFilter(this);

    Label2 = new QLabel(QStringLiteral("组号："), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    setTextColour(Label2, captionColour);
    placeTwips(Label2, 120, 120, 975, 375);

    // A pick from the list only: a typed name would not be in the list, and
    // the list index is what is remembered.
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    placeTwips(Combo1, 2160, 120, 3015, 405);

    Frame1 = frame("Frame1", "显示模式", 240, 600, 2175, 1335);
    Check1 = check(Frame1, "Check1", "隐藏中文", 240, 360, 1695, 255);
    Check2 = check(Frame1, "Check2", "隐藏英文", 240, 840, 1695, 375);

    Frame2 = frame("Frame2", "循环模式", 2880, 600, 2175, 1335);
    Option3 = option(Frame2, "Option3", "循环本组", 240, 360, 1695, 255);
    Option4 = option(Frame2, "Option4", "一直向下", 240, 840, 1695, 255);

    Frame3 = frame("Frame3", "间隔时间", 240, 2040, 2175, 1215);
    Text1 = new QLineEdit(QStringLiteral("3"), Frame3);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(kai);
    keepFixedLook(Text1);
    limitTypedLength(Text1, 1);
    placeTwips(Text1, 240, 480, 615, 375);
    Text1->installEventFilter(this);
    Label3 = new QLabel(QStringLiteral("秒/词"), Frame3);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setFont(kai);
    keepFixedLook(Label3);
    setTextColour(Label3, optionColour);
    placeTwips(Label3, 1200, 480, 855, 375);

    // None of the three orders is selected until the load picks one.
    Frame4 = frame("Frame4", "浏览模式", 2880, 2040, 2175, 1215);
    Option1 = option(Frame4, "Option1", "顺序", 360, 240, 1575, 300);
    Option2 = option(Frame4, "Option2", "倒序", 360, 577, 1575, 285);
    Option5 = option(Frame4, "Option5", "随机", 360, 900, 1575, 240);

    Command1 = new QPushButton(QStringLiteral("确定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    QFont song(QStringLiteral("宋体"));
    song.setPixelSize(16);
    Command1->setFont(song);
    placeTwips(Command1, 1920, 3360, 1575, 615);
    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);

    // Open in the middle of the screen.
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

int Form4::SetLibName()
{
    return fillLibraryList(m_context.ini, Combo1);
}

void Form4::reloadLibraryList()
{
    refillLibraryList(m_context.ini, Combo1);
}

void Form4::load()
{
    SetLibName();
    CIniFile &ini = m_context.ini;
    // Here -1 (nothing selected) is a remembered choice too.
    restoreGroupChoice(ini, kSection, Text2, Combo1, true);

    Check1->setChecked(ini.ReadString(kSection, SettingsKeys::HideMeaning, 10).trimmed() == QStringLiteral("True"));
    Check2->setChecked(ini.ReadString(kSection, SettingsKeys::HideWord, 10).trimmed() == QStringLiteral("True"));

    const QString loop = ini.ReadString(kSection, SettingsKeys::LoopMode, 5).trimmed();
    if (loop.isEmpty() || loop == QStringLiteral("This"))
        Option3->setChecked(true);
    else
        Option4->setChecked(true);

    const QString delay = ini.ReadString(kSection, SettingsKeys::Delay, 10).trimmed();
    Text1->setText(delay.isEmpty() ? QStringLiteral("1") : delay);

    // An order stored in another spelling selects none of the three buttons.
    const QString order = ini.ReadString(kSection, SettingsKeys::Order, 10);
    if (order.isEmpty() || order.trimmed() == QStringLiteral("Sequence"))
        Option1->setChecked(true);
    else if (order.trimmed() == QStringLiteral("Negative"))
        Option2->setChecked(true);
    else if (order.trimmed() == QStringLiteral("Random"))
        Option5->setChecked(true);
}

QString Form4::libraryName() const
{
    return Combo1->currentText();
}

int Form4::libraryIndex() const
{
    return Combo1->currentIndex();
}

QString Form4::groupText() const
{
    return Text2->text();
}

void Form4::setGroupText(const QString &text)
{
    Text2->setText(text);
}

QString Form4::delayText() const
{
    return Text1->text();
}

void Form4::setDelayText(const QString &text)
{
    Text1->setText(text);
}

BrowseOrder Form4::order() const
{
    if (Option1->isChecked())
        return BrowseOrder::Sequence;
    if (Option2->isChecked())
        return BrowseOrder::Negative;
    return BrowseOrder::Random;
}

bool Form4::loopsThisGroup() const
{
    return Option3->isChecked();
}

bool Form4::hidesMeaning() const
{
    return Check1->isChecked();
}

bool Form4::hidesWord() const
{
    return Check2->isChecked();
}

bool Form4::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == Text1 || watched == Text2) && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (refusedInNumberBox(key->key(), key->text())) {
            m_context.dialogs.beep();
            return true;
        }
        return false;
    }
    if ((watched == Text1 || watched == Text2) && event->type() == QEvent::InputMethod) {
        if (keepDigitsOfCommit(static_cast<QInputMethodEvent *>(event)))
            m_context.dialogs.beep();
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

QString Form4::firstProblem() const
{
    // Pasted text is not filtered as it is typed; these checks catch it.
    if (Text1->text().trimmed().isEmpty())
        return QStringLiteral("间隔时间设置不允许为空值！");
    if (Combo1->currentText().trimmed().isEmpty())
        return QStringLiteral("词库名字不允许为空值！");
    if (Text2->text().trimmed().isEmpty())
        return QStringLiteral("组号不允许为空值！");
    if (HasNonDigit(Text2->text()))
        return QStringLiteral("组号不允许含有非数字字符！");
    if (HasNonDigit(Text1->text()))
        return QStringLiteral("间隔时间不允许含有非数字字符！");
    return {};
}

void Form4::Command1_Click()
{
    const QString problem = firstProblem();
    if (!problem.isEmpty()) {
        m_context.dialogs.message(problem);
        return;
    }
    // The bar reads these controls as it opens; a group it could not load
    // still leaves it open, showing how to get back here.
    emit browseBarRequested();
    // By now the group box holds the group the bar really loaded.
    save();
    dismiss();
}

void Form4::save()
{
    CIniFile &ini = m_context.ini;
    ini.WriteString(kSection, SettingsKeys::WordGroup, Text2->text());
    ini.WriteString(kSection, SettingsKeys::WordLibrary, QString::number(Combo1->currentIndex()));
    ini.WriteString(kSection, SettingsKeys::HideMeaning,
                    Check1->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
    ini.WriteString(kSection, SettingsKeys::HideWord,
                    Check2->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
    ini.WriteString(kSection, SettingsKeys::LoopMode,
                    Option3->isChecked() ? QStringLiteral("This") : QStringLiteral("Next"));
    ini.WriteString(kSection, SettingsKeys::Order, browseOrderName(order()));
    ini.WriteString(kSection, SettingsKeys::Delay, Text1->text());
}

void Form4::dismiss()
{
    m_closingByProgram = true;
    close();
}

void Form4::closeEvent(QCloseEvent *event)
{
    // Closed by its own close control without "确定": nothing is saved, and
    // the test window comes back so that the program is never left without
    // a visible window. (While the bar runs, the dialog is hidden and only
    // the program closes it.)
    emit closed(this, !m_closingByProgram);
    event->accept();
}
