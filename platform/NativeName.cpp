#include "NativeName.h"

namespace {

constexpr char16_t kCarriedFirst = 0xDC80;
constexpr char16_t kCarriedLast = 0xDCFF;

bool IsCarried(char16_t unit) { return unit >= kCarriedFirst && unit <= kCarriedLast; }

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point of the well-formed UTF-8 sequence at bytes[at] and its length; 0 when the
// byte there starts none (a stray byte, an overlong form, a surrogate, past U+10FFFF).
int SequenceAt(QByteArrayView bytes, qsizetype at, char32_t* point) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    int length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        *point = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) return 0;
    for (int i = 1; i < length; ++i) {
        if (!IsContinuation(byte(i))) return 0;
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *point = value;
    return length;
}

}  // namespace

QString NameFromNative(QByteArrayView bytes) {
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t point = 0;
        const int length = SequenceAt(bytes, at, &point);
        if (length == 0) {
            name += QChar(char16_t(0xDC00 + static_cast<unsigned char>(bytes[at])));
            ++at;
            continue;
        }
        name += QString::fromUcs4(&point, 1);
        at += length;
    }
    return name;
}

QByteArray NativeName(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype from = 0;  // the start of the text not yet encoded
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        // A carried byte is a low surrogate with no high one before it.
        const bool paired = i > 0 && QChar::isHighSurrogate(name[i - 1].unicode());
        if (!IsCarried(unit) || paired) continue;
        bytes += QStringView(name).mid(from, i - from).toUtf8();
        bytes += char(unit - 0xDC00);
        from = i + 1;
    }
    bytes += QStringView(name).mid(from).toUtf8();
    return bytes;
}

QString ShownName(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        const bool paired = i > 0 && QChar::isHighSurrogate(text[i - 1].unicode());
        if (IsCarried(unit) && !paired)
            shown += QStringLiteral("\\x%1").arg(unit - 0xDC00, 2, 16, QLatin1Char('0'));
        else
            shown += text[i];
    }
    return shown;
}
