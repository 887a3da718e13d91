#include "SimOptions.h"

#include <QCommandLineParser>

namespace {

enum Option {
    kFirmware,
    kTag,
    kSet,
    kQuietSets,
    kBaud,
    kNoPace,
    kByteByByte,
    kLiveRate,
    kDrop,
    kZero,
    kNoise,
    kBadAck,
    kDropPacket,
    kBadSum,
    kSilentAfter,
    kResetOnUpgrade,
    kLineEnd,
    kQuietAnnouncement,
    kShortReferenceEcho,
    kEchoOther,
    kOptionCount
};

QCommandLineOption Make(const QStringList& names, const char* help, const char* value = nullptr) {
    return value ? QCommandLineOption(names, QString::fromUtf8(help), QString::fromUtf8(value))
                 : QCommandLineOption(names, QString::fromUtf8(help));
}

bool ToInt(const QString& text, int min, int max, int* value) {
    bool ok = false;
    *value = text.toInt(&ok);
    return ok && *value >= min && *value <= max;
}

// "?E" or "SC", optionally followed by ":COUNT".
bool ParseKeyCount(const QString& text, QByteArray* key, int* count) {
    const QByteArray bytes = text.toLatin1();
    if (bytes.size() < 2) return false;
    *key = bytes.left(2);
    *count = SimFaults::kAlways;
    if (bytes.size() == 2) return true;
    return bytes[2] == ':' && ToInt(QString::fromLatin1(bytes.mid(3)), 1, 1'000'000, count);
}

class Reader {
public:
    Reader(const QCommandLineParser& parser, const QList<QCommandLineOption>& options,
           QString* error)
        : m_parser(parser), m_options(options), m_error(error) {}

    bool IsSet(Option o) const { return m_parser.isSet(m_options[o]); }
    QStringList Values(Option o) const { return m_parser.values(m_options[o]); }
    QString Value(Option o) const { return m_parser.value(m_options[o]); }

