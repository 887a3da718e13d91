#pragma once

#include <QByteArray>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "MemoryLine.h"

// A scripted controller behind an in-memory line: `controller` may answer each frame written,
// and Pump() delivers the answers one receive event each, so that a frame is only ever sent in
// reaction to an answer already taken.
class ScriptedAnswers {
public:
    // Delivers the controller's answers, one receive event each, until none is left.
    void Pump() {
        while (!m_answers.empty()) {
            const QByteArray answer = m_answers.front();
            m_answers.pop_front();
            ++m_answersDelivered;
            m_scriptedLine->Inject(answer);
        }
    }

    std::vector<QByteArray> SentFrames() const {
        std::vector<QByteArray> frames;
        for (const auto& sent : m_scriptedLine->Sent()) frames.push_back(sent.bytes);
        return frames;
    }

    // How many answers had been delivered when each frame was written.
    const std::vector<int>& WrittenAfterAnswers() const { return m_writtenAfterAnswers; }

    std::function<std::vector<QByteArray>(const QByteArray&)> controller;

protected:
    void AnswerFramesWrittenTo(MemoryLine& line) {
        m_scriptedLine = &line;
        line.onWritten = [this](const QByteArray& frame) {
            m_writtenAfterAnswers.push_back(m_answersDelivered);
            if (controller)
                for (QByteArray answer : controller(frame)) m_answers.push_back(std::move(answer));
        };
    }
    void ForgetWrittenFrames() {
        m_scriptedLine->ClearSent();
        m_writtenAfterAnswers.clear();
    }

private:
    MemoryLine* m_scriptedLine = nullptr;
    std::deque<QByteArray> m_answers;
    int m_answersDelivered = 0;
    std::vector<int> m_writtenAfterAnswers;
};
