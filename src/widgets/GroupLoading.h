#pragma once

#include "library/GroupLoader.h"
#include "widgets/WindowContext.h"

// Loads a group for a window, as every window does: the settings file and
// the data folder come from `context` (the rest of `setup` is the window's),
// and what the loader reports is said through the window's dialogs.
qint16 loadGroupFor(const WindowContext &context, GroupLoaderSetup setup, const QString &groupText,
                    const QString &libraryName, WordTable &words, qint16 &wordCount,
                    GroupLoadDetails *details = nullptr);
