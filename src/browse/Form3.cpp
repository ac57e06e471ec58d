#include "browse/Form3.h"

#include "settings/SettingsKeys.h"

#include "widgets/Controls.h"
#include "widgets/Geometry.h"
#include "widgets/MouseMover.h"
#include "browse/Form4.h"
#include "widgets/GroupLoading.h"
#include "settings/CIniFile.h"
#include "speech/WordSpeaker.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

// The bar's pictures live in a static library, whose resource registration
// the linker would otherwise drop.
static void initBrowseResources()
{
    Q_INIT_RESOURCE(browse);
}

namespace {

const QString &kSection = SettingsKeys::Browse;

// The group after the one in the group box. A box that holds no usable
// number goes to the loader as it is, which says what is wrong with it.
QString groupAfter(const QString &groupText)
{
    bool isNumber = false;
    const int group = groupText.trimmed().toShort(&isNumber);
    return isNumber ? QString::number(group + 1) : groupText;
}

bool onSomeScreen(const QRect &rect)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        if (screen->geometry().intersects(rect))
            return true;
    }
    return false;
}

} // namespace

Form3::Form3(const WindowContext &context, std::function<Form4 &()> settingsDialog, const QWidget *placeOver)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_context(context)
    , m_settingsDialog(std::move(settingsDialog))
    , m_placeOver(placeOver)
    , m_speaker(context.speaker)
    , m_walk(context.random)
{
    initBrowseResources();
    setAttribute(Qt::WA_DeleteOnClose);
    createControls();
    load();
}

Form3::~Form3() = default;

void Form3::createControls()
{
    setObjectName(QStringLiteral("Form3"));
    fixLightLook(this);
    setWindowTitle(QStringLiteral("Lexivane"));
    setFixedSize(twips(8295), twips(675));

    // The picture is taller than the bar; the bar shows its upper part.
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(QPixmap(QStringLiteral(":/browse/bar_background.png")));
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(Picture1, 0, 0, 8295, 855);

    QFont li(QStringLiteral("隶书"));
    li.setPointSize(18);
    const auto label = [&](const char *name, int l, int t, int w, int h, const QColor &colour) {
        auto *created = new QLabel(Picture1);
        created->setObjectName(QString::fromLatin1(name));
        created->setFont(li);
        created->setAttribute(Qt::WA_TranslucentBackground);
        created->setAutoFillBackground(false);
        created->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setTextColour(created, colour);
        placeTwips(created, l, t, w, h);
        created->installEventFilter(this);
        return created;
    };
    Label1 = label("Label1", 120, 120, 3015, 375, QColor(255, 255, 0));
    Label2 = label("Label2", 3240, 120, 4935, 375, QColor(128, 64, 0));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &Form3::Timer1_Timer);

    menu = new QMenu(QStringLiteral("请选择"), this);
    menu->setObjectName(QStringLiteral("menu"));
    const struct {
        const char *name;
        const char *caption;
        void (Form3::*command)();
    } items[] = {
        {"Set", "设置", &Form3::Set_Click},
        {"LastGroup", "上一组", &Form3::LastGroup_Click},
        {"NextGroup", "下一组", &Form3::NextGroup_Click},
        {"SpeedQuicker", "加速", &Form3::SpeedQuicker_Click},
        {"SpeedLower", "减速", &Form3::SpeedLower_Click},
        {"Close", "返回", &Form3::Close_Click},
    };
    for (const auto &item : items) {
        QAction *action = menu->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        connect(action, &QAction::triggered, this, item.command);
    }
    // Pronunciation comes after the browse commands, which keep their places.
    menu->addSeparator();
    m_speakAction = menu->addAction(QStringLiteral("朗读"));
    m_speakAction->setObjectName(QStringLiteral("Speak"));
    m_speakAction->setCheckable(true);
    m_speakAction->setChecked(m_speaker.barSpeaks());
    menu->setToolTipsVisible(true);
    showWhetherSpeechWorks();
    // An engine that stops answering greys the item out until it answers again.
    connect(&m_speaker, &WordSpeaker::availabilityChanged, this, &Form3::showWhetherSpeechWorks);
    connect(m_speakAction, &QAction::toggled, this, &Form3::Speak_Click);

    m_mover = new MouseMover(this, this);
}

void Form3::showWhetherSpeechWorks()
{
    const QString reason = m_speaker.whyMute();
    m_speakAction->setEnabled(reason.isEmpty());
    m_speakAction->setToolTip(reason);
}

void Form3::Speak_Click(bool on)
{
    m_speaker.setBarSpeaks(on);
    if (!on)
        m_speaker.silence();
}

