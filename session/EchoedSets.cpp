#include "EchoedSets.h"

#include <algorithm>
#include <numeric>

#include "CommandFrames.h"
#include "ControllerAnswer.h"
#include "ISessionListener.h"
#include "ParamTable.h"
#include "ProtocolState.h"
#include "ReadBackChain.h"

namespace {

constexpr char kFirstFrameLetter = kFrameGeometryOrder.front();  // the axis count
constexpr char kLastFrameLetter = 'y';

}  // namespace

// The first frame goes out as it is: in mode 15 the answers already on their way are read as
// they come.
void EchoedSetChain::Start(ConversationLine& line) {
    m_sent = FirstFrame();
    m_awaited = m_sent[1];
    line.SendAsIs(m_sent);
}

Answered EchoedSetChain::Take(const QByteArray& answer, ConversationLine& line) {
    if (m_sent.isEmpty() || !IsEchoOf(answer, m_sent)) return Answered::NotMine;
    NoteEcho(answer, std::exchange(m_sent, {}), line);
    m_lastEchoed = answer[1];
    // The controller stores each value before it takes the next one.
    line.Pause(kLinkPause);
    const QByteArray next = FrameAfter(m_lastEchoed, line);
    if (next.isEmpty()) {
        Completed(line);
        return Answered::Done;
    }
    m_sent = next;
    m_awaited = next[1];
    line.Send(next);
    line.News().OnSpecialSetEchoed(m_lastEchoed);
    return Answered::GoOn;
}

void EchoedSetChain::AfterDone(ConversationLine& line) {
    line.News().OnSpecialSetEchoed(m_lastEchoed);
}

SingleEchoedSet::SingleEchoedSet(Chain kind, char letter, int value)
    : m_kind(kind), m_frame(SetCommand(letter, value)) {}

QByteArray Calibration::FirstFrame() const { return SetCommand('0', m_cells[0]); }

QByteArray Calibration::FrameAfter(char echoed, ConversationLine&) const {
    if (echoed < '0' || echoed > '2') return {};
    // Each cell tap gets the voltage up to it: the running sum of the cells.
    const int cellCount = echoed - '0' + 2;
    return SetCommand(char(echoed + 1),
                      std::accumulate(m_cells.begin(), m_cells.begin() + cellCount, 0));
}

QByteArray FrameSave::FirstFrame() const { return SetCommand(kFirstFrameLetter, m_record[0]); }

// The record holds the axis count, the extents and the coordinates in the order k .. y.
QByteArray FrameSave::FrameAfter(char echoed, ConversationLine& line) const {
    if (echoed < kFirstFrameLetter || echoed >= kLastFrameLetter) return {};
    const char next = char(echoed + 1);
    return SetCommand(next, WireFromShown(next, m_record[std::size_t(next - kFirstFrameLetter)],
                                          line.State().m_nFwVersion));
}

void FrameSave::Completed(ConversationLine& line) {
    ParameterCache& cache = line.State().m_nParamCache;
    std::copy(m_record.begin(), m_record.end(),
              cache.begin() + ProtocolState::kFrameRecordFirstSlot);
}