    bool Fail(Option o, const QString& value, const char* expected) {
        *m_error = QStringLiteral("--%1 %2: expected %3")
                       .arg(m_options[o].names().constFirst(), value, QString::fromUtf8(expected));
        return false;
    }

private:
    const QCommandLineParser& m_parser;
    const QList<QCommandLineOption>& m_options;
    QString* m_error;
};

bool ReadShapes(Reader& r, SimConfig& c) {
    if (r.IsSet(kLineEnd)) {
        const QString end = r.Value(kLineEnd);
        if (end == QLatin1String("crlf"))
            c.lineEnd = QByteArray("\r\n");
        else if (end == QLatin1String("cr"))
            c.lineEnd = QByteArray("\r");
        else if (end == QLatin1String("none"))
            c.lineEnd = QByteArray();
        else
            return r.Fail(kLineEnd, end, "crlf, cr or none");
    }
    c.quietAnnouncement = r.IsSet(kQuietAnnouncement);
    c.shortReferenceEcho = r.IsSet(kShortReferenceEcho);
    if (r.IsSet(kEchoOther)) {
        const QString letter = r.Value(kEchoOther);
        if (letter.size() != 1) return r.Fail(kEchoOther, letter, "one parameter letter, e.g. D");
        c.otherValueLetter = letter[0].toLatin1();
    }
    return true;
}

bool ReadIdentity(Reader& r, SimConfig& c) {
    if (r.IsSet(kFirmware) && !ToInt(r.Value(kFirmware), 0, 9999, &c.firmwareVersion))
        return r.Fail(kFirmware, r.Value(kFirmware), "four digits, e.g. 1218");
    if (r.IsSet(kTag)) {
        const QString tag = r.Value(kTag);
        if (tag.size() != 4) return r.Fail(kTag, tag, "four characters, QZMC or QZEC");
        c.deviceTag = tag.toLatin1();
    }
    for (const QString& set : r.Values(kSet)) {
        int value = 0;
        if (set.size() < 3 || set[1] != QLatin1Char('=') || !ToInt(set.mid(2), 0, 9999, &value))
            return r.Fail(kSet, set, "LETTER=VALUE with a wire value 0-9999, e.g. C=45");
        c.presets.emplace_back(set[0].toLatin1(), value);
    }
    c.quietSets = r.IsSet(kQuietSets);
    c.resetOnUpgrade = r.IsSet(kResetOnUpgrade);
    return ReadShapes(r, c);
}

bool ReadLine(Reader& r, SimConfig& c, int defaultBaud) {
    c.paceBaud = defaultBaud;
    if (r.IsSet(kBaud) && !ToInt(r.Value(kBaud), 1, 10'000'000, &c.paceBaud))
        return r.Fail(kBaud, r.Value(kBaud), "a baud rate, e.g. 115200");
    if (r.IsSet(kNoPace)) c.paceBaud = 0;
    c.byteByByte = r.IsSet(kByteByByte);
    if (r.IsSet(kLiveRate)) {
        bool ok = false;
        c.liveRateHz = r.Value(kLiveRate).toDouble(&ok);
        if (!ok || c.liveRateHz <= 0.0 || c.liveRateHz > 1000.0)
            return r.Fail(kLiveRate, r.Value(kLiveRate), "rounds per second, 0.1-1000");
    }
    return true;
}

bool ReadFaults(Reader& r, SimFaults& f) {
    for (const QString& drop : r.Values(kDrop)) {
        QByteArray key;
        int times = 0;
        if (!ParseKeyCount(drop, &key, &times))
            return r.Fail(kDrop, drop, "FRAME[:COUNT], e.g. ?E or ?E:1 or SC");
        f.DropReply(key, times);
    }
    for (const QString& zero : r.Values(kZero)) {
        int times = 0;
        if (zero.size() < 3 || zero[1] != QLatin1Char(':') ||
            !ToInt(zero.mid(2), 1, 1'000'000, &times))
            return r.Fail(kZero, zero, "LETTER:COUNT, e.g. E:3");
        f.AnswerZero(zero[0].toLatin1(), times);
    }
    for (const QString& noise : r.Values(kNoise)) {
        const qsizetype colon = noise.indexOf(QLatin1Char(':'));
        int count = 0;
        QByteArray key;
        if (!ToInt(noise.left(colon), 1, 1'000'000, &count) ||
            (colon >= 0 && (key = noise.mid(colon + 1).toLatin1()).size() != 2))
            return r.Fail(kNoise, noise, "N[:FRAME], e.g. 2 or 2:?E");
        f.AddNoise(count, key);
    }
    for (Option o : {kBadAck, kDropPacket}) {
        for (const QString& packet : r.Values(o)) {
            int number = 0;
            if (!ToInt(packet, 1, 1'000'000'000, &number))
                return r.Fail(o, packet, "a packet number");
            o == kBadAck ? f.BadAck(number) : f.DropPacketAnswer(number);
        }
    }
    f.BadSum(r.IsSet(kBadSum));
    if (r.IsSet(kSilentAfter)) {
        int bytes = 0;
        if (!ToInt(r.Value(kSilentAfter), 0, 2'000'000'000, &bytes))
            return r.Fail(kSilentAfter, r.Value(kSilentAfter), "a byte count");
        f.SilentAfter(bytes);
    }
    return true;
}

}  // namespace

SimOptions::SimOptions() {
    m_options.resize(kOptionCount, QCommandLineOption(QStringLiteral("unused")));
    m_options[kFirmware] =
        Make({"firmware", "firmware-version"},
             "Firmware version the controller reports to \"?V\" (default 1218).", "N");
    m_options[kTag] = Make({"tag"}, "Boot loader device tag: QZMC (default) or QZEC.", "TAG");
    m_options[kSet] =
        Make({"set"}, "Store a wire value before starting, e.g. C=45 or Q=200 (repeatable).",
             "LETTER=VALUE");
    m_options[kQuietSets] = Make({"quiet-sets"},
                                 "Do not echo set commands (the reference-set loads Sj0000-Sj0003 "
                                 "are still echoed).");
    m_options[kResetOnUpgrade] =
        Make({"reset-on-upgrade"},
             "After a confirmed upload, come up with a fresh controller's values (--set is gone).");
    m_options[kLineEnd] = Make({"line-end"},
                               "What follows a set echo and the boot loader's ready word: crlf, "
                               "cr or none (default: crlf after an echo, nothing after the word).",
                               "END");
    m_options[kQuietAnnouncement] =
        Make({"quiet-announcement"}, "Do not echo Sj0004, the announcement of a restored file.");
    m_options[kShortReferenceEcho] =
        Make({"short-reference-echo"}, "Echo a reference-set load with its first five bytes only.");
    m_options[kEchoOther] = Make({"echo-other"},
                                 "Store and echo the value of LETTER one higher than it was sent.",
                                 "LETTER");
    m_options[kBaud] = Make({"baud"}, "Pace the output at N baud, ten bits a byte.", "N");
    m_options[kNoPace] = Make({"no-pace"}, "Send every reply at once, without pacing.");
    m_options[kByteByByte] =
        Make({"byte-by-byte"}, "Release paced output byte by byte instead of each reply whole.");
    m_options[kLiveRate] = Make(
        {"live-rate"}, "Rounds of live frames (CHDA, MSDA, SSDA) per second (default 10).", "HZ");
    m_options[kDrop] = Make({"drop"},
                            "Do not answer the frame FRAME (its first two characters: ?E, SC, Sj, "
                            "?W, UP), always or the first COUNT times (repeatable).",
                            "FRAME[:COUNT]");
    m_options[kZero] = Make(
        {"zero"}, "Answer 0000 to the next COUNT queries of LETTER (repeatable).", "LETTER:COUNT");
    m_options[kNoise] = Make({"noise"},
                             "Send N noise bytes before every reply, or only before the replies "
                             "to FRAME (repeatable).",
                             "N[:FRAME]");
    m_options[kBadAck] = Make({"bad-ack"},
                              "The boot loader's answer to packet N carries N instead of N+1 "
                              "(repeatable).",
                              "N");
    m_options[kDropPacket] =
        Make({"drop-packet"}, "The boot loader does not answer packet N (repeatable).", "N");
    m_options[kBadSum] =
        Make({"bad-sum"}, "The boot loader reports a wrong checksum after the end packet.");
    m_options[kSilentAfter] =
        Make({"silent-after"}, "Fall silent for good after sending N bytes.", "N");
}

void SimOptions::AddTo(QCommandLineParser& parser) const {
    for (const QCommandLineOption& option : m_options) parser.addOption(option);
}

std::optional<SimConfig> SimOptions::Read(const QCommandLineParser& parser, int defaultBaud,
                                          QString* error) const {
    Reader reader(parser, m_options, error);
    SimConfig config;
    if (!ReadIdentity(reader, config) || !ReadLine(reader, config, defaultBaud) ||
        !ReadFaults(reader, config.faults))
        return std::nullopt;
    return config;
}

QStringList SimOptions::WithFirmwareSpelledOut(const QStringList& arguments, bool* oldSpelling) {
    static const QString kOld = QStringLiteral("--version");
    static const QString kNew = QStringLiteral("--firmware");
    QStringList result = arguments;
    *oldSpelling = false;
    for (qsizetype i = 1; i < result.size() && result[i] != QLatin1String("--"); ++i) {
        if (result[i].startsWith(kOld + QLatin1Char('='))) {
            result[i] = kNew + result[i].mid(kOld.size());
            *oldSpelling = true;
        } else if (result[i] == kOld && i + 1 < result.size() &&
                   !result[i + 1].startsWith(QLatin1Char('-'))) {
            result[i] = kNew;
            *oldSpelling = true;
        }
    }
    return result;
}
