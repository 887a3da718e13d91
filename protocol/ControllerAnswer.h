#pragma once

#include <QByteArray>
#include <optional>

// The controller's answers, one at a time: a query reply is ten bytes ("?", letter, "\r", one
// byte, four value digits, two bytes), a set command's echo is "S", the letter, its value text
// and "\r" (the controller then ends the line with one more byte).

// The length of a query reply.
inline constexpr qsizetype kQueryReplyLength = 10;

// Whether an echo is taken only once the byte after its "\r" has come (the special set chains
// take an echo on its eighth byte).
enum class EchoEnd { AtLineEnd, AfterLineEnd };

// Cuts the first complete answer off the front of `buffer`. Bytes in front of it that begin no
// answer (the rest of a line end, noise, a live frame) are dropped with it. nullopt when no
// complete answer is there yet; what may still become one stays in the buffer.
std::optional<QByteArray> CutAnswer(QByteArray& buffer, EchoEnd echoEnd);

// Whether an answer is the echo of this set command: the same letter and the same value. A
// value sent as other text than four digits (a stored text of a restored file) is matched by its
// letter only, since the controller echoes it in its own digits.
bool IsEchoOf(const QByteArray& answer, const QByteArray& sentFrame);

// Whether an answer is the reply to the query of this letter.
bool IsReplyTo(const QByteArray& answer, char letter);

// The value digits of a query reply, read as LeadingDigits reads them.
int ReplyValue(const QByteArray& reply);
