#pragma once

#include "extract/WordExtractor.h"
#include "library/Importer.h"
#include "settings/LibraryListEditor.h"
#include "widgets/WindowContext.h"

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

// The library manager (词库管理): lists the registered libraries with their
// record and group counts and file encodings, and adds, imports, renames,
// removes and reorders them, or registers a ready-made one. Every change of
// the list goes through LibraryListEditor (one atomic write of lexvan.ini)
// and is announced with libraryListChanged().
//
// The choices that would need a modal dialog (a file, a name, the import
// preview) go through replaceable functions, so that tests never block;
// messages and questions go through the application's UserDialogs.
class LibraryManager : public QWidget
{
    Q_OBJECT

public:
    // Asks for a file to read; empty when cancelled.
    using FileChooser = std::function<QString(QWidget *parent, const QString &title, const QString &filter)>;
    // Asks for a line of text; nullopt when cancelled.
    using TextAsker =
        std::function<std::optional<QString>(QWidget *parent, const QString &title, const QString &label, const QString &text)>;
    // What the user settles in the import preview, with the preview's parse
    // of the file for that choice when it made one (`parsed`).
    struct ImportChoice
    {
        Import::Format format = Import::Format::Tsv;
        QString name;
        Import::Outcome outcome = {};
        QByteArray library = {};
        bool parsed = false;
        // The columns as chosen; empty: guessed.
        QList<Import::Role> roles = {};
    };
    // Shows the import preview of `bytes` (read from `path`), starting with
    // `format` and `name`; nullopt when cancelled.
    using ImportPreviewer = std::function<std::optional<ImportChoice>(
        QWidget *parent, const QString &path, const QByteArray &bytes, const Import::Choice &choice, const QString &name)>;

    // What the user settles in the preview of words from a text.
    struct ExtractChoice
    {
        QString name;
        // The ticked words in the order shown; the unticked ones.
        QList<ExtractCandidate> words;
        QStringList unticked = {};
        // The level whose words (and every easier one's) were not listed.
        int hideLevel = ExamLevel::None;
    };
    // Shows the words of the text at `path` worth learning, leaving out
    // `options.knownWords` and, at first, the words of `hideLevel` and the
    // easier levels, starting with `name`; `acceptName` says whether a name
    // can be used (telling the user why not). nullopt when cancelled.
    using ExtractPreviewer = std::function<std::optional<ExtractChoice>(
        QWidget *parent, const QString &path, const ExtractOptions &options, const QString &name, int hideLevel,
        const std::function<bool(const QString &)> &acceptName)>;
    // Lets the user edit the known-words list at `path`.
    using KnownWordsEditor = std::function<void(QWidget *parent, const QString &path)>;


    explicit LibraryManager(const WindowContext &context);
    ~LibraryManager() override;

    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    void setTextAsker(TextAsker asker) { m_askText = std::move(asker); }
    void setImportPreviewer(ImportPreviewer previewer) { m_preview = std::move(previewer); }
    void setExtractPreviewer(ExtractPreviewer previewer) { m_previewExtract = std::move(previewer); }
    void setKnownWordsEditor(KnownWordsEditor editor) { m_editKnown = std::move(editor); }

    // The actions behind the buttons, on the selected row where they need one.
    void addLibrary();
    void importList();
    // 从文章提取生词: a library of the words of a text worth learning.
    void extractFromText();
    // 已掌握的单词: the list those words leave out.
    void editKnownWords();
    void renameSelected();
    void removeSelected();
    void moveSelected(int delta);
    // Registers the ready-made library selected in the lower list.
    void addReadyMade();

    // Fills both lists from the settings file and data/ again.
    void refresh();
    int selectedRow() const;
    void selectRow(int row);

    // The message for an outcome of LibraryListEditor (empty for Done).
    QString outcomeText(LibraryListEditor::Outcome outcome) const;

signals:
    // The registered libraries changed (added, renamed, removed, moved).
    void libraryListChanged();

private:
    void createControls();
    void updateButtons();
    QString dataPath(const QString &fileName) const;
    bool fileNameTaken(const QString &fileName) const;
    // Asks for a display name until it is acceptable; nullopt when cancelled.
    std::optional<QString> askName(const QString &title, const QString &initial, int index);
    // Writes a new library file and registers it; removes the file again when
    // the registration fails. Reports either way.
    bool registerNewFile(const QString &name, const QString &fileName, const QByteArray &bytes, const QString &report);
    void changed(int selectRowAfter);

    WindowContext m_context;
    LibraryListEditor m_editor;
    QList<RegisteredLibrary> m_libraries;

    QTableWidget *m_table = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_import = nullptr;
    QPushButton *m_extract = nullptr;
    QPushButton *m_known = nullptr;
    QPushButton *m_rename = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_up = nullptr;
    QPushButton *m_down = nullptr;
    QListWidget *m_readyMade = nullptr;
    QPushButton *m_addReadyMade = nullptr;
    QLabel *m_readyMadeLabel = nullptr;
    QPushButton *m_close = nullptr;

    FileChooser m_chooseFile;
    TextAsker m_askText;
    ImportPreviewer m_preview;
    ExtractPreviewer m_previewExtract;
    KnownWordsEditor m_editKnown;
};
