#include "ControllerSim.h"

#include <QtEndian>
#include <algorithm>

#include "PrintableBytes.h"

namespace {

// A frame longer than this without its "\r" is line noise; only its tail is kept.
constexpr int kMaxLine = 64;

QByteArray FourDigits(int value) {
    return QByteArray::number(value % 10000).rightJustified(4, '0');
}

// The value text of a set command, read the way the controller's firmware does: leading
// blanks and a plus sign are skipped, digits are taken up to the first non-digit, and the
// value is kept modulo 10000. A minus sign or no digits at all give 0.
int ParseValue(const QByteArray& text) {
    int i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && text[i] == '+') ++i;
    int value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = (value * 10 + (text[i] - '0')) % 10000;
    return value;
}

}  // namespace

ControllerSim::ControllerSim(const SimConfig& config)
    : m_faults(config.faults), m_nVersion(config.firmwareVersion), m_bQuietSets(config.quietSets) {
    SetDeviceTag(config.deviceTag);
    m_bResetOnUpgrade = config.resetOnUpgrade;
    m_shapes.lineEnd = config.lineEnd;
    m_shapes.quietAnnouncement = config.quietAnnouncement;
    m_shapes.shortReferenceEcho = config.shortReferenceEcho;
    m_shapes.otherValueLetter = config.otherValueLetter;
    for (const auto& [letter, value] : config.presets) m_store.Set(letter, value);
}

void ControllerSim::Receive(QByteArrayView bytes) {
    for (char byte : bytes) {
        if (m_bootLoader.Active()) {
            // The boot loader only knows packets; anything else at a packet boundary means
            // the sender has given up, and the loader hands over to the application.
            if (!m_bootLoader.AtPacketStart() ||
                SimBootLoader::IsPacketType(static_cast<quint8>(byte))) {
                ReceivePacketByte(byte);
                continue;
            }
            m_bootLoader.Leave();
            Note(QStringLiteral("boot loader left: no packet follows"));
        }
        ReceiveAscii(byte);
    }
}

void ControllerSim::ReceiveAscii(char byte) {
    if (byte == '\r') {
        QByteArray frame;
        frame.swap(m_line);
        if (!frame.isEmpty()) HandleFrame(frame + '\r');
        return;
    }
    if (byte == '\n' && m_line.isEmpty()) return;
    m_line.append(byte);
    if (m_line.size() > kMaxLine) m_line.remove(0, m_line.size() - kMaxLine);
}

void ControllerSim::ReceivePacketByte(char byte) {
    QByteArray packet;
    std::optional<SimBootLoader::Answer> answer = m_bootLoader.Feed(byte, &packet);
    if (!answer) return;
    if (onFrame) onFrame(packet, true);
    if (m_faults.IsPacketDropped(answer->number)) {
        Note(QStringLiteral("fault: no answer to packet %1").arg(answer->number));
    } else {
        if (m_faults.IsBadAck(answer->number)) {
            qToLittleEndian<quint32>(answer->number, answer->bytes.data() + 4);
            Note(QStringLiteral("fault: answer to packet %1 carries %1").arg(answer->number));
        }
        if (m_faults.IsBadSum() && answer->type == SimBootLoader::End) {
            const quint32 wrong = m_bootLoader.Sum() + 1;
            qToLittleEndian<quint32>(wrong, answer->bytes.data() + 8);
            Note(QStringLiteral("fault: checksum %1 instead of %2")
                     .arg(wrong)
                     .arg(m_bootLoader.Sum()));
        }
        Emit(answer->bytes);
    }
    if (!m_bootLoader.Active()) FinishUpload();
}

void ControllerSim::FinishUpload() {
    const SimBootLoader& loader = m_bootLoader;
    if (loader.SenderSum() != loader.Sum() || !loader.EndReceived()) {
        Note(QStringLiteral("upload confirmed, but the end packet's sum %1 is not the sum %2 of "
                            "the bytes received: image rejected; application started")
                 .arg(loader.SenderSum())
                 .arg(loader.Sum()));
        return;
    }
    Note(QStringLiteral("upload confirmed (%1 image bytes, sum %2); application started")
             .arg(loader.Image().size())
             .arg(loader.Sum()));
    if (m_bResetOnUpgrade) m_store.Reset();
    if (onFirmwareInstalled) onFirmwareInstalled(loader.Installed());
}

void ControllerSim::HandleFrame(const QByteArray& frame) {
    if (onFrame) onFrame(frame, false);
    const QByteArray body = frame.chopped(1);
    const qsizetype n = body.size();
    if (n >= 2 && body[n - 2] == '?') return HandleQuery(body[n - 1]);
    const qsizetype up = body.lastIndexOf("UP");
    if (up >= 0 && n - up == 6) return HandleUpgradeStart(body.mid(up + 2));
    const qsizetype set = body.indexOf('S');
    if (set >= 0 && set + 1 < n) return HandleSet(body[set + 1], body.mid(set + 2));
    Note(QStringLiteral("unknown frame \"%1\" ignored").arg(PrintableBytes(frame)));
}

