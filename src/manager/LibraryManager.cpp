#include "manager/LibraryManager.h"

#include "extract/WordExtractor.h"
#include "library/ImportReport.h"
#include "library/LibraryStats.h"
#include "library/ReadyMade.h"
#include "library/WordFile.h"
#include "manager/ExtractPreview.h"
#include "manager/ImportPreview.h"
#include "manager/KnownWordsDialog.h"
#include "manager/ManagerLook.h"
#include "settings/CIniFile.h"
#include "settings/LibraryRegistry.h"
#include "record/RecordStore.h"
#include "settings/UserDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// Settings of word extraction: the levels the preview leaves out, by name.
const QString ExtractSection = QStringLiteral("Extract");
const QString HideLevelKey = QStringLiteral("HideLevel");

enum Column { NameColumn, FileColumn, RecordsColumn, GroupsColumn, EncodingColumn, ColumnCount };

QString defaultChooseFile(QWidget *parent, const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, QDir::homePath(), filter);
}

std::optional<QString> defaultAskText(QWidget *parent, const QString &title, const QString &label, const QString &text)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(parent, title, label, QLineEdit::Normal, text, &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

// The real preview, parsing with the dictionary's lookup.
LibraryManager::ImportPreviewer defaultPreview(const Import::MeaningLookup &lookup)
{
    return [lookup](QWidget *parent, const QString &path, const QByteArray &bytes, const Import::Choice &choice,
                    const QString &name) -> std::optional<LibraryManager::ImportChoice> {
        ImportPreview preview(parent, path, bytes, choice, name, lookup);
        if (preview.exec() != QDialog::Accepted || preview.isParsing())
            return std::nullopt;
        return LibraryManager::ImportChoice{preview.format(),  preview.name(), preview.outcome(),
                                            preview.library(), true,           preview.outcome().choice.roles};
    };
}

// The real preview of words from a text.
LibraryManager::ExtractPreviewer defaultExtractPreview(Dictionary &dictionary)
{
    return [&dictionary](QWidget *parent, const QString &path, const ExtractOptions &options, const QString &name,
                         int hideLevel, const std::function<bool(const QString &)> &acceptName)
               -> std::optional<LibraryManager::ExtractChoice> {
        ExtractPreview preview(parent, path, dictionary, options, name, hideLevel, acceptName);
        if (preview.exec() != QDialog::Accepted)
            return std::nullopt;
        return LibraryManager::ExtractChoice{preview.name(), preview.chosen(), preview.unticked(), preview.hideLevel()};
    };
}

} // namespace

LibraryManager::LibraryManager(const WindowContext &context)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_context(context)
    , m_editor(context.ini)
    , m_chooseFile(defaultChooseFile)
    , m_askText(defaultAskText)
    , m_preview(defaultPreview(context.meaningLookup))
    , m_previewExtract(defaultExtractPreview(context.dictionary))
{
    createControls();
    refresh();
}

LibraryManager::~LibraryManager() = default;

