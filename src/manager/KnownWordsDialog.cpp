#include "manager/KnownWordsDialog.h"

#include "extract/WordExtractor.h"
#include "manager/ManagerLook.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

KnownWordsDialog::KnownWordsDialog(QWidget *parent, const QString &path, Dictionary &dictionary)
    : QDialog(parent)
    , m_path(path)
    , m_dictionary(dictionary)
{
    setObjectName(QStringLiteral("KnownWordsDialog"));
    setWindowTitle(QStringLiteral("已掌握的单词"));
    ManagerLook::apply(this);
    resize(420, 520);

    auto *layout = new QVBoxLayout(this);
    auto *explain = new QLabel(QStringLiteral("从文章提取生词时，不再列出这些单词（每行一个，# 开头的行是注释）："), this);
    explain->setWordWrap(true);
    layout->addWidget(explain);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("knownWords"));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on to the level box and the buttons: a word list has no use
    // for tab characters, and keyboard users must get out of the box.
    m_text->setTabChangesFocus(true);
    m_text->setPlainText(readKnownWordsText(path));
    explain->setBuddy(m_text);
    layout->addWidget(m_text, 1);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("count"));
    layout->addWidget(m_count);

    auto *seedRow = new QHBoxLayout;
    m_level = new QComboBox(this);
    m_level->setObjectName(QStringLiteral("level"));
    for (const QString &level : ExamLevel::names())
        m_level->addItem(QStringLiteral("我已掌握 %1 词汇").arg(level));
    seedRow->addWidget(m_level, 1);
    auto *add = new QPushButton(QStringLiteral("加入列表"), this);
    add->setObjectName(QStringLiteral("addLevel"));
    add->setToolTip(QStringLiteral("把所选级别及更低级别的全部单词加入列表"));
    seedRow->addWidget(add);
    layout->addLayout(seedRow);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("保存"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("save"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("reject"));
    layout->addWidget(buttons);

    connect(add, &QPushButton::clicked, this, [this] { addLevel(chosenLevel()); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (save())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_text, &QPlainTextEdit::textChanged, this, &KnownWordsDialog::updateCount);
    updateCount();
}

QString KnownWordsDialog::text() const
{
    return m_text->toPlainText();
}

void KnownWordsDialog::setText(const QString &text)
{
    m_text->setPlainText(text);
}

int KnownWordsDialog::chosenLevel() const
{
    return m_level->currentIndex();
}

int KnownWordsDialog::addLevel(int level)
{
    int added = 0;
    const QString text = withKnownWords(m_text->toPlainText(), wordsUpToLevel(m_dictionary, level), &added);
    if (added > 0)
        m_text->setPlainText(text);
    return added;
}

bool KnownWordsDialog::save()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    if (writeKnownWordsText(m_path, m_text->toPlainText()))
        return true;
    emit problem(QStringLiteral("无法写入 %1，已掌握的单词没有保存！").arg(QDir::toNativeSeparators(m_path)));
    return false;
}

void KnownWordsDialog::updateCount()
{
    m_count->setText(QStringLiteral("共 %1 个单词").arg(knownWordsIn(m_text->toPlainText()).size()));
}
