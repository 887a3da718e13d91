#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The ASCII frames sent to the controller.

// "S", letter, four digits of value modulo 10000 (most significant first), "\r".
QByteArray SetCommand(char letter, int value);
// "S", letter, the stored text unchanged, "\r" (the bulk write of a restored file).
QByteArray StoredTextSetCommand(char letter, const QByteArray& text);
// "?", letter, "\r".
QByteArray QueryCommand(char letter);

inline const QByteArray kVersionQuery = QByteArrayLiteral("?V\r");
inline const QByteArray kLiveDisplayOn = QByteArrayLiteral("S~0001\r");
inline const QByteArray kLiveDisplayOff = QByteArrayLiteral("S~0000\r");

// The number a value text starts with, as the controller's digits and the saved parameter
// lines are read: leading blanks skipped, an optional sign, then decimal digits up to the first
// other character. 0 when the text holds no digit there; never overflows.
int LeadingNumber(QByteArrayView text);
// The number the value bytes of a reply start with: decimal digits only (a sign or a blank is
// not a digit), 0 when the bytes start with none.
int LeadingDigits(QByteArrayView text);
