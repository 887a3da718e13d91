#pragma once

#include <QByteArray>
#include <optional>

// The controller's text answers, and how each kind is recognised. The rule for every kind:
// strict about whose answer it is (the key the protocol gives it), tolerant about its shape. An
// answer is complete once its key and its length are there; a line end after it is taken with it
// when it has already come, and never waited for.
//
// | kind                | begins with       | key                  | complete at                 |
// |---------------------|-------------------|----------------------|-----------------------------|
// | query reply         | "?", letter, "\r" | the letter           | 10 bytes ("?C\r=0045" and   |
// |                     |                   |                      | the two bytes after it)     |
// | reference-set echo  | "Sj0"             | "Sj0"                | 5 bytes ("Sj000")           |
// | set echo            | "S", letter       | the letter (its      | 6 bytes (four value digits),|
// |                     |                   | value is compared,   | or a line end after a       |
// |                     |                   | never required)      | shorter value               |
//
// The boot loader's answers (device tag, ready word, 64-byte packet answers) are binary and
// recognised by the firmware upload itself: the tag and the ready word by their words, packet
// answers by their number.
enum class AnswerKind { QueryReply, ReferenceSetEcho, SetEcho };

struct AnswerShape {
    AnswerKind kind;
    const char* lead;         // the bytes it begins with ("?" must have "\r" as its third byte)
    qsizetype length;         // complete at this many bytes
    bool shortenedByLineEnd;  // a line end within it ends it early (a short value text)
};

inline constexpr AnswerShape kAnswerShapes[] = {
    {AnswerKind::QueryReply, "?", 10, false},
    {AnswerKind::ReferenceSetEcho, "Sj0", 5, false},
    {AnswerKind::SetEcho, "S", 6, true},
};

// The length of a query reply.
inline constexpr qsizetype kQueryReplyLength = 10;

// Cuts the first complete answer off the front of `buffer`, with the line end behind it as far
// as it has come. Bytes in front of it that begin no answer (the rest of a line end, noise, a
// live frame) are cut with it and, when asked, handed back in `dropped`. nullopt when no
// complete answer is there yet; what may still become one stays in the buffer.
std::optional<QByteArray> CutAnswer(QByteArray& buffer, QByteArray* dropped = nullptr);

// Whether an answer is the echo of this set command: the same letter. Its value may differ
// (EchoCarriesOtherValue): the controller has answered, with what it stored.
bool IsEchoOf(const QByteArray& answer, const QByteArray& sentFrame);
// Whether the echo of a set command carries another value than the command sent. A value sent
// as other text than digits (a stored text of a restored file) is never called other, since the
// controller echoes it in its own digits.
bool EchoCarriesOtherValue(const QByteArray& echo, const QByteArray& sentFrame);
// Whether an answer is the controller's echo of a reference-set choice: "Sj0" and five bytes.
bool IsReferenceSetEcho(const QByteArray& answer);

// Whether an answer is the reply to the query of this letter.
bool IsReplyTo(const QByteArray& answer, char letter);

// The value digits of a query reply, read as LeadingDigits reads them.
int ReplyValue(const QByteArray& reply);
