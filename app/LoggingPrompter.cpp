#include "LoggingPrompter.h"

#include <cstdio>

PromptAnswer LoggingPrompter::Message(const PromptMessage& message) {
    QString text = message.text;
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    std::fprintf(stderr, "vexa: %s %s\n", qPrintable(message.caption), qPrintable(text));
    return message.defaultAnswer;
}