Form4 &Form3::settings()
{
    // Created hidden, and loaded from the settings file, on first use.
    return m_settingsDialog();
}

void Form3::load()
{
    m_walk.IsLastGroup = false;
    m_walk.Order = settings().order();
    placeBar();

    const qint16 loaded = ReadWords(settings().groupText(), settings().libraryName());
    if (loaded == 0) {
        setLabel1(QStringLiteral("没有可显示的单词"));
        setLabel2(QStringLiteral("请单击右键设置"));
        setTimerEnabled(false);
        return;
    }

    settings().setGroupText(QString::number(loaded));
    setTimerEnabled(true);
    setTimerInterval(browseIntervalMs(settings().delayText()));
    // The first word comes with the first tick.

    if (settings().hidesMeaning())
        setFixedWidth(Label1->width());
    if (settings().hidesWord()) {
        // Only the meaning remains, at the left end of the bar, where the
        // ground is dark for the yellow word: the meaning's light ground
        // goes with it.
        Picture1->setPixmap(QPixmap(QStringLiteral(":/browse/bar_background_meaning.png")));
        setFixedWidth(Label2->width());
        Label1->hide();
        Label2->move(Picture1->x() + twips(30), Label2->y());
    }
}

void Form3::placeBar()
{
    CIniFile &ini = m_context.ini;
    const QString storedX = ini.ReadString(kSection, SettingsKeys::BarX, 10).trimmed();
    const QString storedY = ini.ReadString(kSection, SettingsKeys::BarY, 10).trimmed();
    if (!storedX.isEmpty() && !storedY.isEmpty()) {
        bool xIsNumber = false;
        bool yIsNumber = false;
        const int x = storedX.toInt(&xIsNumber);
        const int y = storedY.toInt(&yIsNumber);
        // A position that is no number, or that would put the bar where no
        // screen shows it, is not used. Large screens and second monitors
        // reach past the 16-bit range in twips.
        const QPoint stored(x / TwipsPerPixel, y / TwipsPerPixel);
        if (xIsNumber && yIsNumber && onSomeScreen(QRect(stored, size()))) {
            move(stored);
            return;
        }
    }
    placeByDefault();
}

void Form3::placeByDefault()
{
    // Over the place of the test window, which steps back while the bar runs.
    const QScreen *screen = this->screen();
    QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    QPoint place = room.center() - rect().center();
    if (m_placeOver) {
        const QRect area = m_placeOver->frameGeometry();
        place = QPoint(area.center().x() - width() / 2, area.top());
    }
    place.setX(qBound(room.left(), place.x(), qMax(room.left(), room.right() + 1 - width())));
    place.setY(qBound(room.top(), place.y(), qMax(room.top(), room.bottom() + 1 - height())));
    move(place);
}

qint16 Form3::ReadWords(const QString &groupText, const QString &libraryName)
{
    GroupLoaderSetup setup;
    setup.section = kSection;
    setup.libraryIndex = settings().libraryIndex();
    setup.lastGroupNotice = false;
    setup.formReset = [this] { FormReset(); };
    GroupLoadDetails details;
    const qint16 loaded = loadGroupFor(m_context, setup, groupText, libraryName, m_walk.Words, m_walk.WordCount, &details);
    if (loaded != 0)
        m_walk.groupLoaded(details.isLastGroup);
    return loaded;
}

void Form3::FormReset()
{
    m_walk.reset();
    setLabel1(QString());
    setLabel2(QString());
}

void Form3::Timer1_Timer()
{
    if (m_inTick)
        return;
    m_inTick = true;
    const BrowseWalk::Step step = m_walk.tick([this] { return settings().loopsThisGroup(); });
    if (step == BrowseWalk::Step::Show)
        Show();
    else
        EndOfGroup();
    m_inTick = false;
}

void Form3::Show()
{
    const WordEntry &entry = m_walk.current();
    setLabel1(entry.Word);
    setLabel2(entry.Meaning);
    m_walk.shown();
    // The word still sounding is cut off: the bar keeps its own pace.
    if (m_speaker.barSpeaks())
        m_speaker.speak(entry.Word, WordSpeaker::Overlap::CutOff);
}

void Form3::EndOfGroup()
{
    if (m_walk.IsLastGroup) {
        setLabel1(QStringLiteral("词库浏览完毕"));
        setLabel2(QStringLiteral("词库浏览完毕"));
        setTimerEnabled(false);
        return;
    }
    // A failed load shows nothing; the walk stays at the end of the pass, so
    // the next tick tries again.
    const qint16 loaded = ReadWords(groupAfter(settings().groupText()), settings().libraryName());
    if (loaded == 0)
        return;
    settings().setGroupText(QString::number(loaded));
    Show();
}

