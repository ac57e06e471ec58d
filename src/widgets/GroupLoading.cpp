#include "widgets/GroupLoading.h"

#include "settings/UserDialogs.h"

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
