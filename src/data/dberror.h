#pragma once
#include <QString>
#include <stdexcept>

namespace orv::data {

// Error numbers the record windows react to. They keep the values the
// windows have always shown, so that messages and tests stay comparable.
inline constexpr long ErrRowGone = -2147217864;     // row no longer exists as read
inline constexpr long ErrBadValue = -2147217887;    // value not accepted by the column
inline constexpr long ErrDuplicateKey = -2147467259; // another row already has this key
inline constexpr long ErrGeneric = -2147467259;     // any other database failure

// A database failure with the number and text shown to the user.
class DbError : public std::runtime_error {
public:
    DbError(long number, const QString &description)
        : std::runtime_error(description.toStdString()), m_number(number), m_description(description) {}
    long number() const { return m_number; }
    const QString &description() const { return m_description; }
    // "Prefix" + number + " " + description, the pattern every error box uses.
    QString message(const QString &prefix) const
    {
        return prefix + QString::number(m_number) + QLatin1Char(' ') + m_description;
    }

private:
    long m_number;
    QString m_description;
};

} // namespace orv::data
