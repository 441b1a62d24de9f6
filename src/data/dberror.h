#pragma once
#include "data/errornumbers.h"

#include <QString>
#include <stdexcept>

namespace orv::data {

// A failure with the number and text shown to the user.
class NumberedError : public std::runtime_error {
public:
    NumberedError(long number, const QString &description)
        : std::runtime_error(description.toStdString()), m_number(number), m_description(description)
    {
    }
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

// A database failure.
class DbError : public NumberedError {
public:
    using NumberedError::NumberedError;
};

} // namespace orv::data
