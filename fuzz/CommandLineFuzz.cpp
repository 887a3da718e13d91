// vexactl's reading of what the user typed: the options, the command and its arguments, the
// "L=VALUE" assignments of set, the letters of get, the reference set, --port and --com.
//
// Input: the arguments, separated by zero bytes, as UTF-8 (invalid sequences included).
// Checked: a refusal always says why; what is accepted is what may be sent: every assigned
// value within what its letter's control can send, no letter twice, the linked switch rows
// never sharing a position, only readable letters, reference sets 0 to 3, ports 1 to 20 that
// lead to a device. Commands that read or write files are only parsed, never prepared.
#include <QStringList>
#include <set>

#include "Assignment.h"
#include "CommandLine.h"
#include "CommandSet.h"
#include "Commands.h"
#include "FuzzInput.h"
#include "ParamTable.h"
#include "PortTarget.h"
#include "ReadBackChain.h"

namespace {

QStringList Arguments(QByteArrayView bytes) {
    QStringList arguments;
    for (QByteArrayView rest = bytes;;) {
        const qsizetype end = rest.indexOf('\0');
        arguments << QString::fromUtf8(end < 0 ? rest : rest.first(end));
        if (end < 0) return arguments;
        rest = rest.sliced(end + 1);
    }
}

void CheckAssignments(const std::vector<Assignment>& assignments) {
    std::set<char> letters;
    for (const Assignment& a : assignments) {
        const std::optional<ShownRange> range = SettableRangeOf(a.letter);
        FUZZ_CHECK(range && range->Contains(a.shown));
        FUZZ_CHECK(letters.insert(a.letter).second);
        if (const std::optional<char> partner = LinkedRowOf(a.letter))
            for (const Assignment& b : assignments)
                FUZZ_CHECK(b.letter != *partner || (a.shown & b.shown) == 0);
    }
}

void CheckPrepared(const Invocation& invocation) {
    const QLatin1String name(invocation.command->name);
    if (name != QLatin1String("set") && name != QLatin1String("get") &&
        name != QLatin1String("reference"))
        return;
    PreparedCommand prepared;
    QString error;
    if (!PrepareCommand(invocation, &prepared, &error)) {
        FUZZ_CHECK(!error.isEmpty());
        return;
    }
    CheckAssignments(prepared.assignments);
    for (char letter : prepared.letters) FUZZ_CHECK(IsChainQuery(letter) && letter != 'V');
    FUZZ_CHECK(prepared.referenceSet >= 0 && prepared.referenceSet <= 3);
}

void CheckParsed(const ParsedCommandLine& parsed) {
    if (parsed.action == ParsedCommandLine::Action::UsageError) FUZZ_CHECK(!parsed.error.isEmpty());
    if (parsed.action != ParsedCommandLine::Action::Run) return;
    const Invocation& invocation = parsed.invocation;
    FUZZ_CHECK(invocation.command != nullptr);
    FUZZ_CHECK(invocation.timeout.count() >= 1 && invocation.count >= 0);
    CheckPrepared(invocation);
    if (invocation.ports.isEmpty()) return;  // the port file in the current folder decides
    QString error;
    for (const PortTarget& target : ResolvePorts(invocation, &error)) {
        FUZZ_CHECK(target.number >= ComPortTable::kFirstPort &&
                   target.number <= ComPortTable::kLastPort);
        FUZZ_CHECK(!target.Device().isEmpty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QStringList arguments = Arguments(QByteArrayView(data, qsizetype(size)));
    CheckParsed(ParseCommandLine(arguments));

    // The same words as set and get would take them, without the command before them.
    QString error;
    const std::vector<Assignment> assignments = ParseAssignments(arguments, &error);
    FUZZ_CHECK(!assignments.empty() || !error.isEmpty());
    CheckAssignments(assignments);
    for (const QString& argument : arguments) {
        error.clear();
        if (!CheckReadableLetter(argument, &error)) FUZZ_CHECK(!error.isEmpty());
        int number = 0;
        if (IsComName(argument, &number))
            FUZZ_CHECK(number >= ComPortTable::kFirstPort && number <= ComPortTable::kLastPort);
    }
    return 0;
}
