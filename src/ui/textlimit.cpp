#include "ui/textlimit.h"

#include "data/dbtext.h"

#include <QLineEdit>
#include <QValidator>
#include <algorithm>

namespace orv::ui {
namespace {

class CharacterLimit final : public QValidator {
public:
    CharacterLimit(int chars, QObject *parent) : QValidator(parent), m_chars(chars) {}
    int chars() const { return m_chars; }

    State validate(QString &input, int &pos) const override
    {
        qsizetype excess = data::characterCount(input) - m_chars;
        if (excess <= 0)
            return Acceptable;
        // What was just put in ends at the cursor: leave out its end first.
        pos = int(std::min<qsizetype>(pos, input.size()));
        while (excess > 0 && pos > 0) {
            int start = pos - 1;
            if (start > 0 && input.at(start).isLowSurrogate() && input.at(start - 1).isHighSurrogate())
                --start;
            input.remove(start, pos - start);
            pos = start;
            --excess;
        }
        if (excess > 0) {
            input = data::leftCharacters(input, m_chars);
            pos = int(std::min<qsizetype>(pos, input.size()));
        }
        return Acceptable;
    }

private:
    int m_chars;
};

} // namespace

void limitLength(QLineEdit *box, int chars)
{
    // The box's own limit counts UTF-16 units and may cut a surrogate pair;
    // at twice the characters it never takes away what the validator keeps.
    box->setMaxLength(2 * chars);
    box->setValidator(new CharacterLimit(chars, box));
}

int lengthLimit(const QLineEdit *box)
{
    const auto *v = dynamic_cast<const CharacterLimit *>(box->validator());
    return v ? v->chars() : 0;
}

} // namespace orv::ui
