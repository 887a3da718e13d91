#include "ParameterLabel.h"

#include "BiText.h"
#include "ParameterCaption.h"

namespace {

constexpr BiText kSwitchRow{"开关行", " switch row"};

}  // namespace

QString ParameterLabel(char letter, NameLanguage language) {
    return ParameterCaption(letter, language == NameLanguage::English);
}

QString LetterWithName(char letter, NameLanguage language) {
    QString name = ParameterLabel(letter, language);
    if (IsSwitchRow(letter)) name += kSwitchRow.In(language == NameLanguage::English);
    return QStringLiteral("%1 (%2)").arg(QLatin1Char(letter)).arg(name);
}

JsonMembers NameMembers(std::string_view letters, NameLanguage language) {
    JsonMembers members;
    for (char letter : letters)
        members.emplace_back(QString(QLatin1Char(letter)),
                             JsonString(ParameterLabel(letter, language)));
    return members;
}

int DisplayWidth(const QString& text) {
    int width = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                          (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                          (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                          (u >= 0xFFE0 && u <= 0xFFE6);
        width += wide ? 2 : 1;
    }
    return width;
}
