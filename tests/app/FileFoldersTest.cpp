// The window's file dialogs through the folder memory: firmware, save and restore each start
// where a file of their kind was last chosen, also in the next run.
#include <QComboBox>
#include <QDir>

#include "MainWindowFixture.h"
#include "RecentFolders.h"
#include "ResourceIds.h"

namespace {

TEST_F(MainWindowTest, FirmwareSaveAndRestoreDialogsEachStartInTheirLastFolder) {
    for (const char* folder : {"fw", "saved", "other"})
        QDir(m_dir.path()).mkdir(QLatin1String(folder));
    const QString settings = m_dir.filePath(QStringLiteral("config/folders.ini"));
    auto path = [this](const char* relative) { return m_dir.filePath(QLatin1String(relative)); };
    auto restore = [this] {
        auto* list = Control<QComboBox>(IDC_RESTORE_LIST);
        list->setCurrentIndex(4);
        emit list->activated(4);
    };
    struct Step {
        int button;                         // 0: the restore list's file entry
        std::optional<const char*> chosen;  // nothing: cancelled
        const char* expectedStart;          // "": no folder remembered yet
    };
    const Step steps[] = {
        {IDC_SELECT_FW, "fw/a.bin", ""},
        {IDC_SAVE_DATA, "saved/QZMC_Data.txt", ""},
        {IDC_SELECT_FW, std::nullopt, "fw"},  // cancelled: remembers nothing
        {IDC_SELECT_FW, "other/b.bin", "fw"},
        {IDC_SAVE_DATA, std::nullopt, "saved"},  // each kind its own folder
        {0, std::nullopt, ""},
        {IDC_SELECT_FW, std::nullopt, "other"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(int(&step - steps));
        // A new window each time: what is remembered lives in the settings file.
        RecentFolders folders(settings);
        FolderRememberingPrompter prompter(m_prompter, folders);
        m_dlg.reset();
        auto line = std::make_unique<MemoryLine>(m_clock);
        m_line = line.get();
        m_dlg = std::make_unique<CVexaDlg>(std::move(line), m_clock, prompter);
        m_prompter.Clear();
        if (step.button == IDC_SAVE_DATA) m_prompter.QueueAnswer(PromptAnswer::Ok);
        m_prompter.QueueFile(step.chosen ? std::optional(path(*step.chosen)) : std::nullopt);
        if (step.button)
            Click(step.button);
        else
            restore();
        ASSERT_EQ(m_prompter.FileRequests().size(), 1u);
        EXPECT_EQ(m_prompter.FileRequests()[0].folder,
                  *step.expectedStart ? path(step.expectedStart) : QString());
        m_dlg.reset();
    }
}

}  // namespace
