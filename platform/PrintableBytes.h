#pragma once

#include <QByteArray>
#include <QString>

// Bytes as one line of text for logs and messages: printable ASCII as it is, \r and \n
// spelled out, any other byte as \xHH.
QString PrintableBytes(const QByteArray& bytes);
