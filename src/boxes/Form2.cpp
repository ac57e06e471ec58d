#include "boxes/Form2.h"

#include "settings/SettingsKeys.h"

#include "widgets/AniGif.h"
#include "widgets/Controls.h"
#include "widgets/Geometry.h"
#include "widgets/LengthLimit.h"
#include "widgets/WordTips.h"
#include "widgets/XpCmdButton.h"
#include "dict/Dictionary.h"
#include "record/RecordStore.h"
#include "chrome/SkinnedFrame.h"
#include "chrome/XpCanvas.h"
#include "widgets/GroupLoading.h"
#include "settings/CIniFile.h"
#include "settings/LibraryRegistry.h"
#include "settings/UserDialogs.h"
#include "speech/WordSpeaker.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <limits>

// The pictures live in a static library, whose resource registration the
// linker would otherwise drop.
static void initBoxesResources()
{
    Q_INIT_RESOURCE(boxes);
}

namespace {

const QString &kSection = SettingsKeys::BoxWindow;

// The client area, and the height of the title band that the frame draws
// across its top; the controls stay below it.
constexpr int kClientWidth = 7695;
constexpr int kClientHeight = 6255;

// Rows: word cells and meaning cells, 29 pixels apart.
constexpr int kRowTop = 1440;
constexpr int kRowPitch = 435;
constexpr int kRowHeight = 390;
constexpr int kWordLeft = 2040;
constexpr int kWordWidth = 2100;
constexpr int kMeaningLeft = 4200;
constexpr int kMeaningWidth = 2790;

// Boxes: one slot of 46 pixels each, box 0 at the top.
constexpr int kBoxTop = 1440;
constexpr int kBoxPitch = 690;

const char *const kBoxCaptions[LibraryRegistry::BoxCount] = {"盒零", "盒一", "盒二", "盒三", "盒四"};

// The group number in Text2 as a number the window can count with: digits
// only, and small enough for a 16-bit group number. Blanks around it (a
// pasted " 3") do not count, as in the browse bar.
bool groupValue(const QString &text, int &value)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || HasNonDigit(digits))
        return false;
    bool ok = false;
    const int parsed = digits.toInt(&ok);
    if (!ok || parsed > std::numeric_limits<qint16>::max())
        return false;
    value = parsed;
    return true;
}

bool contains(const QWidget *target, const QPoint &globalPos)
{
    return target->isVisible() && target->rect().contains(target->mapFromGlobal(globalPos));
}

} // namespace

Form2::Form2(const WindowContext &context)
    : QWidget(nullptr)
    , m_context(context)
    , m_speaker(context.speaker)
{
    initBoxesResources();
    setAttribute(Qt::WA_DeleteOnClose);
    createControls();
    load();
}

Form2::~Form2()
{
    endDrag();
}

