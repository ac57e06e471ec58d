#pragma once

#include <QDialog>

class Dictionary;
class QComboBox;
class QLabel;
class QPlainTextEdit;

// 已掌握的单词: the known-words list (data/known.txt) as text, one word a
// line, which word extraction leaves out. It can be seeded with every word
// of an exam level and the easier ones ("我已掌握 四级 词汇"). "保存" writes
// the file in one step; a list that cannot be written stays open with the
// text as typed.
class KnownWordsDialog : public QDialog
{
    Q_OBJECT

public:
    KnownWordsDialog(QWidget *parent, const QString &path, Dictionary &dictionary);

    QString text() const;
    void setText(const QString &text);
    // Adds the words of the level chosen (and every easier one) that are
    // not in the list yet; returns how many were added.
    int addLevel(int level);
    // The level chosen in the seeding box.
    int chosenLevel() const;
    // Writes the list; false (and the dialog stays) when it cannot.
    bool save();

signals:
    // Saving failed; the reason, for the user.
    void problem(const QString &message);

private:
    void updateCount();

    QString m_path;
    Dictionary &m_dictionary;
    QPlainTextEdit *m_text = nullptr;
    QComboBox *m_level = nullptr;
    QLabel *m_count = nullptr;
};
