#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// File names are bytes to the system. A name from the command line or a file dialog keeps
// every byte on its way to the system: what is UTF-8 reads as text, and each byte that is not
// (a GBK name copied from an old Windows machine) is carried as one lone surrogate,
// U+DC80-U+DCFF, which no text holds. Two different names never become one, and a name that
// cannot be shown still opens.

// The name as text: UTF-8 decoded, every other byte carried as U+DC00 + byte.
QString NameFromNative(QByteArrayView bytes);

// The name as the system spells it: the UTF-8 of the text, and each carried byte as itself.
QByteArray NativeName(const QString& name);

// The name (or a message holding one) for a person to read: each carried byte as "\xNN".
QString ShownName(const QString& text);
