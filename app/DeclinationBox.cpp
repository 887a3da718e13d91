#include "DeclinationBox.h"

#include <QLineEdit>

#include "Prompter.h"
#include "UiTexts.h"

DeclinationBox::DeclinationBox(QLineEdit& box, Prompter& prompter, std::function<bool()> english)
    : m_box(box), m_prompter(prompter), m_english(std::move(english)) {}

bool DeclinationBox::Take() {
    bool isInteger = false;
    const int value = m_box.text().trimmed().toInt(&isInteger);
    if (!isInteger) {
        m_prompter.Message({QStringLiteral("Vexa"), texts::kNotAnInteger.In(m_english()),
                            PromptButtons::Ok, PromptIcon::Warning, PromptAnswer::Ok});
        m_box.setFocus();
        return false;
    }
    m_degrees = value;
    return true;
}

void DeclinationBox::Show() { m_box.setText(QString::number(m_degrees)); }

void DeclinationBox::Set(int degrees) {
    m_degrees = degrees;
    Show();
}
