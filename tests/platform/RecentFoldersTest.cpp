#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "RecentFolders.h"
#include "ScriptedPrompter.h"

namespace {

class RecentFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* folder : {"fw", "saved", "restored", "other"})
            ASSERT_TRUE(QDir(m_dir.path()).mkdir(QLatin1String(folder)));
    }
    QString Path(const char* relative) const { return m_dir.filePath(QLatin1String(relative)); }
    QString Settings() const { return Path("config/folders.ini"); }

    QTemporaryDir m_dir;
};

// Each kind starts where the last file of that kind was chosen, also in the next run; a
// cancelled dialog, or a dialog of no kind, remembers nothing.
TEST_F(RecentFoldersTest, EachKindStartsInTheFolderLastUsedForIt) {
    struct Step {
        FileKind kind;
        std::optional<const char*> chosen;  // nothing: cancelled
        const char* expectedStart;          // "": no folder remembered yet
        bool save = false;
    };
    const Step steps[] = {
        {FileKind::Firmware, "fw/a.bin", ""},
        {FileKind::ParameterSave, "saved/QZMC_Data.txt", "", true},
        {FileKind::Firmware, std::nullopt, "fw"},
        {FileKind::ParameterRestore, "restored/old.txt", ""},
        {FileKind::Other, "other/x.txt", ""},
        {FileKind::Firmware, "other/b.bin", "fw"},
        {FileKind::Firmware, std::nullopt, "other"},
        {FileKind::ParameterSave, std::nullopt, "saved", true},
        {FileKind::ParameterRestore, std::nullopt, "restored"},
        {FileKind::Other, std::nullopt, ""},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(int(&step - steps));
        // A new run each time: what is remembered lives in the settings file.
        RecentFolders folders(Settings());
        ScriptedPrompter inner;
        FolderRememberingPrompter prompter(inner, folders);
        inner.QueueFile(step.chosen ? std::optional(Path(*step.chosen)) : std::nullopt);
        FileRequest request;
        request.kind = step.kind;
        const std::optional<QString> chosen =
            step.save ? prompter.SaveFile(request) : prompter.OpenFile(request);
        EXPECT_EQ(chosen.has_value(), step.chosen.has_value());
        ASSERT_EQ(inner.FileRequests().size(), 1u);
        const QString expected = *step.expectedStart ? Path(step.expectedStart) : QString();
        EXPECT_EQ(inner.FileRequests()[0].folder, expected);
    }
}

}  // namespace