void LibraryManager::createControls()
{
    setObjectName(QStringLiteral("LibraryManager"));
    setWindowTitle(QStringLiteral("词库管理"));
    ManagerLook::apply(this);
    resize(700, 520);

    auto *layout = new QVBoxLayout(this);
    auto *listed = new QLabel(QStringLiteral("已登记的词库（按测试窗口中的顺序）："), this);
    layout->addWidget(listed);

    auto *upper = new QHBoxLayout;
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("libraries"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("名称"), QStringLiteral("文件"), QStringLiteral("词数"),
                                        QStringLiteral("组数"), QStringLiteral("编码")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setAlternatingRowColors(true);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(NameColumn, 135);
    m_table->setColumnWidth(FileColumn, 135);
    m_table->setColumnWidth(RecordsColumn, 55);
    m_table->setColumnWidth(GroupsColumn, 50);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &LibraryManager::updateButtons);
    upper->addWidget(m_table, 1);

    auto *buttons = new QVBoxLayout;
    const auto button = [this, buttons](const char *name, const QString &text) {
        auto *created = new QPushButton(text, this);
        created->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(created);
        return created;
    };
    m_add = button("add", QStringLiteral("添加词库…"));
    m_add->setToolTip(QStringLiteral("添加一个两行一词（单词一行、释义一行）的词库文件，复制到 data 文件夹"));
    m_import = button("import", QStringLiteral("导入列表…"));
    m_import->setToolTip(QStringLiteral("导入制表符或逗号分隔的单词列表，或抽认卡软件导出的纯文本"));
    m_extract = button("extract", QStringLiteral("从文章提取生词…"));
    m_extract->setToolTip(
        QStringLiteral("从英文文章、字幕（srt、vtt、ass）、网页或电子书（epub）中找出生词，做成词库"));
    m_known = button("known", QStringLiteral("已掌握的单词…"));
    m_known->setToolTip(QStringLiteral("提取生词时不再列出的单词"));
    m_rename = button("rename", QStringLiteral("改名…"));
    m_remove = button("remove", QStringLiteral("移除"));
    m_up = button("up", QStringLiteral("上移"));
    m_down = button("down", QStringLiteral("下移"));
    buttons->addStretch(1);
    upper->addLayout(buttons);
    layout->addLayout(upper, 3);

    m_readyMadeLabel = new QLabel(QStringLiteral("尚未登记的现成词库："), this);
    layout->addWidget(m_readyMadeLabel);
    auto *lower = new QHBoxLayout;
    m_readyMade = new QListWidget(this);
    m_readyMade->setObjectName(QStringLiteral("readyMade"));
    connect(m_readyMade, &QListWidget::itemSelectionChanged, this, &LibraryManager::updateButtons);
    connect(m_readyMade, &QListWidget::itemDoubleClicked, this, &LibraryManager::addReadyMade);
    lower->addWidget(m_readyMade, 1);
    auto *lowerButtons = new QVBoxLayout;
    m_addReadyMade = new QPushButton(QStringLiteral("加入列表"), this);
    m_addReadyMade->setObjectName(QStringLiteral("addReadyMade"));
    lowerButtons->addWidget(m_addReadyMade);
    lowerButtons->addStretch(1);
    m_close = new QPushButton(QStringLiteral("关闭"), this);
    m_close->setObjectName(QStringLiteral("close"));
    lowerButtons->addWidget(m_close);
    lower->addLayout(lowerButtons);
    layout->addLayout(lower, 1);

    // The right column has one width, whatever the texts.
    for (QPushButton *b : {m_add, m_import, m_extract, m_known, m_rename, m_remove, m_up, m_down, m_addReadyMade, m_close})
        b->setFixedWidth(140);

    connect(m_add, &QPushButton::clicked, this, &LibraryManager::addLibrary);
    connect(m_import, &QPushButton::clicked, this, &LibraryManager::importList);
    connect(m_extract, &QPushButton::clicked, this, &LibraryManager::extractFromText);
    connect(m_known, &QPushButton::clicked, this, &LibraryManager::editKnownWords);
    connect(m_rename, &QPushButton::clicked, this, &LibraryManager::renameSelected);
    connect(m_remove, &QPushButton::clicked, this, &LibraryManager::removeSelected);
    connect(m_up, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(m_addReadyMade, &QPushButton::clicked, this, &LibraryManager::addReadyMade);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
}

QString LibraryManager::dataPath(const QString &fileName) const
{
    return m_context.dataDir + u'/' + fileName;
}

void LibraryManager::refresh()
{
    const int selected = selectedRow();
    m_libraries = m_editor.libraries();
    m_table->setRowCount(int(m_libraries.size()));
    for (int row = 0; row < m_libraries.size(); ++row) {
        const RegisteredLibrary &library = m_libraries[row];
        const auto set = [this, row](int column, const QString &text, bool number = false) {
            auto *item = new QTableWidgetItem(text);
            if (number)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, column, item);
        };
        set(NameColumn, library.name);
        set(FileColumn, library.fileName);
        const LibraryStats stats = library.fileName.isEmpty() ? LibraryStats{} : libraryStats(dataPath(library.fileName));
        if (stats.readable) {
            set(RecordsColumn, QString::number(stats.records), true);
            set(GroupsColumn, QString::number(stats.groups), true);
            set(EncodingColumn, Import::encodingText(stats.encoding));
        } else {
            set(RecordsColumn, QString());
            set(GroupsColumn, QString());
            set(EncodingColumn, library.fileName.isEmpty() ? QStringLiteral("没有文件名") : QStringLiteral("找不到文件"));
        }
    }

    m_readyMade->clear();
    for (const ReadyMadeLibrary &ready : readyMadeLibraries()) {
        bool registered = false;
        for (const RegisteredLibrary &library : m_libraries)
            registered = registered || QString::compare(library.fileName, ready.fileName, Qt::CaseInsensitive) == 0;
        if (registered)
            continue;
        const LibraryStats stats = libraryStats(dataPath(ready.fileName));
        if (!stats.readable)
            continue;
        auto *item = new QListWidgetItem(QStringLiteral("%1（%2，%3 个单词）").arg(ready.name, ready.fileName).arg(stats.records));
        item->setData(Qt::UserRole, ready.name);
        item->setData(Qt::UserRole + 1, ready.fileName);
        m_readyMade->addItem(item);
    }
    selectRow(qMin(selected, int(m_libraries.size()) - 1));
    updateButtons();
}

