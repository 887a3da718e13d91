// The port file holding arbitrary bytes, read through the file system as at start-up.
#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "FuzzInput.h"
#include "PortFile.h"

namespace {

QString ScratchPath() {
    const QString folder =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QStringLiteral("%1/vexa-fuzz-portfile-%2").arg(folder).arg(::getpid());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path = ScratchPath();
    static const QByteArray nativePath = QFile::encodeName(path);
    const int fd = ::open(nativePath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(::write(fd, data, size) == static_cast<ssize_t>(size));
    ::close(fd);

    const PortFile::Content content = PortFile(path).Read();
    FUZZ_CHECK(content.problem.isEmpty());
    FUZZ_CHECK(content.empty == (size == 0));
    FUZZ_CHECK(content.number >= -99999 && content.number <= 99999);
    return 0;
}
