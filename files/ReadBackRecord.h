#pragma once

#include <map>
#include <optional>

// What the controller answered in its last read-back, letter by letter, as the wire carried it,
// and whether that read-back went through to its last query. A window or a command line feeds
// it from its protocol listener; the backup and the export's range notes read it.
class ReadBackRecord {
public:
    // Every query reply, as IProtocolListener::OnQueryReply reports it. The version reply opens
    // a new read-back: until it ends, the record is not complete.
    void OnQueryReply(char letter, int wire);
    void OnReadBackFinished() { m_bComplete = true; }
    void OnReadBackIncomplete() { m_bComplete = false; }
    // The port was closed or changed: what was read belongs to another controller now.
    void Forget();

    bool IsComplete() const { return m_bComplete; }
    std::optional<int> WireOf(char letter) const;
    const std::map<char, int>& WireValues() const { return m_wire; }

private:
    std::map<char, int> m_wire;
    bool m_bComplete = false;
};
