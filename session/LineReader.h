#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

#include "LiveDataParser.h"
#include "RxMode.h"

class CMSComm;
class IProtocolListener;
struct ProtocolState;

// Writes received bytes that no conversation takes to the debug log, with the reason, so that a
// log shows what the controller said.
void LogDropped(const QByteArray& bytes, const char* why);

// Reads what the controller sends, by the receive mode of the conversation that has the line:
// the text modes (0, 7, 15, 20) cut the bytes into complete answers (ControllerAnswer), whatever
// the read boundaries, and hand each on its own, in arrival order, to the answer taker (the
// session's running conversation); the live mode (10) parses live frames; the device-tag and
// boot-loader modes (30, 2 to 6) hand each event's bytes, kept in the buffer as well, to the
// answer taker (the firmware upload reads its answers from them). An answer nobody takes is
// dropped and written to the debug log.
//
// Serial-control errors (a closed port) propagate as CommError.
class LineReader {
public:
    LineReader(ProtocolState& state, CMSComm& comm, IProtocolListener& listener);

    // Handler of the serial control's OnComm: reads Input on a receive event, then evaluates.
    void OnComm();
    // Appends received bytes to the buffer and evaluates it (what OnComm does with Input).
    void Receive(QByteArrayView bytes);
    // Reads what waits on the open port and evaluates it. A time-out calls this before it
    // declares the line silent: an answer that came while the program was busy (its
    // notification not yet handled) is the controller's, not silence.
    void ReceiveWaiting();

    // The receive mode of the conversation that takes the line (0, 7, 15, 20, 30, 2 to 6).
    void SetAnswerMode(RxMode mode) { m_mode = mode; }
    // Who takes the answers (and the boot loader's bytes): the session's running conversation.
    // True when it took them.
    void SetAnswerTaker(std::function<bool(const QByteArray&)> taker) {
        m_takeAnswer = std::move(taker);
    }

    // One set command in mode 0 (an ordinary setting: its echo is dropped).
    void SendSetting(char letter, int wire);
    // A switch row or reverse mask: stale input dropped, then the set command, in mode 0 or,
    // with keepMode, in the mode of the moment (a running live display goes on being parsed).
    void SendMask(char letter, int wire, bool keepMode);
    // Mode 10, the receive state emptied, stale input dropped, "S~0001\r".
    void StartLiveDisplay();
    // Mode 0, "S~0000\r".
    void StopLiveDisplay();
    // Mode 0 (and, when asked, an empty receive buffer): the idle state.
    void EnterIdle(bool clearReceive);

    // A reply's value into the cache (the letter's watchers told) and to the listener; the
    // version's ("?V") into the firmware version.
    void ApplyValue(char letter, int wire);
    // Empties the receive buffer and its count.
    void ClearReceive();
    // Sends a frame once what waits on the port has been read and dropped, so that it does not
    // become part of the answer.
    void SendLink(const QByteArray& frame);
    // Reads what waits on the port and drops it (to the debug log).
    void DiscardInput();

    RxMode ReceiveMode() const { return m_mode; }

private:
    void Append(QByteArrayView bytes);
    void Evaluate(QByteArrayView received = {});
    // Modes 0, 7, 15 and 20: the buffer cut into answers, each handed to the answer taker.
    void EvaluateAnswers();
    void EvaluateLiveData(QByteArrayView bytes);
    // Modes 30 and 2 to 6: the event's bytes to the answer taker.
    void HandOverBootBytes(QByteArrayView received);

    ProtocolState& m_state;
    RxMode m_mode = RxMode::ReadBack;
    CMSComm& m_comm;
    IProtocolListener& m_listener;
    LiveDataParser m_live;
    std::function<bool(const QByteArray&)> m_takeAnswer;
};
