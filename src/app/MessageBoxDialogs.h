#pragma once

#include "settings/UserDialogs.h"

// The production message boxes: titled with the program's name, one OK button
// (Yes/No with the question icon for the one question).
class MessageBoxDialogs : public UserDialogs
{
public:
    void message(const QString &text) override;
    bool question(const QString &text) override;
    void beep() override;

    static QString title();
};
