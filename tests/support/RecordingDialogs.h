#pragma once

#include "settings/UserDialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

// Stands in for the message boxes in tests: keeps every text it is shown and
// answers questions from a queue (Yes when the queue is empty).
class RecordingDialogs : public UserDialogs
{
public:
    void message(const QString &text) override { messages << text; }

    bool question(const QString &text) override
    {
        questions << text;
        return answers.isEmpty() ? true : answers.takeFirst();
    }

    void beep() override { ++beeps; }

    void clear()
    {
        messages.clear();
        questions.clear();
        beeps = 0;
    }

    QStringList messages;
    QStringList questions;
    QList<bool> answers;
    int beeps = 0;
};
