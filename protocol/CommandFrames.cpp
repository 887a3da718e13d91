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