void ControllerSim::HandleQuery(char letter) {
    const QByteArray key = QByteArray("?") + letter;
    if (letter == 'W') return Reply(key, "?W\r=" + m_deviceTag + "BL\r\n");
    int value = letter == 'V' ? m_nVersion : m_store.Value(letter);
    if (m_faults.TakeZero(letter)) {
        Note(QStringLiteral("fault: ?%1 answered 0 instead of %2")
                 .arg(QLatin1Char(letter))
                 .arg(value));
        value = 0;
    }
    Reply(key, key + "\r=" + FourDigits(value) + "\r\n");
}

void ControllerSim::HandleSet(char letter, const QByteArray& text) {
    int value = ParseValue(text);
    bool echo = !m_bQuietSets;
    bool shortEcho = false;
    switch (letter) {
        case 'V':  // the firmware version is not a setting
            break;
        case '~':
            SetLive(value != 0);
            break;
        case 'j':
            if (value < SimParameterStore::kReferenceSets) {
                m_store.LoadReferenceSet(value);
                echo = true;  // the tool waits for this echo to read everything back
                shortEcho = m_shapes.shortReferenceEcho;
            } else {
                m_store.Set(letter, value);
                echo = echo && !m_shapes.quietAnnouncement;
            }
            break;
        default:
            if (letter == m_shapes.otherValueLetter) value = (value + 1) % 10000;
            m_store.Set(letter, value);
            break;
    }
    const QByteArray key = QByteArray("S") + letter;
    const QByteArray echoed = key + FourDigits(value);
    if (echo) Reply(key, shortEcho ? echoed.first(5) : echoed + m_shapes.lineEnd.value_or("\r\n"));
}

void ControllerSim::HandleUpgradeStart(const QByteArray& tag) {
    if (tag != m_deviceTag) {
        Note(QStringLiteral("upgrade start for %1 ignored: this controller is %2")
                 .arg(QString::fromLatin1(tag), QString::fromLatin1(m_deviceTag)));
        return;
    }
    SetLive(false);
    m_bootLoader.Enter();
    Note(QStringLiteral("boot loader entered"));
    Reply("UP", "RADY" + m_shapes.lineEnd.value_or(QByteArray()));
}

void ControllerSim::TickLive() {
    if (!m_bLive) return;
    for (const QByteArray& frame : m_live.NextRound()) Emit(frame);
}

void ControllerSim::PowerCycle() {
    m_bootLoader.Leave();
    SetLive(false);
    m_line.clear();
}

void ControllerSim::SetLive(bool on) {
    if (on == m_bLive) return;
    m_bLive = on;
    if (onLiveChanged) onLiveChanged(on);
}

void ControllerSim::SetDeviceTag(const QByteArray& tag) {
    m_deviceTag = tag.left(4).leftJustified(4, ' ');
}

void ControllerSim::Reply(const QByteArray& key, const QByteArray& bytes) {
    if (m_faults.TakeDrop(key)) {
        Note(QStringLiteral("fault: reply to %1 dropped").arg(PrintableBytes(key)));
        return;
    }
    const int noise = m_faults.TakeNoise(key);
    if (noise > 0)
        Note(QStringLiteral("fault: %1 noise bytes before the reply to %2")
                 .arg(noise)
                 .arg(PrintableBytes(key)));
    Emit(Noise(noise) + bytes);
}

void ControllerSim::Emit(QByteArray bytes) {
    if (m_bSilent) return;
    const qint64 limit = m_faults.SilentAfter();
    if (limit >= 0 && m_nBytesSent + bytes.size() >= limit) {
        bytes.truncate(std::max<qint64>(0, limit - m_nBytesSent));
        m_bSilent = true;
        Note(QStringLiteral("fault: silent after %1 bytes").arg(limit));
    }
    if (bytes.isEmpty()) return;
    m_nBytesSent += bytes.size();
    if (onOutput) onOutput(bytes);
}

QByteArray ControllerSim::Noise(int count) {
    // A fixed pseudo-random sequence, so that a run with noise can be repeated exactly.
    QByteArray noise(count, '\0');
    for (char& c : noise) {
        m_nNoiseSeed = m_nNoiseSeed * 1664525u + 1013904223u;
        c = static_cast<char>(m_nNoiseSeed >> 24);
    }
    return noise;
}

void ControllerSim::Note(const QString& what) {
    if (onEvent) onEvent(what);
}
