#include "widgets/GroupLoading.h"

#include "settings/LibraryRegistry.h"
#include "settings/RememberedGroup.h"
#include "settings/UserDialogs.h"

#include <QComboBox>
#include <QLineEdit>

qint16 loadGroupFor(const WindowContext &context, GroupLoaderSetup setup, const QString &groupText,
                    const QString &libraryName, WordTable &words, qint16 &wordCount, GroupLoadDetails *details)
{
    setup.ini = &context.ini;
    setup.dataDir = context.dataDir;
    GroupLoadDetails found;
    const qint16 loaded = ReadWords(groupText, libraryName, words, wordCount, setup, &found);
    const QString said = groupLoadMessage(found, libraryName, setup.lastGroupNotice);
    if (!said.isEmpty())
        context.dialogs.message(said);
    if (details)
        *details = found;
    return loaded;
}

void restoreGroupChoice(CIniFile &ini, const QString &section, QLineEdit *groupBox, QComboBox *libraryList,
                        bool noneAllowed)
{
    if (const auto remembered = rememberedGroup(ini, section, libraryList->count(), noneAllowed)) {
        groupBox->setText(remembered->group);
        libraryList->setCurrentIndex(remembered->libraryIndex);
    } else {
        groupBox->setText(QStringLiteral("1"));
        libraryList->setCurrentIndex(libraryList->count() != 0 ? 0 : -1);
    }
}

int fillLibraryList(CIniFile &ini, QComboBox *libraryList)
{
    const QStringList names = LibraryRegistry::libraryNames(ini);
    libraryList->addItems(names);
    return int(names.size());
}

void refillLibraryList(CIniFile &ini, QComboBox *libraryList)
{
    const QString chosen = libraryList->currentText();
    const bool hadChoice = libraryList->currentIndex() >= 0;
    libraryList->clear();
    fillLibraryList(ini, libraryList);
    if (!hadChoice) {
        libraryList->setCurrentIndex(-1);
        return;
    }
    const int found = libraryList->findText(chosen, Qt::MatchExactly | Qt::MatchCaseSensitive);
    libraryList->setCurrentIndex(found >= 0 ? found : 0);
}
