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

// Caption of every hint.
inline constexpr BiText kHintCaption{"瑞翎航模提示：", "Velmora Mentioned："};
// An integer box that holds other text.
inline constexpr BiText kNotAnInteger{"请键入一个整数。", "Please enter a whole number."};
inline constexpr BiText kMessageCaption{"瑞翎航模提示:", "Velmora Mentioned:"};

}  // namespace texts