void Form3::setLabel1(const QString &text)
{
    Label1->setText(text);
    Label1->setToolTip(tooltipWith(m_walk.current().Meaning));
}

void Form3::setLabel2(const QString &text)
{
    Label2->setText(text);
    Label2->setToolTip(tooltipWith(m_walk.current().Word));
}

QString Form3::tooltipWith(const QString &otherHalf)
{
    // Each label tells the other half of the pair, so a hidden half can still
    // be read by resting the cursor on the visible one.
    Form4 &options = settings();
    return QStringLiteral("【") + options.libraryName() + QStringLiteral("】") + QStringLiteral("【组") +
           options.groupText() + QStringLiteral("第") + QString::number(m_walk.CurrentIndex + 1) +
           QStringLiteral("】") + QStringLiteral("【") + otherHalf + QStringLiteral("】");
}

void Form3::setTimerEnabled(bool enabled)
{
    m_timerEnabled = enabled;
    applyTimer();
}

void Form3::setTimerInterval(int milliseconds)
{
    m_timerInterval = milliseconds;
    applyTimer();
}

void Form3::applyTimer()
{
    // An interval of 0 means no ticks at all, not a tick at every chance.
    if (m_timerEnabled && m_timerInterval > 0)
        Timer1->start(m_timerInterval);
    else
        Timer1->stop();
}

bool Form3::isTicking() const
{
    return Timer1->isActive();
}

bool Form3::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == Label1 || watched == Label2) && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint globalPos = mouse->globalPosition().toPoint();
        if (mouse->button() == Qt::RightButton) {
            menu->popup(globalPos);
            return true;
        }
        if (mouse->button() == Qt::LeftButton) {
            moveWindowWithMouse(this, static_cast<QWidget *>(watched), globalPos, *m_mover);
            return true;
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Form3::Set_Click()
{
    Form4 &options = settings();
    options.show();
    options.raise();
    options.activateWindow();
    saveBarPosition();
    closeBar();
}

bool Form3::loadGroupByCommand(const QString &groupText)
{
    const qint16 loaded = ReadWords(groupText, settings().libraryName());
    if (loaded == 0)
        return false;
    settings().setGroupText(QString::number(loaded));
    m_context.ini.WriteString(kSection, SettingsKeys::WordGroup, settings().groupText());
    return true;
}

void Form3::LastGroup_Click()
{
    const QString groupText = settings().groupText();
    bool isNumber = false;
    const int group = groupText.trimmed().toShort(&isNumber);
    if (!isNumber) {
        loadGroupByCommand(groupText); // the loader says what is wrong
        return;
    }
    if (group > 1)
        loadGroupByCommand(QString::number(group - 1));
}

void Form3::NextGroup_Click()
{
    loadGroupByCommand(groupAfter(settings().groupText()));
}

void Form3::SpeedQuicker_Click()
{
    const int seconds = delaySeconds(settings().delayText());
    if (seconds >= 2)
        changeDelay(seconds - 1);
}

void Form3::SpeedLower_Click()
{
    const int seconds = delaySeconds(settings().delayText());
    if (seconds <= 8)
        changeDelay(seconds + 1);
}

void Form3::changeDelay(int seconds)
{
    // Only the interval changes; a stopped timer stays stopped.
    settings().setDelayText(QString::number(seconds));
    m_context.ini.WriteString(kSection, SettingsKeys::Delay, settings().delayText());
    setTimerInterval(browseIntervalMs(settings().delayText()));
}

void Form3::Close_Click()
{
    backToTestWindow();
    closeBar();
}

void Form3::backToTestWindow()
{
    // The dialog goes with the bar; the next bar loads it afresh.
    emit testWindowWanted();
    saveBarPosition();
}

void Form3::saveBarPosition()
{
    CIniFile &ini = m_context.ini;
    ini.WriteString(kSection, SettingsKeys::BarX, QString::number(x() * TwipsPerPixel));
    ini.WriteString(kSection, SettingsKeys::BarY, QString::number(y() * TwipsPerPixel));
}

void Form3::closeBar()
{
    m_closingByMenu = true;
    close();
}

void Form3::closeEvent(QCloseEvent *event)
{
    // Closed by the system (a close key or the window manager): go back to
    // the test window as "返回" does, so the program keeps a visible window.
    if (!m_closingByMenu) {
        m_closingByMenu = true;
        backToTestWindow();
    }
    setTimerEnabled(false);
    emit closed(this);
    event->accept();
}
