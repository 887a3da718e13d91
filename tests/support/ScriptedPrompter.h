#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "Prompter.h"

// Records every message box and file dialog and answers from queues; never blocks.
// With an empty queue a message box is answered with its default button and a file dialog
// is cancelled.
class ScriptedPrompter : public Prompter {
public:
    PromptAnswer Message(const PromptMessage& message) override {
        m_shown.push_back(message);
        if (onShown) onShown(message);
        if (m_answers.empty()) return message.defaultAnswer;
        const PromptAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    std::optional<QString> OpenFile(const FileRequest& request) override {
        return NextFile(request);
    }
    std::optional<QString> SaveFile(const FileRequest& request) override {
        return NextFile(request);
    }

    void QueueAnswer(PromptAnswer answer) { m_answers.push_back(answer); }
    // A path to choose, or nullopt to cancel the dialog.
    void QueueFile(const std::optional<QString>& path) {
        m_files.push_back({path.has_value(), path.value_or(QString())});
    }

    const std::vector<PromptMessage>& Shown() const { return m_shown; }
    // Runs while a message box is open, as the event loop of a real box would.
    std::function<void(const PromptMessage&)> onShown;
    const std::vector<FileRequest>& FileRequests() const { return m_fileRequests; }
    void Clear() {
        m_shown.clear();
        m_fileRequests.clear();
    }

private:
    std::optional<QString> NextFile(const FileRequest& request) {
        m_fileRequests.push_back(request);
        if (m_files.empty()) return std::nullopt;
        const auto [chosen, path] = m_files.front();
        m_files.pop_front();
        if (!chosen) return std::nullopt;
        return path;
    }

    std::deque<PromptAnswer> m_answers;
    std::deque<std::pair<bool, QString>> m_files;  // chosen, path
    std::vector<PromptMessage> m_shown;
    std::vector<FileRequest> m_fileRequests;
};
