#pragma once

#include <QLineEdit>
#include <QValidator>

// Limits what the user can type or paste into a box to `maxLength`
// characters, while text that the program sets stays whole (QLineEdit's own
// maxLength would cut a stored "10000" to "1000" and load the wrong group).
class LengthLimit : public QValidator
{
public:
    LengthLimit(QLineEdit *edit, int maxLength)
        : QValidator(edit)
        , m_accepted(edit->text())
        , m_maxLength(maxLength)
    {
        // The box has already changed its text when it asks us, so remember
        // the last text it took (typed or set by the program).
        connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { m_accepted = text; });
    }

    State validate(QString &input, int &) const override
    {
        // Refuse only growth past the limit, so an over-long text set by the
        // program can still be shortened with Backspace.
        if (input.size() > m_maxLength && input.size() > m_accepted.size())
            return Invalid;
        return Acceptable;
    }

private:
    QString m_accepted;
    int m_maxLength;
};

// Installs the limit on `edit`.
inline void limitTypedLength(QLineEdit *edit, int maxLength)
{
    edit->setValidator(new LengthLimit(edit, maxLength));
}
