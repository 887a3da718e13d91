#pragma once

#include "Prompter.h"

// For runs nobody watches (--screenshot): every message goes to standard error and is answered
// with its default button; file dialogs are cancelled.
class LoggingPrompter : public Prompter {
public:
    PromptAnswer Message(const PromptMessage& message) override;
    std::optional<QString> OpenFile(const FileRequest&) override { return std::nullopt; }
    std::optional<QString> SaveFile(const FileRequest&) override { return std::nullopt; }
};
