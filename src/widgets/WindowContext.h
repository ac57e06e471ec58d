#pragma once

#include <QString>

#include <functional>

class CIniFile;
class Dictionary;
class RecordStore;
class SingleRandom;
class UserDialogs;
class WordSpeaker;

// What a window may use of the program around it. The application object
// hands it out; a window announces everything else (closing, wanting another
// window) with its signals and never switches windows itself.
struct WindowContext
{
    // The one settings file of the run.
    CIniFile &ini;
    // Every message box, question and beep.
    UserDialogs &dialogs;
    // Folder of the word libraries, normally "data" in the working folder.
    QString dataDir;
    // The random draws of browse mode: one generator for the whole run.
    SingleRandom &random;
    // Speaks words; recordings in the data folder come first.
    WordSpeaker &speaker;
    // Phonetics and full meanings; read from its file on the first lookup.
    Dictionary &dictionary;
    // The dictionary's meaning of a word (library style), or an empty string
    // when it does not know the word; an empty function when there is no
    // dictionary. Imports fill in missing meanings with it, on their own
    // thread, so it must be safe to call from one.
    std::function<QString(const QString &word)> meaningLookup;
    // The learning record. It may not be recording (no folder to write,
    // another copy holds it): its reads then find nothing and its writes do
    // nothing, so a window never has to ask first.
    RecordStore &record;
};