int LibraryManager::selectedRow() const
{
    const QList<QTableWidgetSelectionRange> ranges = m_table->selectedRanges();
    return ranges.isEmpty() ? -1 : ranges.first().topRow();
}

void LibraryManager::selectRow(int row)
{
    if (row < 0 || row >= m_table->rowCount()) {
        m_table->clearSelection();
        return;
    }
    m_table->selectRow(row);
}

void LibraryManager::updateButtons()
{
    const int row = selectedRow();
    m_rename->setEnabled(row >= 0);
    m_remove->setEnabled(row >= 0);
    m_up->setEnabled(row > 0);
    m_down->setEnabled(row >= 0 && row + 1 < m_libraries.size());
    m_addReadyMade->setEnabled(m_readyMade->currentItem() != nullptr);
    m_readyMadeLabel->setText(m_readyMade->count() == 0 ? QStringLiteral("现成词库都已登记。")
                                                        : QStringLiteral("尚未登记的现成词库（双击加入）："));
}

QString LibraryManager::outcomeText(LibraryListEditor::Outcome outcome) const
{
    return m_editor.messageFor(outcome);
}

bool LibraryManager::fileNameTaken(const QString &fileName) const
{
    return libraryFileNameTaken(m_context.dataDir, m_editor, fileName);
}

std::optional<QString> LibraryManager::askName(const QString &title, const QString &initial, int index)
{
    QString text = initial;
    for (;;) {
        const std::optional<QString> answer = m_askText(this, title, QStringLiteral("词库名称："), text);
        if (!answer)
            return std::nullopt;
        const LibraryListEditor::Outcome problem = m_editor.checkName(*answer, index);
        if (problem == LibraryListEditor::Outcome::Done)
            return answer->trimmed();
        m_context.dialogs.message(outcomeText(problem));
        text = *answer;
    }
}

bool LibraryManager::registerNewFile(const QString &name, const QString &fileName, const QByteArray &bytes,
                                     const QString &report)
{
    QDir().mkpath(m_context.dataDir);
    const QString path = dataPath(fileName);
    if (!Import::writeNewFile(path, bytes)) {
        m_context.dialogs.message(QStringLiteral("无法写入词库文件 data/%1，词库没有添加！").arg(fileName));
        return false;
    }
    const LibraryListEditor::Outcome outcome = m_editor.add(name, fileName);
    if (outcome != LibraryListEditor::Outcome::Done) {
        // Not registered: the copy would only be a stray file.
        QFile::remove(path);
        m_context.dialogs.message(outcomeText(outcome));
        return false;
    }
    changed(int(m_editor.libraries().size()) - 1);
    m_context.dialogs.message(report);
    return true;
}