void Form2::createControls()
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Kelvaro--Lexivane V1.0"));
    // Not a fixed size: the skinned frame resizes the window from its edges.
    resize(twips(kClientWidth), twips(kClientHeight));
    setAutoFillBackground(true);
    fixLightLook(this);

    QFont kai(QStringLiteral("楷体_GB2312"), 12);
    setFont(kai);

    // The frame control covers the client area and draws the title bar; the
    // controls below are placed clear of its 29-pixel title.
    xp_canvas1 = new QWidget(this);
    xp_canvas1->setObjectName(QStringLiteral("xp_canvas1"));
    placeTwips(xp_canvas1, 0, 0, kClientWidth, kClientHeight);
    xp_canvas1 = installSkinnedFrame(this, xp_canvas1, QStringLiteral("Kelvaro--Lexivane V1.0"), boxWindowIconFile());

    const auto label = [this](const QString &name, const QString &text, int l, int t, int w, int h) {
        auto *created = new QLabel(text, this);
        created->setObjectName(name);
        placeTwips(created, l, t, w, h);
        return created;
    };

    // Heading line.
    Label5 = label(QStringLiteral("Label5"), QStringLiteral("月光宝盒"), 180, 570, 1500, 360);
    Label5->setFont(QFont(QStringLiteral("楷体_GB2312"), 14, QFont::Bold));
    setTextColour(Label5, QColor(128, 64, 0));
    Label2 = label(QStringLiteral("Label2"), QStringLiteral("组号："), 2550, 570, 750, 360);

    Text2 = new QLineEdit(QStringLiteral("1"), this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setToolTip(QStringLiteral("可以直接在这里输入组号。"));
    limitTypedLength(Text2, 5);
    placeTwips(Text2, 3300, 570, 840, 360);
    Text2->installEventFilter(this);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    placeTwips(Combo1, 4350, 555, 3000, 390);
    Combo1->installEventFilter(this);

    // The hide boxes over their columns.
    Label3 = label(QStringLiteral("Label3"), QStringLiteral("隐藏"), kWordLeft + 60, 1020, 600, 330);
    Check1 = new QCheckBox(this);
    Check1->setObjectName(QStringLiteral("Check1"));
    placeTwips(Check1, kWordLeft + 660, 1035, 300, 300);
    connect(Check1, &QCheckBox::toggled, this, &Form2::showWordColumn);

    Label6 = label(QStringLiteral("Label6"), QStringLiteral("隐藏"), kMeaningLeft + 60, 1020, 600, 330);
    Check2 = new QCheckBox(this);
    Check2->setObjectName(QStringLiteral("Check2"));
    placeTwips(Check2, kMeaningLeft + 660, 1035, 300, 300);
    connect(Check2, &QCheckBox::toggled, this, &Form2::showMeaningColumn);

    // The five boxes, each with its count to its left and its caption below.
    const QPixmap boxPicture(QStringLiteral(":/boxes/box.png"));
    for (int box = 0; box < LibraryRegistry::BoxCount; ++box) {
        const int top = kBoxTop + kBoxPitch * box;
        QLabel *picture = label(QStringLiteral("Picture1_%1").arg(box), QString(), 780, top, 660, 450);
        picture->setPixmap(boxPicture);
        picture->setAlignment(Qt::AlignCenter);
        picture->setToolTip(QStringLiteral("可以把你认为难记的单词拉来这里组成一个新词库。"));
        Picture1[size_t(box)] = picture;

        QLabel *caption = label(QStringLiteral("Label7_%1").arg(box), QString::fromUtf8(kBoxCaptions[box]), 720,
                                top + 450, 780, 225);
        caption->setFont(QFont(QStringLiteral("楷体_GB2312"), 9));
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        Label7[size_t(box)] = caption;

        QLabel *count = label(QStringLiteral("Label4_%1").arg(box), QStringLiteral("0"), 90, top + 45, 630, 360);
        count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        count->setFont(QFont(QStringLiteral("Trebuchet MS"), 10, QFont::Bold));
        setTextColour(count, QColor(160, 32, 32));
        Label4[size_t(box)] = count;
    }

    // The rows: word cells (drag sources) and meaning cells.
    const QCursor dragCursor(QPixmap(QStringLiteral(":/boxes/drag_word.png")), 1, 1);
    for (int row = 0; row < RowCount; ++row) {
        const int top = kRowTop + kRowPitch * row;
        QLabel *word = label(QStringLiteral("Label1_%1").arg(row), QString(), kWordLeft, top, kWordWidth, kRowHeight);
        word->setFont(QFont(QStringLiteral("Trebuchet MS"), 11, QFont::Bold));
        word->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        word->setAutoFillBackground(true);
        QPalette cell = word->palette();
        cell.setColor(QPalette::Window, QColor(255, 255, 250));
        cell.setColor(QPalette::WindowText, QColor(0, 0, 128));
        word->setPalette(cell);
        word->setIndent(4);
        word->setToolTip(QStringLiteral("如果隐藏了中文，点右键可以查看所点单词的中文词意。"));
        word->installEventFilter(this);
        Label1[size_t(row)] = word;

        auto *meaning = new QLineEdit(this);
        meaning->setObjectName(QStringLiteral("Text1_%1").arg(row));
        meaning->setReadOnly(true);
        meaning->setFont(QFont(QStringLiteral("宋体"), 11));
        placeTwips(meaning, kMeaningLeft, top, kMeaningWidth, kRowHeight);
        meaning->installEventFilter(this);
        Text1[size_t(row)] = meaning;
    }
    m_dragCursor = dragCursor;
    // A word cell's tooltip starts with the word's phonetic and full meaning;
    // a hidden column stays hidden (only the phonetic while meanings are).
    // Below it, the sentence of the text the word was found in: it holds the
    // word, so it goes with the word column, but not its meaning, so hidden
    // meanings keep it. A box word no longer knows its library: any text's
    // sentence for it will do.
    WordTips::attach(this, QList<QWidget *>(Label1.begin(), Label1.end()), [this](QWidget *cell) {
        const WordEntry *entry = entryAt(int(std::find(Label1.begin(), Label1.end(), cell) - Label1.begin()));
        if (entry == nullptr || Check1->isChecked())
            return QString();
        return withSourceLine(m_context.dictionary.describe(entry->Word, !Check2->isChecked()),
                              m_context.record.sourceSentence(m_showsBox ? QString() : CurrentLibFile, entry->Word));
    });

    VScroll1 = new QScrollBar(Qt::Vertical, this);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    VScroll1->setRange(FirstScrollValue, LastScrollValue);
    VScroll1->setValue(FirstScrollValue);
    VScroll1->setPageStep(RowCount);
    // Dragging the thumb redraws once it is let go.
    VScroll1->setTracking(false);
    placeTwips(VScroll1, kMeaningLeft + kMeaningWidth + 60, kRowTop, 270, kRowPitch * (RowCount - 1) + kRowHeight);
    connect(VScroll1, &QScrollBar::valueChanged, this, &Form2::ScrollWords);

    // Under the boxes: the two buttons.
    xpcmdbutton1 = new XpCmdButton(QStringLiteral("  开始"), 0, this);
    xpcmdbutton1->setObjectName(QStringLiteral("xpcmdbutton1"));
    xpcmdbutton2 = new XpCmdButton(QStringLiteral("  返回"), 0, this);
    xpcmdbutton2->setObjectName(QStringLiteral("xpcmdbutton2"));
    for (XpCmdButton *button : {xpcmdbutton1, xpcmdbutton2})
        button->setFont(QFont(QStringLiteral("楷体_GB2312"), 11));
    placeTwips(xpcmdbutton1, 180, 5010, 1500, 510);
    placeTwips(xpcmdbutton2, 180, 5580, 1500, 510);
    connect(xpcmdbutton1, &XpCmdButton::pressedAt, this, [this] { loadGroup(); });
    connect(xpcmdbutton2, &XpCmdButton::pressedAt, this, [this] { close(); });

    // Under the rows: the delete target and the animation.
    Picture2 = label(QStringLiteral("Picture2"), QString(), 2250, 5010, 1080, 1080);
    Picture2->setPixmap(QPixmap(QStringLiteral(":/boxes/delete.png")));
    Picture2->setAlignment(Qt::AlignCenter);
    Picture2->setToolTip(QStringLiteral("将单词拉来这里就可以把它从词库里删除。建议在删除之前先备份原始词库。"));

    AniGIF1 = new AniGif(QStringLiteral(":/boxes/boxes.gif"), this);
    AniGIF1->setObjectName(QStringLiteral("AniGIF1"));
    placeTwips(AniGIF1, 3480, 5010, 1080, 1080);

    // Bottom right: previous and next group.
    Picture4 = label(QStringLiteral("Picture4"), QString(), 6000, 5430, 660, 540);
    Picture4->setPixmap(QPixmap(QStringLiteral(":/boxes/previous.png")));
    Picture4->setToolTip(QStringLiteral("上一组"));
    Picture4->setCursor(QCursor(QPixmap(QStringLiteral(":/boxes/pointer_previous.png")), 1, 1));
    Picture4->installEventFilter(this);

    Picture3 = label(QStringLiteral("Picture3"), QString(), 6720, 5430, 660, 540);
    Picture3->setPixmap(QPixmap(QStringLiteral(":/boxes/next.png")));
    Picture3->setToolTip(QStringLiteral("下一组"));
    Picture3->setCursor(QCursor(QPixmap(QStringLiteral(":/boxes/pointer_next.png")), 1, 1));
    Picture3->installEventFilter(this);
}

