#pragma once

#include "library/GroupLoader.h"
#include "widgets/WindowContext.h"

class QComboBox;
class QLineEdit;

// Loads a group for a window, as every window does: the settings file and
// the data folder come from `context` (the rest of `setup` is the window's),
// and what the loader reports is said through the window's dialogs.
qint16 loadGroupFor(const WindowContext &context, GroupLoaderSetup setup, const QString &groupText,
                    const QString &libraryName, WordTable &words, qint16 &wordCount,
                    GroupLoadDetails *details = nullptr);

// Puts the group and library remembered in `section` (see rememberedGroup)
// into a window's group box and library list; without one, group 1 of the
// first library, or of none when the list is empty.
void restoreGroupChoice(CIniFile &ini, const QString &section, QLineEdit *groupBox, QComboBox *libraryList,
                        bool noneAllowed = false);

// Adds the registered libraries to a window's library list; returns how many.
int fillLibraryList(CIniFile &ini, QComboBox *libraryList);
// Fills the list anew after the registered libraries changed, keeping the
// chosen library selected where it is still listed (else the first entry;
// nothing chosen stays nothing chosen).
void refillLibraryList(CIniFile &ini, QComboBox *libraryList);
