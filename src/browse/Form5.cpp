#include "browse/Form5.h"

#include "widgets/Controls.h"
#include "widgets/Geometry.h"

#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

Form5::Form5()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form5"));
    fixLightLook(this, standardLightFace());
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Kelvaro--Lexivane V1.0"));
    setFixedSize(twips(6705), twips(4725));
    setFont(QFont(QStringLiteral("宋体"), 9));

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(QPixmap(QStringLiteral(":/images/about_picture.png")));
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setAutoFillBackground(true);
    placeTwips(Picture1, 0, 0, 7335, 4695);
    Picture1->installEventFilter(this);

    Frame1 = new QGroupBox(QStringLiteral("软件简介"), Picture1);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setAutoFillBackground(true);
    placeTwips(Frame1, 3840, 0, 2775, 4695);
    // The notice has no handler: its clicks must not reach the picture.
    Frame1->setAttribute(Qt::WA_NoMousePropagation);

    Label1 = new QLabel(notice(), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont small = font();
    small.setPixelSize(11);
    Label1->setFont(small);
    placeTwips(Label1, 120, 240, 2535, 4335);

    // Open in the middle of the screen the window lands on.
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

QString Form5::notice()
{
    return QStringLiteral(
        "　　Lexivane 是一款免费软件，供个人学习英语词汇使用，不收取任何费用。您可以自由复制和传播本软件，"
        "但请保持软件及其附带词库的完整，不得修改、出售或者用于任何商业目的，也不得捆绑其他软件收取费用。"
        "因使用本软件而造成的任何后果，均由使用者自行承担。\n"
        "　　本版本的功能尚不完整，难免存在错误和不足之处，敬请谅解。使用之前请先仔细阅读使用说明，"
        "了解词库文件的格式和各个窗口的用法。如果您发现了问题，或者有好的意见和建议，欢迎随时来信告诉我们，"
        "每一条意见我们都会认真对待。\n"
        "　　下一版本计划加入单词发音、学习记录统计、错词自动复习、词库编辑器和更多精选词库。\n"
        "　　　　　Lexivane 开发组\n"
        "　　　　　2026年12月\n"
        "　联系地址：lexivane@example.org");
}

bool Form5::eventFilter(QObject *watched, QEvent *event)
{
    // Only the uncovered part of the picture reacts: the group box and the
    // notice lie on top of it and take their own clicks.
    if (watched == Picture1) {
        if (event->type() == QEvent::MouseButtonPress)
            return true;
        if (event->type() == QEvent::MouseButtonRelease) {
            // A click is a press and a release on the picture.
            if (Picture1->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint()))
                Picture1_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form5::Picture1_Click()
{
    emit testWindowWanted();
    close();
}
