#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Conversion between the program's text and GBK (code page 936), the encoding of the parameter
// text files and of the labels' fixed byte widths.
namespace gbk {

// nullopt when the text has a character GBK cannot represent.
std::optional<QByteArray> Encode(const QString& text);
// nullopt when the bytes are not valid GBK.
std::optional<QString> Decode(const QByteArray& bytes);

}  // namespace gbk
