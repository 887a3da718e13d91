#include "CommandFrames.h"

QByteArray SetCommand(char letter, int value) {
    // A negative value would produce a minus sign; the modulo keeps four digits on the wire.
    const int digits = ((value % 10000) + 10000) % 10000;
    QByteArray frame("S");
    frame += letter;
    frame += QByteArray::number(digits).rightJustified(4, '0');
    frame += '\r';
    return frame;
}

QByteArray StoredTextSetCommand(char letter, const QByteArray& text) {
    QByteArray frame("S");
    frame += letter;
    frame += text;
    frame += '\r';
    return frame;
}

QByteArray QueryCommand(char letter) {
    QByteArray frame("?");
    frame += letter;
    frame += '\r';
    return frame;
}

int LeadingDigits(QByteArrayView text) {
    // Nine digits already exceed any four-digit wire value; further digits are ignored.
    constexpr int kMaxDigits = 9;
    int value = 0;
    for (qsizetype at = 0; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        if (at < kMaxDigits) value = value * 10 + (text[at] - '0');
    return value;
}

int LeadingNumber(QByteArrayView text) {
    qsizetype at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    const int value = LeadingDigits(text.sliced(at));
    return negative ? -value : value;
}