int Form2::SetLibName()
{
    return fillLibraryList(m_context.ini, Combo1);
}

void Form2::reloadLibraryList()
{
    refillLibraryList(m_context.ini, Combo1);
}

void Form2::load()
{
    SetLibName();
    IniBoxSum();
    restoreGroupChoice(m_context.ini, kSection, Text2, Combo1);
}

void Form2::FormReset()
{
    CurrentIndex = 0;
    WordCount = 0;
    for (QLabel *word : Label1)
        word->clear();
    for (QLineEdit *meaning : Text1)
        meaning->clear();
    for (int i = 0; i < GroupSize; ++i) {
        Words[size_t(i)].Word.clear();
        Words[size_t(i)].Meaning.clear();
    }
}

void Form2::ScrollWords()
{
    showWordColumn();
    showMeaningColumn();
}

void Form2::showWordColumn()
{
    const int value = VScroll1->value();
    for (int row = RowCount - 1; row >= 0; --row) {
        const WordEntry &entry = Words[size_t(entryIndex(value, row))];
        Label1[size_t(row)]->setText(Check1->isChecked() ? QString() : entry.Word);
    }
}

void Form2::showMeaningColumn()
{
    const int value = VScroll1->value();
    for (int row = RowCount - 1; row >= 0; --row) {
        const WordEntry &entry = Words[size_t(entryIndex(value, row))];
        Text1[size_t(row)]->setText(Check2->isChecked() ? QString() : entry.Meaning);
        // setText() leaves the cursor at the end, which scrolls a meaning
        // longer than its cell to its last senses: show it from the start.
        Text1[size_t(row)]->setCursorPosition(0);
    }
}

