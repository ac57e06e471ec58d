#pragma once

#include <QString>

// Everything the program says to the user goes through this interface: the
// message boxes with a single OK button, the one Yes/No question and the beep.
// The application owns the production implementation (QMessageBox); tests
// install a recorder so that no modal box ever blocks a test.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    // A message box with a single OK button.
    virtual void message(const QString &text) = 0;
    // A Yes/No question box with the question icon; true for Yes.
    virtual bool question(const QString &text) = 0;
    // The system beep, used by the key filters.
    virtual void beep() = 0;
};
