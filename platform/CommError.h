#pragma once

#include <QString>
#include <stdexcept>

// Raised by the serial control when an operation cannot be carried out (absent port, port in
// use, no permission, Output or Input on a closed port). The text is shown to the operator, in
// the window's language when the error has both.
class CommError : public std::runtime_error {
public:
    // The same text in either language.
    explicit CommError(const QString& text) : CommError(text, text) {}
    CommError(const QString& english, const QString& chinese)
        : std::runtime_error(english.toStdString()), m_strText(english), m_strChinese(chinese) {}
    // The English text (the command line's).
    const QString& Text() const { return m_strText; }
    const QString& Text(bool english) const { return english ? m_strText : m_strChinese; }

private:
    QString m_strText;
    QString m_strChinese;
};
