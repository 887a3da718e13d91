#pragma once

#include <QString>
#include <stdexcept>

// Raised by the serial control when an operation cannot be carried out (absent port, port in
// use, no permission, Output or Input on a closed port). The text is shown to the operator.
class CommError : public std::runtime_error {
public:
    explicit CommError(const QString& text)
        : std::runtime_error(text.toStdString()), m_strText(text) {}
    const QString& Text() const { return m_strText; }

private:
    QString m_strText;
};
