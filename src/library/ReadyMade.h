#pragma once

#include <QList>
#include <QString>

// The word libraries that come with the program (data/), with the display
// names the settings template registers them under.
struct ReadyMadeLibrary
{
    QString name;
    QString fileName;
};

QList<ReadyMadeLibrary> readyMadeLibraries();
