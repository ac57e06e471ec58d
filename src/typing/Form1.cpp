#include "typing/Form1.h"

#include "settings/SettingsKeys.h"

#include "widgets/AniGif.h"
#include "widgets/Controls.h"
#include "widgets/Geometry.h"
#include "widgets/LengthLimit.h"
#include "widgets/MouseMover.h"
#include "widgets/WordTips.h"
#include "widgets/XpCmdButton.h"
#include "chrome/SkinnedFrame.h"
#include "chrome/XpCanvas.h"
#include "chrome/XpTopButtons.h"
#include "widgets/GroupLoading.h"
#include "settings/CIniFile.h"
#include "settings/LibraryRegistry.h"
#include "text/Trim.h"
#include "settings/UserDialogs.h"
#include "speech/WordSpeaker.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHideEvent>
#include <QWindow>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QShortcut>
#include <QScrollBar>

namespace {

const QString &kSection = SettingsKeys::TestWindow;

QColor colourOfMark(qint32 mark)
{
    // Marks are stored as 0x00BBGGRR.
    return QColor(mark & 0xFF, (mark >> 8) & 0xFF, (mark >> 16) & 0xFF);
}

} // namespace

Form1::Form1(const WindowContext &context)
    : QWidget(nullptr)
    , m_context(context)
    , m_speaker(context.speaker)
{
    createControls();
    load();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kelvaro--Lexivane v1.0"));
    // The skinned frame resizes the window from its edges.
    resize(twips(7455), twips(5895));
    setAutoFillBackground(true);
    fixLightLook(this);

    QFont kai(QStringLiteral("楷体_GB2312"), 12);
    setFont(kai);

    // The frame control replaces the system frame and covers the client area;
    // the controls below are placed clear of its 29-pixel title.
    xp_canvas1 = createSkinnedFrame(this, twipsRect(0, 0, 7455, 5895), QStringLiteral("Kelvaro--Lexivane v1.0"),
                                    testWindowIconFile());

    xptopbuttons1 = new XpTopButtons(this);
    placeTwips(xptopbuttons1, 7080, 120, 315, 315);
    connect(xptopbuttons1, &XpTopButtons::Click, this, &QWidget::close);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(QPixmap(QStringLiteral(":/images/form1_picture.png")));
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(Picture1, 360, 720, 1095, 975);
    Picture1->installEventFilter(this);
    // No other key of the window uses Ctrl+L, and the line edits do not
    // take it either.
    auto *managerKey = new QShortcut(libraryManagerKey(), this);
    connect(managerKey, &QShortcut::activated, this, &Form1::libraryManagerRequested);

    Label2 = new QLabel(QStringLiteral("组号："), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    placeTwips(Label2, 2160, 720, 975, 375);

    Text2 = new QLineEdit(QStringLiteral("1"), this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setToolTip(QStringLiteral("可以直接在这里输入组号。"));
    limitTypedLength(Text2, 4);
    placeTwips(Text2, 3120, 720, 975, 375);
    Text2->installEventFilter(this);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    placeTwips(Combo1, 4200, 720, 3015, 405);
    Combo1->installEventFilter(this);

    const struct {
        int index;
        const char *caption;
        int top;
    } buttons[] = {
        {0, "  单词初记", 2040},
        {1, "  单词浏览", 3000},
        {2, "  迷你模式", 3960},
        {4, "  退出系统", 4920},
    };
    for (const auto &b : buttons) {
        auto *button = new XpCmdButton(QString::fromUtf8(b.caption), b.index, this);
        button->setObjectName(QStringLiteral("xpcmdbutton1_%1").arg(b.index));
        button->setFont(QFont(QStringLiteral("楷体_GB2312"), 11));
        placeTwips(button, 240, b.top, 1335, 615);
        connect(button, &XpCmdButton::pressedAt, this, &Form1::ChoiceWork);
    }

    for (int i = 0; i < int(Label3.size()); ++i) {
        Label3[i] = new QLabel(this);
        Label3[i]->setObjectName(QStringLiteral("Label3_%1").arg(i));
        placeTwips(Label3[i], 2040, 1440 + 360 * i, 2655, 255);
    }
    // A judged word's phonetic and full meaning: the tooltip of its line.
    WordTips::attachEntries(this, QList<QLabel *>(Label3.begin(), Label3.end()), m_context.dictionary);

    VScroll1 = new QScrollBar(Qt::Vertical, this);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    VScroll1->setRange(5, 24);
    VScroll1->setValue(5);
    placeTwips(VScroll1, 5040, 1440, 375, 2055);
    connect(VScroll1, &QScrollBar::valueChanged, this, &Form1::VScroll1_Change);

    const auto label = [this](const char *name, const char *text, int l, int t, int w, int h) {
        auto *created = new QLabel(QString::fromUtf8(text), this);
        created->setObjectName(QString::fromLatin1(name));
        placeTwips(created, l, t, w, h);
        return created;
    };
    Label5 = label("Label5", "正确：", 5880, 1440, 735, 375);
    Label4 = label("Label4", "0", 6840, 1440, 375, 375);
    Label6 = label("Label6", "错误", 5880, 2040, 735, 375);
    Label7 = label("Label7", "0", 6840, 2085, 375, 375);
    Label8 = label("Label8", "总数", 5880, 2640, 735, 375);
    Label9 = label("Label9", "0", 6840, 2640, 375, 375);
    Label10 = label("Label10", "", 5880, 3120, 1335, 375);
    Label1 = label("Label1", "", 2040, 3600, 5175, 855);
    Label1->setWordWrap(true);
    Label1->setFont(QFont(QStringLiteral("楷体_GB2312"), 15));
    setTextColour(Label1, QColor(0, 0, 128));

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(QFont(QStringLiteral("楷体_GB2312"), 18));
    placeTwips(Text1, 2040, 4800, 5175, 735);
    Text1->installEventFilter(this);

    AniGIF1 = new AniGif(QStringLiteral(":/images/globe.gif"), this);
    AniGIF1->setObjectName(QStringLiteral("AniGIF1"));
    placeTwips(AniGIF1, 6000, 3960, 1575, 1575);
    m_aniMover = new MouseMover(AniGIF1, this);
    connect(AniGIF1, &AniGif::mouseDown, this, &Form1::AniGIF1_MouseDown);
}

int Form1::SetLibName()
{
    return fillLibraryList(m_context.ini, Combo1);
}

void Form1::reloadLibraryList()
{
    refillLibraryList(m_context.ini, Combo1);
}

QKeySequence Form1::libraryManagerKey()
{
    return QKeySequence(Qt::CTRL | Qt::Key_L);
}

void Form1::load()
{
    SetLibName();
    restoreGroupChoice(m_context.ini, kSection, Text2, Combo1);
}

qint16 Form1::ReadWords(const QString &groupText, const QString &libraryName)
{
    GroupLoaderSetup setup;
    setup.section = kSection;
    setup.libraryIndex = Combo1->currentIndex();
    setup.lastGroupNotice = true;
    setup.formReset = [this] { FormReset(); };
    const qint16 loaded = loadGroupFor(m_context, setup, groupText, libraryName, m_test.table(), m_test.countSlot());
    if (loaded != 0)
        m_test.begin();
    return loaded;
}

void Form1::FormReset()
{
    Text1->clear();
    Label1->clear();
    m_test.reset();
    showCounts();
    Label10->setText(QStringLiteral("浏览测试"));
    for (QLabel *line : Label3)
        line->clear();
}

void Form1::showCounts()
{
    Label4->setText(QString::number(m_test.rightCount()));
    Label7->setText(QString::number(m_test.wrongCount()));
}

void Form1::RememberWords()
{
    Label9->setText(QString::number(m_test.wordCount()));
    if (m_test.isAsking()) {
        Label1->setText(m_test.current().Meaning);
        Text1->clear();
        m_test.meaningShown();
    }
}

void Form1::startTest()
{
    endReview();
    // Looked up before the load: the settings file's error state then tells
    // of the load's own write.
    const QString library = Combo1->currentText();
    const QString libraryFile = LibraryRegistry::libraryFileName(m_context.ini, library);
    const qint16 loaded = ReadWords(Text2->text(), library);
    if (loaded == 0)
        return;
    Text2->setText(QString::number(loaded));
    m_origin = GroupOrigin{library, libraryFile, loaded};
    RememberWords();
    // The next key the user presses is the first answer.
    Text1->setFocus(Qt::OtherFocusReason);
}

void Form1::ChoiceWork(int index)
{
    switch (index) {
    case 0:
        startTest();
        break;
    case 1:
        emit boxWindowRequested();
        break;
    case 2:
        emit browseBarRequested();
        break;
    case 4:
        close();
        break;
    default:
        break;
    }
}

void Form1::remember_next_term()
{
    const bool next = m_context.dialogs.question(
        QStringLiteral("本组测试完毕！继续下一组测试吗？选否重新测试本组单词。"));
    if (isReviewing()) {
        if (next) {
            QList<ReviewWord> words = m_reviewSource();
            if (words.isEmpty()) {
                // Nothing more is due: back to the library as it was.
                endReview();
                return;
            }
            m_reviewWords = std::move(words);
        }
        askReviewWords();
        return;
    }
    if (next)
        Text2->setText(QString::number(Text2->text().toInt() + 1));
    startTest();
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Picture1 && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton) {
            emit bookMenuRequested(mouse->globalPosition().toPoint());
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // F2 carries no character, so the answer box's rules never see it.
        if (watched == Text1 && key->key() == Qt::Key_F2) {
            speakCurrentWord();
            return true;
        }
        if (watched == Text1)
            return text1KeyPress(key->key(), key->text());
        if (watched == Text2)
            return text2KeyPress(key->key(), key->text());
        if (watched == Combo1 && isEnterKey(key->key())) {
            startTest();
            return true;
        }
    }
    if (event->type() == QEvent::InputMethod) {
        auto *input = static_cast<QInputMethodEvent *>(event);
        if (watched == Text2 && keepDigitsOfCommit(input))
            m_context.dialogs.beep();
        if (watched == Text1 && !m_test.hasWords() && !input->commitString().isEmpty()) {
            // Committed text is typed text: without words there is nothing to answer.
            input->setCommitString(QString());
            m_context.dialogs.message(QStringLiteral("单词还没有读入呢！"));
        } else if (watched == Text1 && !input->commitString().isEmpty()) {
            m_test.keyTyped();
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool Form1::text2KeyPress(int key, const QString &text)
{
    if (isEnterKey(key)) {
        startTest();
        return true;
    }
    if (!refusedInNumberBox(key, text))
        return false;
    m_context.dialogs.beep();
    return true;
}

bool Form1::text1KeyPress(int key, const QString &text)
{
    if (!typesCharacter(key, text))
        return false;
    if (!m_test.hasWords()) {
        m_context.dialogs.message(QStringLiteral("单词还没有读入呢！"));
        return true;
    }
    if (!isEnterKey(key)) {
        m_test.keyTyped();
        return false;
    }
    judgeAnswer();
    return true;
}

void Form1::judgeAnswer()
{
    if (!m_test.isAsking())
        return;
    // Heard while the verdict is read; the word starts once this key is done.
    if (m_speaker.speaksAnswers())
        m_speaker.speak(m_test.current().Word);
    const TypingTest::Verdict verdict = m_test.answer(Text1->text());
    if (!verdict.right)
        m_context.dialogs.message(QStringLiteral("错误！正确答案是：") + verdict.entry.Word);
    showCounts();

    if (verdict.slot >= 6) {
        for (int line = 0; line < 5; ++line) {
            Label3[line]->setText(Label3[line + 1]->text());
            Label3[line]->setPalette(Label3[line + 1]->palette());
        }
        showLine(5, verdict.entry);
        VScroll1->setValue(verdict.slot);
    } else {
        showLine(verdict.slot, verdict.entry);
        VScroll1->setValue(5);
    }

    switch (verdict.next) {
    case TypingTest::Next::Word:
        break;
    case TypingTest::Next::RetestPass:
        startRetestPass();
        break;
    case TypingTest::Next::GroupDone:
        emit groupFinished();
        FormReset();
        remember_next_term();
        break;
    }
    RememberWords();
}

void Form1::startRetestPass()
{
    m_test.startRetestPass();
    Label9->setText(QString::number(m_test.wordCount()));
    Label10->setText(QStringLiteral("错误重测"));
    showCounts();
    for (QLabel *line : Label3)
        line->clear();
}

void Form1::showLine(int line, const WordEntry &entry)
{
    Label3[line]->setText(entry.Word);
    setTextColour(Label3[line], colourOfMark(entry.Mark));
}

void Form1::VScroll1_Change(int value)
{
    if (m_test.currentIndex() < 5) {
        VScroll1->setValue(5);
        return;
    }
    // Value v shows slots v - 5 to v.
    for (int line = 5; line >= 0; --line, --value)
        showLine(line, m_test.words()[value]);
}

void Form1::AniGIF1_MouseDown(int button, const QPoint &globalPos)
{
    if (button != 1)
        return;
    m_aniMover->begin(AniGIF1, globalPos);
}

void Form1::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A window the window manager placed is placed anew each time it is
    // shown (openbox puts it wherever there is room). Giving its native
    // window the place it has now, as a position of our own, brings it back
    // there. (QWidget::move to the same place would not reach the native
    // window.)
    if (QWindow *native = windowHandle(); native && !event->spontaneous())
        native->setPosition(native->position());
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!xptopbuttons1)
        return;
    // The title-bar button keeps its place at the right end of the title bar.
    xptopbuttons1->move(width() - twips(7455 - 7080), xptopbuttons1->y());
}

void Form1::speakCurrentWord()
{
    if (!m_test.isAsking())
        return;
    m_speaker.speakOnRequest(m_test.current().Word);
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closed();
}

Form1::GroupOrigin Form1::currentOrigin() const
{
    if (!isReviewing())
        return m_origin;
    if (m_test.isAsking()) {
        const WordEntry &asked = m_test.current();
        for (const ReviewWord &word : m_reviewWords) {
            if (word.word == asked.Word && word.meaning == asked.Meaning)
                return GroupOrigin{word.library, word.libraryFile, word.group};
        }
    }
    return GroupOrigin{};
}

bool Form1::startReview(ReviewSource source)
{
    if (!source)
        return false;
    QList<ReviewWord> words = source();
    if (words.isEmpty())
        return false;
    if (!isReviewing())
        m_libraryBeforeReview = Combo1->currentIndex();
    m_reviewSource = std::move(source);
    m_reviewWords = std::move(words);
    // The library box says what is asked; the library chosen comes back
    // when the review ends.
    Combo1->setPlaceholderText(reviewCaption());
    Combo1->setCurrentIndex(-1);
    askReviewWords();
    return true;
}

void Form1::askReviewWords()
{
    FormReset();
    qint16 count = 0;
    for (const ReviewWord &word : m_reviewWords) {
        if (count == GroupSize)
            break;
        m_test.table()[count] = WordEntry{word.meaning, word.word, MarkUnanswered};
        ++count;
    }
    m_test.countSlot() = count;
    m_test.begin();
    RememberWords();
    Text1->setFocus(Qt::OtherFocusReason);
}

void Form1::endReview()
{
    if (!isReviewing())
        return;
    m_reviewSource = nullptr;
    m_reviewWords.clear();
    Combo1->setPlaceholderText(QString());
    // A library chosen during the review stays chosen.
    if (Combo1->currentIndex() < 0 && m_libraryBeforeReview < Combo1->count())
        Combo1->setCurrentIndex(m_libraryBeforeReview);
    m_libraryBeforeReview = -1;
    FormReset();
}
