#pragma once

#include <QByteArray>
#include <functional>

#include "MemoryLine.h"

// A controller at the far end of an in-memory line, answering as the real one does: a query
// "?X\r" with ten bytes "?X\r=dddd\r\n", a set command "SXdddd\r" with its eight-byte echo.
// Answers arrive through the event loop, like bytes on a port. `beforeAnswer` runs as a frame
// comes in, before it is answered; returning false leaves the frame unanswered.
class ScriptedController {
public:
    explicit ScriptedController(MemoryLine& line, std::function<int(char)> value = {})
        : m_line(line), m_value(std::move(value)) {
        m_line.onWritten = [this](const QByteArray& frame) { Answer(frame); };
    }
    ~ScriptedController() { m_line.onWritten = nullptr; }

    std::function<bool(const QByteArray& frame)> beforeAnswer;

private:
    static QByteArray FourDigits(int value) {
        return QByteArray::number(value % 10000).rightJustified(4, '0');
    }
    void Answer(const QByteArray& frame) {
        if (beforeAnswer && !beforeAnswer(frame)) return;
        if (frame.size() == 3 && frame[0] == '?') {
            const int value = m_value ? m_value(frame[1]) : 50;
            m_line.Feed(frame + '=' + FourDigits(value) + "\r\n");
        } else if (frame.size() == 7 && frame[0] == 'S') {
            m_line.Feed(frame + '\n');
        }
    }

    MemoryLine& m_line;
    std::function<int(char)> m_value;
};
