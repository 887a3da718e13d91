#pragma once

#include <QString>

// A text the program shows in Chinese or in English, chosen by the language flag when shown.
struct BiText {
    const char* chinese;
    const char* english;
    QString In(bool english) const { return QString::fromUtf8(english ? this->english : chinese); }
};

// Texts that several windows show.
namespace texts {

// Caption of every hint; hints are Chinese in both languages.
inline const char* const kHintCaption = "瑞翎航模提示：";
// An integer box that holds other text.
inline const char* const kNotAnInteger = "请键入一个整数。";
inline constexpr BiText kMessageCaption{"瑞翎航模提示:", "Velmora Mentioned:"};

}  // namespace texts