qint16 Form2::ReadWords(const QString &groupText, const QString &libraryName)
{
    bool reset = false;
    GroupLoaderSetup setup;
    setup.section = kSection;
    setup.libraryIndex = Combo1->currentIndex();
    setup.lastGroupNotice = true;
    setup.formReset = [this, &reset] {
        reset = true;
        FormReset();
    };
    GroupLoadDetails details;
    const qint16 loaded = loadGroupFor(m_context, setup, groupText, libraryName, Words, WordCount, &details);
    // The rows now belong to this file (even if it turned out empty). A load
    // that failed before the reset left the old group, and its file, in place.
    if (reset) {
        CurrentLibFile = details.fileName;
        m_showsBox = details.isBox;
    }
    return loaded;
}

void Form2::IniBoxSum()
{
    BoxStore::BoxCounts counts;
    for (int box = 0; box < LibraryRegistry::BoxCount; ++box)
        counts[size_t(box)] = Label4[size_t(box)]->text();
    BoxStore::IniBoxSum(m_context.dataDir, counts);
    for (int box = 0; box < LibraryRegistry::BoxCount; ++box)
        Label4[size_t(box)]->setText(counts[size_t(box)]);
}

const WordEntry *Form2::entryAt(int row) const
{
    const int index = entryIndex(VScroll1->value(), row);
    return index >= 0 && index < int(Words.size()) ? &Words[size_t(index)] : nullptr;
}

void Form2::DeleteWord(int row)
{
    // Copied first: the reload below refills the table the entry lives in.
    const WordEntry *entry = entryAt(row);
    const WordEntry deleted = entry ? *entry : WordEntry{};
    const QString libraryFile = CurrentLibFile;
    const BoxStore::DeleteOutcome outcome = BoxStore::DeleteWord(m_context.dataDir, CurrentLibFile, entry);
    if (outcome != BoxStore::DeleteOutcome::Deleted) {
        m_context.dialogs.message(BoxStore::messageFor(outcome));
        return;
    }
    emit wordDeleted(Combo1->currentText(), libraryFile, deleted.Word, deleted.Meaning);
    // Show the library as it is now. The group box and the scroll bar stay as
    // they are.
    if (ReadWords(Text2->text(), Combo1->currentText()) != 0)
        ScrollWords();
}

void Form2::dropOnBox(int box, int row)
{
    QString caption = Label4[size_t(box)]->text();
    const WordEntry *entry = entryAt(row);
    const BoxStore::AddOutcome outcome = BoxStore::addWord(m_context.dataDir, box, entry, caption);
    if (outcome != BoxStore::AddOutcome::Added)
        m_context.dialogs.message(BoxStore::messageFor(outcome));
    else if (entry)
        emit wordAddedToBox(box, Combo1->currentText(), CurrentLibFile, entry->Word, entry->Meaning);
    Label4[size_t(box)]->setText(caption);
}

void Form2::dropOnDeleteTarget(int row)
{
    DeleteWord(row);
    // The library may have been a box.
    IniBoxSum();
}

void Form2::loadGroup()
{
    const qint16 loaded = ReadWords(Text2->text(), Combo1->currentText());
    if (loaded == 0)
        return;
    Text2->setText(QString::number(loaded));
    ScrollWords();
}

void Form2::nextGroup()
{
    stepGroup(1);
}

void Form2::previousGroup()
{
    stepGroup(-1);
}

void Form2::stepGroup(int step)
{
    const QString text = Text2->text();
    int value = 0;
    const bool usable = groupValue(text, value) && value + step <= std::numeric_limits<qint16>::max();
    if (step < 0 && usable && value < 2)
        return;
    // A group box we cannot count from goes to the loader as it stands, so
    // the user hears what is wrong with it.
    const QString asked = usable ? QString::number(value + step) : text;
    const qint16 loaded = ReadWords(asked, Combo1->currentText());
    VScroll1->setValue(FirstScrollValue);
    Text2->setText(QString::number(loaded));
    ScrollWords();
}

