#pragma once

#include <QIcon>

class QCoreApplication;

// Fitting the program into the user's desktop: Qt's own texts in Chinese and
// the program's icon on every window.

// Loads Qt's Simplified Chinese translations (standard buttons, edit menus)
// whatever the system locale is, since every other word the program shows
// is Chinese. False when they are not installed; Qt then keeps English.
bool installChineseQtTranslations(QCoreApplication &application);

// The program's icon at every size the desktop entry installs.
QIcon programIcon();
