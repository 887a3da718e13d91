// The parameter-file reader on any bytes (a file the user edited, saved in another encoding,
// cut short, or not a parameter file at all).
//
// Checked: a refused file names a line that exists (or the whole file) and says what is wrong in
// both languages; an accepted file holds only values the restore may send, and the file the
// export writes from those values reads back to the very same values.
#include <QString>
#include <variant>

#include "FuzzInput.h"
#include "ParamTable.h"
#include "ParameterExport.h"
#include "ParameterFileReader.h"
#include "ProtocolState.h"

namespace {

void CheckProblem(const FileProblem& problem, QByteArrayView bytes) {
    FUZZ_CHECK(problem.line >= 0 && problem.line <= bytes.count('\n') + 2);
    FUZZ_CHECK(!problem.Describe(false).isEmpty() && !problem.Describe(true).isEmpty());
    if (problem.kind == FileProblem::Kind::OutOfRange)
        FUZZ_CHECK(problem.minimum <= problem.maximum);
}

void CheckAccepted(const ParameterValues& values) {
    std::array<int, ProtocolState::kCacheSlots> cache{};
    std::copy(values.begin(), values.end(), cache.begin());
    const auto again = ReadParameterFile(ParameterFileBytes(cache, 3));
    FUZZ_CHECK(std::holds_alternative<ParameterValues>(again));
    FUZZ_CHECK(std::get<ParameterValues>(again) == values);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto read = ReadParameterFile(bytes);
    if (const auto* problem = std::get_if<FileProblem>(&read))
        CheckProblem(*problem, bytes);
    else
        CheckAccepted(std::get<ParameterValues>(read));
    return 0;
}
