#include "Assignment.h"

#include <QRegularExpression>
#include <set>

#include "NameLanguage.h"
#include "ParamTable.h"
#include "ParameterLabel.h"
#include "ReadBackChain.h"

namespace {

QString Letter(char letter) { return QString(QLatin1Char(letter)); }

bool Settable(char letter) { return SettableRangeOf(letter).has_value(); }
bool Readable(char letter) { return letter != 'V' && IsChainQuery(letter); }

// The letters a command takes, in the order the controller's read-backs ask them.
QString AcceptedLetters(bool (*accepted)(char)) {
    QString letters;
    for (const std::string_view order : {kReadBackOrder, kFrameGeometryOrder})
        for (const char letter : order)
            if (accepted(letter) && !letters.contains(QLatin1Char(letter)))
                letters += QLatin1Char(letter);
    return letters;
}

// "; did you mean C (Stabili_Level)?" where the letter's other case is one the command takes:
// the case of a letter changes its meaning.
QString OtherCaseHint(char letter, bool (*accepted)(char)) {
    const QChar given = QLatin1Char(letter);
    const QChar other = given.isUpper() ? given.toLower() : given.toUpper();
    if (other == given || !accepted(other.toLatin1())) return {};
    return QStringLiteral("; did you mean %1?")
        .arg(LetterWithName(other.toLatin1(), UserNameLanguage()));
}

// Why a letter cannot be written with set: the window writes it some other way, or never.
QString NotSettable(char letter) {
    if (letter == 'j') return QStringLiteral("j selects a reference set: use vexactl reference");
    if (letter >= '4' && letter <= '7')
        return QStringLiteral(
                   "%1 is a battery calibration value, written only by the voltage "
                   "page's calibration")
            .arg(Letter(letter));
    if (letter >= 'k' && letter <= 'z')
        return QStringLiteral(
                   "%1 belongs to the custom frame, written only as a whole by the "
                   "frame editor")
            .arg(Letter(letter));
    if (IsChainQuery(letter))
        return QStringLiteral("%1 is read by the controller's read-back but never written")
            .arg(Letter(letter));
    return QStringLiteral("\"%1\" is no parameter letter").arg(Letter(letter));
}

}  // namespace

std::optional<Assignment> ParseAssignment(const QString& text, QString* error) {
    if (text.size() < 2 || text[1] != QLatin1Char('=') || text[0].unicode() > 0x7E ||
        text[0].unicode() < 0x21) {
        *error = QStringLiteral("\"%1\": give LETTER=VALUE, e.g. C=45").arg(text);
        return std::nullopt;
    }
    const char letter = text[0].toLatin1();
    const std::optional<ShownRange> range = SettableRangeOf(letter);
    if (!range) {
        *error = QStringLiteral("%1: %2; nothing was sent").arg(text, NotSettable(letter));
        if (!IsChainQuery(letter))
            *error += QStringLiteral(". set writes %1").arg(AcceptedLetters(Settable));
        *error += OtherCaseHint(letter, Settable);
        return std::nullopt;
    }
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]{1,9}$"));
    const QString value = text.mid(2);
    if (!number.match(value).hasMatch()) {
        *error = QStringLiteral("%1: the value must be a whole number; nothing was sent").arg(text);
        return std::nullopt;
    }
    const int shown = value.toInt();
    if (!range->Contains(shown)) {
        *error = QStringLiteral("%1: %2 takes %3 to %4; nothing was sent")
                     .arg(text, Letter(letter))
                     .arg(range->minimum)
                     .arg(range->maximum);
        return std::nullopt;
    }
    return Assignment{letter, shown};
}

std::vector<Assignment> ParseAssignments(const QStringList& arguments, QString* error) {
    std::vector<Assignment> assignments;
    std::set<char> given;
    for (const QString& argument : arguments) {
        const std::optional<Assignment> assignment = ParseAssignment(argument, error);
        if (!assignment) return {};
        if (!given.insert(assignment->letter).second) {
            *error = QStringLiteral("%1 is given twice; nothing was sent")
                         .arg(Letter(assignment->letter));
            return {};
        }
        assignments.push_back(*assignment);
    }
    for (const Assignment& own : assignments) {
        const std::optional<char> partner = LinkedRowOf(own.letter);
        if (!partner || own.letter > *partner) continue;
        for (const Assignment& other : assignments) {
            if (other.letter != *partner || (own.shown & other.shown) == 0) continue;
            *error = QStringLiteral(
                         "%1 and %2 share switch positions (%3), which may drive only "
                         "one of the two rows; nothing was sent")
                         .arg(Letter(own.letter), Letter(other.letter))
                         .arg(own.shown & other.shown);
            return {};
        }
    }
    return assignments;
}

bool CheckReadableLetter(const QString& text, QString* error) {
    const bool single = text.size() == 1 && text[0].unicode() < 0x80;
    const char letter = single ? text[0].toLatin1() : 0;
    if (letter == 'V') {
        *error = QStringLiteral("V is the firmware version: use vexactl info");
        return false;
    }
    if (single && IsChainQuery(letter)) return true;
    *error = QStringLiteral("\"%1\" is no parameter letter that can be read; get reads %2")
                 .arg(text, AcceptedLetters(Readable));
    if (single) *error += OtherCaseHint(letter, Readable);
    return false;
}
