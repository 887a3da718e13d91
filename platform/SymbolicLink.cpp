#include "SymbolicLink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "NativeName.h"
#include "WriteAll.h"

namespace {

bool IsSymbolicLink(const QByteArray& name, bool* exists) {
    struct stat info {};
    *exists = ::lstat(name.constData(), &info) == 0;
    return *exists && S_ISLNK(info.st_mode);
}

}  // namespace

LinkPlacement PlaceSymbolicLink(const QString& link, const QString& target) {
    const QByteArray name = NativeName(link);
    bool exists = false;
    if (IsSymbolicLink(name, &exists))
        ::unlink(name.constData());
    else if (exists)
        return {LinkPlacement::Kind::Occupied, {}};
    if (::symlink(NativeName(target).constData(), name.constData()) == 0) return {};
    return {LinkPlacement::Kind::Failed, SystemErrorText(errno)};
}

void RemoveSymbolicLink(const QString& link) {
    const QByteArray name = NativeName(link);
    bool exists = false;
    if (IsSymbolicLink(name, &exists)) ::unlink(name.constData());
}