void Form2::unload()
{
    m_returnToTestWindow = false;
    close();
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F2) {
            speakRow(0, true);
            return true;
        }
        if (watched == Text2)
            return text2KeyPress(key->key(), key->text());
        if (watched == Combo1 && isEnterKey(key->key())) {
            loadGroup();
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::InputMethod && watched == Text2) {
        if (keepDigitsOfCommit(static_cast<QInputMethodEvent *>(event)))
            m_context.dialogs.beep();
        return QWidget::eventFilter(watched, event);
    }

    for (int row = 0; row < RowCount; ++row) {
        if (watched == Label1[size_t(row)])
            return wordCellMouse(row, event);
        if (watched == Text1[size_t(row)])
            return meaningCellMouse(row, event);
    }

    if (watched == Picture3 || watched == Picture4) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::MouseButtonRelease: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const auto *picture = static_cast<QWidget *>(watched);
            if (mouse->button() == Qt::LeftButton && picture->rect().contains(mouse->position().toPoint())) {
                if (watched == Picture3)
                    nextGroup();
                else
                    previousGroup();
            }
            return true;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool Form2::text2KeyPress(int key, const QString &text)
{
    if (isEnterKey(key)) {
        loadGroup();
        return true;
    }
    if (!refusedInNumberBox(key, text))
        return false;
    m_context.dialogs.beep();
    return true;
}

bool Form2::wordCellMouse(int row, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            beginDrag(row);
        } else if (mouse->button() == Qt::RightButton) {
            // Peek at the meaning, hidden or not.
            const WordEntry &entry = Words[size_t(entryIndex(VScroll1->value(), row))];
            Text1[size_t(row)]->setText(entry.Meaning);
            Text1[size_t(row)]->setCursorPosition(0);
            if (event->type() == QEvent::MouseButtonPress)
                speakRow(row, false);
        }
        return true;
    }
    case QEvent::MouseMove:
        if (m_dragRow >= 0)
            dragMovedTo(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        return true;
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        // Let go anywhere but on a target: the drag ends with no effect.
        if (mouse->button() == Qt::LeftButton)
            endDrag();
        if (Check2->isChecked())
            Text1[size_t(row)]->clear();
        return true;
    }
    default:
        return false;
    }
}

bool Form2::meaningCellMouse(int row, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            // Peek at the word, hidden or not.
            const WordEntry &entry = Words[size_t(entryIndex(VScroll1->value(), row))];
            Label1[size_t(row)]->setText(entry.Word);
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (Check1->isChecked())
            Label1[size_t(row)]->clear();
        return false;
    default:
        return false;
    }
}

void Form2::beginDrag(int row)
{
    endDrag();
    m_dragRow = row;
    m_dragCell = Label1[size_t(row)];
    // The cell holds the mouse until the drag ends, wherever the pointer goes,
    // and the pointer shows that a word is being carried.
    m_dragCell->grabMouse(m_dragCursor);
}

void Form2::dragMovedTo(const QPoint &globalPos)
{
    const int row = m_dragRow;
    for (int box = 0; box < LibraryRegistry::BoxCount; ++box) {
        if (contains(Picture1[size_t(box)], globalPos)) {
            // The drag ends the moment the word reaches a target, so the
            // target acts once, before any message box appears.
            endDrag();
            dropOnBox(box, row);
            return;
        }
    }
    if (contains(Picture2, globalPos)) {
        endDrag();
        dropOnDeleteTarget(row);
    }
}

void Form2::endDrag()
{
    if (m_dragCell)
        m_dragCell->releaseMouse();
    m_dragCell.clear();
    m_dragRow = -1;
}

void Form2::speakRow(int row, bool onRequest)
{
    const QString &word = Words[size_t(entryIndex(VScroll1->value(), row))].Word;
    if (onRequest)
        m_speaker.speakOnRequest(word);
    else
        m_speaker.speak(word);
}

void Form2::keyPressEvent(QKeyEvent *event)
{
    // Keys no control took: F2 speaks the top row's word.
    if (event->key() == Qt::Key_F2) {
        speakRow(0, true);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form2::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void Form2::mouseReleaseEvent(QMouseEvent *event)
{
    // A click on the background redraws the rows.
    if (rect().contains(event->position().toPoint()))
        ScrollWords();
    event->accept();
}

void Form2::hideEvent(QHideEvent *event)
{
    endDrag();
    QWidget::hideEvent(event);
}

void Form2::closeEvent(QCloseEvent *event)
{
    endDrag();
    event->accept();
    // The program always keeps a window on the screen: closing this one in
    // any way leads back to the test window, unless the program is ending.
    if (m_returnToTestWindow)
        emit testWindowWanted();
}
