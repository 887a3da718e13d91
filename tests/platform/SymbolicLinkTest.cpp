// The link vexa-sim puts up for its device: it replaces a link, never anything else, and only
// a link is taken down again.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "SymbolicLink.h"

namespace {

TEST(SymbolicLink, ALinkIsPutUpInPlaceOfALinkOnlyAndOnlyALinkIsTakenDown) {
    const QByteArray kKept = "the user's file";
    const struct {
        const char* what;
        std::function<void(const QString& link)> prepare;
        LinkPlacement::Kind kind;
        const char* reason;  // part of it, where the system refused
    } cases[] = {
        {"nothing there", [](const QString&) {}, LinkPlacement::Kind::Made, ""},
        {"a link elsewhere", [](const QString& link) { QFile::link("/elsewhere", link); },
         LinkPlacement::Kind::Made, ""},
        {"a regular file",
         [&](const QString& link) {
             QFile file(link);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write(kKept);
         },
         LinkPlacement::Kind::Occupied, ""},
        {"a missing folder", [](const QString& link) { QDir().rmdir(QFileInfo(link).path()); },
         LinkPlacement::Kind::Failed, "No such file or directory"},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("run"));
        QDir().mkpath(folder);
        const QString link = folder + QStringLiteral("/pellar");
        c.prepare(link);
        const LinkPlacement placed = PlaceSymbolicLink(link, QStringLiteral("/dev/pts/7"));
        EXPECT_EQ(placed.kind, c.kind) << c.what;
        EXPECT_TRUE(placed.reason.contains(QLatin1String(c.reason))) << c.what;
        const bool made = c.kind == LinkPlacement::Kind::Made;
        if (made)
            EXPECT_EQ(QFileInfo(link).symLinkTarget(), QStringLiteral("/dev/pts/7")) << c.what;
        RemoveSymbolicLink(link);
        EXPECT_FALSE(QFileInfo(link).isSymLink()) << c.what;
        if (c.kind == LinkPlacement::Kind::Occupied) {
            QFile file(link);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.what;
            EXPECT_EQ(file.readAll(), kKept) << c.what;
        }
    }
}

}  // namespace