void LibraryManager::addLibrary()
{
    const QString path = m_chooseFile(this, QStringLiteral("添加词库"), QStringLiteral("词库文件 (*.txt);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    QByteArray bytes;
    const Import::Outcome outcome = Import::readFile(path, Import::Format::WordLibrary, &bytes);
    if (outcome.error == Import::Error::Unreadable) {
        m_context.dialogs.message(QStringLiteral("无法读取该文件！"));
        return;
    }
    if (outcome.error == Import::Error::NoRecords) {
        m_context.dialogs.message(QStringLiteral("该文件中没有可用的单词！词库文件每个单词占两行：一行单词，一行释义。"));
        return;
    }
    const TextCodec::Encoding iniEncoding = m_editor.encoding();
    const std::optional<QString> name =
        askName(QStringLiteral("添加词库"), Import::suggestDisplayName(path, iniEncoding, LibraryListEditor::NameLimit), -1);
    if (!name)
        return;
    // A file put into data/ by hand is registered where it is, when its name
    // can be stored and no other entry uses it.
    const QFileInfo source(path);
    const QString sourceName = source.fileName();
    if (source.canonicalPath() == QFileInfo(m_context.dataDir).canonicalFilePath()
        && m_editor.checkFileName(sourceName) == LibraryListEditor::Outcome::Done) {
        bool used = false;
        for (const RegisteredLibrary &library : m_editor.libraries())
            used = used || QString::compare(library.fileName, sourceName, Qt::CaseInsensitive) == 0;
        if (!used) {
            const LibraryListEditor::Outcome added = m_editor.add(*name, sourceName);
            if (added != LibraryListEditor::Outcome::Done) {
                m_context.dialogs.message(outcomeText(added));
                return;
            }
            changed(int(m_editor.libraries().size()) - 1);
            m_context.dialogs.message(QStringLiteral("已添加词库“%1”（data/%2，%3）：%4 个单词。")
                                        .arg(*name, sourceName, Import::encodingText(outcome.encoding))
                                        .arg(outcome.records.size()));
            return;
        }
    }
    const QString fileName = Import::suggestFileName(path, iniEncoding, LibraryListEditor::NameLimit,
                                                     [this](const QString &candidate) { return fileNameTaken(candidate); });
    QString report = QStringLiteral("已添加词库“%1”（data/%2，%3）：%4 个单词。")
                         .arg(*name, fileName, Import::encodingText(outcome.encoding))
                         .arg(outcome.records.size());
    if (!outcome.skipped.isEmpty())
        report += QStringLiteral("\n文件按原样复制，测试时会显示这些记录：") + Import::skippedText(outcome.skipped);
    // The file goes in byte for byte: GBK or UTF-8 stays as it is.
    registerNewFile(*name, fileName, bytes, report);
}

void LibraryManager::importList()
{
    const QString path = m_chooseFile(this, QStringLiteral("导入单词列表"),
                                      QStringLiteral("单词列表 (*.txt *.tsv *.csv *.tab);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    QByteArray bytes;
    if (!readWordFileBytes(path, bytes)) {
        m_context.dialogs.message(QStringLiteral("无法读取该文件！"));
        return;
    }

    const TextCodec::Encoding iniEncoding = m_editor.encoding();
    // Asked again after a name is refused, the preview comes back with the
    // format and the columns the user chose.
    Import::Choice choice(Import::guessFormat(path, bytes));
    std::optional<ImportChoice> chosen;
    QString name = Import::suggestDisplayName(path, iniEncoding, LibraryListEditor::NameLimit);
    for (;;) {
        chosen = m_preview(this, path, bytes, choice, name);
        if (!chosen)
            return;
        choice = Import::Choice(chosen->format, chosen->roles);
        name = chosen->name;
        const LibraryListEditor::Outcome problem = m_editor.checkName(name);
        if (problem != LibraryListEditor::Outcome::Done) {
            m_context.dialogs.message(outcomeText(problem));
            continue;
        }
        break;
    }

    // The preview has parsed the file for the choice made; a previewer
    // that did not leaves it to be done here.
    if (!chosen->parsed) {
        chosen->outcome = Import::parse(bytes, choice, m_context.meaningLookup);
        if (!chosen->outcome.records.isEmpty())
            chosen->library = Import::libraryBytes(chosen->outcome.records);
    }
    const Import::Outcome &outcome = chosen->outcome;
    if (outcome.error == Import::Error::NotText) {
        m_context.dialogs.message(QStringLiteral("这个文件不是文本文件，不能导入！"));
        return;
    }
    if (outcome.records.isEmpty()) {
        m_context.dialogs.message(QStringLiteral("没有导入任何单词！") + Import::skippedText(outcome.skipped)
                                  + Import::notesText(outcome));
        return;
    }
    const QString fileName = Import::suggestFileName(path, iniEncoding, LibraryListEditor::NameLimit,
                                                     [this](const QString &candidate) { return fileNameTaken(candidate); });
    QString report = QStringLiteral("已导入词库“%1”（data/%2）：%3 个单词。")
                         .arg(name.trimmed(), fileName)
                         .arg(outcome.records.size());
    if (!outcome.skipped.isEmpty())
        report += u'\n' + Import::skippedText(outcome.skipped);
    if (const QString notes = Import::notesText(outcome); !notes.isEmpty())
        report += u'\n' + notes;
    registerNewFile(name.trimmed(), fileName, chosen->library, report);
}

void LibraryManager::extractFromText()
{
    const QString path = m_chooseFile(
        this, QStringLiteral("从文章提取生词"),
        QStringLiteral("文章、字幕和电子书 (*.txt *.srt *.vtt *.ass *.ssa *.htm *.html *.xhtml *.epub);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    const QString knownPath = dataPath(knownWordsFileName());
    ExtractOptions options;
    options.knownWords = readKnownWords(knownPath);
    options.knownWords.unite(m_context.record.wordsWithStability(KnownStabilityDays));

    const TextCodec::Encoding iniEncoding = m_editor.encoding();
    const auto acceptName = [this](const QString &name) {
        const LibraryListEditor::Outcome problem = m_editor.checkName(name);
        if (problem == LibraryListEditor::Outcome::Done)
            return true;
        m_context.dialogs.message(outcomeText(problem));
        return false;
    };
    const int hideLevel = ExamLevel::fromName(m_context.ini.ReadString(ExtractSection, HideLevelKey, 32));
    const std::optional<ExtractChoice> chosen =
        m_previewExtract(this, path, options, Import::suggestDisplayName(path, iniEncoding, LibraryListEditor::NameLimit),
                         hideLevel, acceptName);
    if (!chosen)
        return;
    // The next text starts with the levels left out this time.
    if (chosen->hideLevel != hideLevel) {
        m_context.ini.WriteChanges({{ExtractSection, HideLevelKey,
                                     chosen->hideLevel == ExamLevel::None
                                         ? std::optional<QString>()
                                         : std::optional<QString>(ExamLevel::names().value(chosen->hideLevel))}});
    }

    // Words the user unticked are known from now on, whether or not a
    // library comes of the rest.
    QString knownReport;
    if (!chosen->unticked.isEmpty()) {
        int added = 0;
        const QString text = withKnownWords(readKnownWordsText(knownPath), chosen->unticked, &added);
        QDir().mkpath(m_context.dataDir);
        if (added > 0 && !writeKnownWordsText(knownPath, text))
            knownReport = QStringLiteral("无法写入 data/%1，取消勾选的单词没有加入已掌握的单词！").arg(knownWordsFileName());
        else if (added > 0)
            knownReport = QStringLiteral("%1 个取消勾选的单词已加入已掌握的单词。").arg(added);
    }
    if (chosen->words.isEmpty()) {
        m_context.dialogs.message(QStringLiteral("没有勾选任何单词，没有创建词库。")
                                  + (knownReport.isEmpty() ? QString() : u'\n' + knownReport));
        return;
    }
    if (!acceptName(chosen->name))
        return;

    QList<Import::Record> records;
    QList<SourceSentence> sentences;
    for (const ExtractCandidate &candidate : chosen->words) {
        records.append({candidate.word, candidate.meaning});
        sentences.append({candidate.word, candidate.sentence});
    }
    const QString name = chosen->name.trimmed();
    const QString fileName = Import::suggestFileName(path, iniEncoding, LibraryListEditor::NameLimit,
                                                     [this](const QString &candidate) { return fileNameTaken(candidate); });
    QString report = QStringLiteral("已从 %1 提取生词，创建词库“%2”（data/%3）：%4 个单词。")
                         .arg(QFileInfo(path).fileName(), name, fileName)
                         .arg(records.size());
    if (!knownReport.isEmpty())
        report += u'\n' + knownReport;
    // The sentences go in first: the report closes the flow, and the
    // windows opened from it should find them.
    if (m_context.record.recordSourceSentences(fileName, sentences) == RecordStore::WriteResult::Failed)
        report += QStringLiteral("\n学习记录无法写入，单词的原句没有保存。");
    if (!registerNewFile(name, fileName, Import::libraryBytes(records), report))
        m_context.record.recordSourceSentences(fileName, {});
}

void LibraryManager::editKnownWords()
{
    if (m_editKnown) {
        m_editKnown(this, dataPath(knownWordsFileName()));
        return;
    }
    KnownWordsDialog dialog(this, dataPath(knownWordsFileName()), m_context.dictionary);
    connect(&dialog, &KnownWordsDialog::problem, this, [this](const QString &message) { m_context.dialogs.message(message); });
    dialog.exec();
}

void LibraryManager::renameSelected()
{
    const int row = selectedRow();
    if (row < 0) {
        m_context.dialogs.message(outcomeText(LibraryListEditor::Outcome::NoSuchLibrary));
        return;
    }
    const std::optional<QString> name = askName(QStringLiteral("词库改名"), m_libraries[row].name, row);
    if (!name)
        return;
    const LibraryListEditor::Outcome outcome = m_editor.rename(row, *name);
    if (outcome != LibraryListEditor::Outcome::Done) {
        m_context.dialogs.message(outcomeText(outcome));
        refresh();
        return;
    }
    changed(row);
}

void LibraryManager::removeSelected()
{
    const int row = selectedRow();
    if (row < 0) {
        m_context.dialogs.message(outcomeText(LibraryListEditor::Outcome::NoSuchLibrary));
        return;
    }
    const RegisteredLibrary library = m_libraries[row];
    if (!m_context.dialogs.question(QStringLiteral("从词库列表中移除“%1”吗？").arg(library.name)))
        return;
    const LibraryListEditor::Outcome outcome = m_editor.remove(row);
    if (outcome != LibraryListEditor::Outcome::Done) {
        m_context.dialogs.message(outcomeText(outcome));
        refresh();
        return;
    }
    changed(row);

    // The file stays unless the user asks for it to go too, and never while
    // another entry still uses it.
    if (library.fileName.isEmpty() || !QFileInfo(dataPath(library.fileName)).isFile())
        return;
    for (const RegisteredLibrary &other : m_editor.libraries()) {
        if (QString::compare(other.fileName, library.fileName, Qt::CaseInsensitive) == 0)
            return;
    }
    if (!m_context.dialogs.question(
            QStringLiteral("同时删除词库文件 data/%1 吗？选“否”保留文件。").arg(library.fileName)))
        return;
    if (!QFile::remove(dataPath(library.fileName)))
        m_context.dialogs.message(QStringLiteral("无法删除词库文件 data/%1！").arg(library.fileName));
    else // a later library under the file's name must not show its sentences
        m_context.record.recordSourceSentences(library.fileName, {});
    refresh();
}

void LibraryManager::moveSelected(int delta)
{
    const int row = selectedRow();
    const LibraryListEditor::Outcome outcome = m_editor.move(row, delta);
    if (outcome == LibraryListEditor::Outcome::NoSuchLibrary)
        return; // nothing selected, or already at that end
    if (outcome != LibraryListEditor::Outcome::Done) {
        m_context.dialogs.message(outcomeText(outcome));
        refresh();
        return;
    }
    changed(row + delta);
}

void LibraryManager::addReadyMade()
{
    const QListWidgetItem *item = m_readyMade->currentItem();
    if (!item)
        return;
    const QString name = item->data(Qt::UserRole).toString();
    const QString fileName = item->data(Qt::UserRole + 1).toString();
    const LibraryListEditor::Outcome outcome = m_editor.add(name, fileName);
    if (outcome != LibraryListEditor::Outcome::Done) {
        m_context.dialogs.message(outcomeText(outcome));
        return;
    }
    changed(int(m_editor.libraries().size()) - 1);
}

void LibraryManager::changed(int selectRowAfter)
{
    refresh();
    selectRow(selectRowAfter);
    emit libraryListChanged();
}
