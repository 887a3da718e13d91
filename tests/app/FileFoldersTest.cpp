// The window's file dialogs through the folder memory: firmware, save and restore each start
// where a file of their kind was last chosen.
#include <QComboBox>
#include <QDir>
#include <QPushButton>

#include "MainWindowFixture.h"
#include "RecentFolders.h"
#include "ResourceIds.h"

namespace {

TEST_F(MainWindowTest, FirmwareSaveAndRestoreDialogsEachStartInTheirLastFolder) {
    RecentFolders folders(m_dir.filePath(QStringLiteral("config/folders.ini")));
    FolderRememberingPrompter prompter(m_prompter, folders);
    m_line = nullptr;
    auto line = std::make_unique<MemoryLine>(m_clock);
    m_line = line.get();
    m_dlg = std::make_unique<CVexaDlg>(std::move(line), m_clock, prompter);
    for (const char* folder : {"fw", "saved"}) QDir(m_dir.path()).mkdir(QLatin1String(folder));

    auto restore = [this] {
        auto* list = Control<QComboBox>(IDC_RESTORE_LIST);
        list->setCurrentIndex(4);
        emit list->activated(4);
    };
    // Firmware from fw/, a save into saved/, then each again: the second dialog of a kind
    // starts where the first chose; the restore dialog has chosen nothing yet.
    m_prompter.QueueFile(m_dir.filePath(QStringLiteral("fw/a.bin")));
    Click(IDC_SELECT_FW);
    m_prompter.QueueAnswer(PromptAnswer::Ok);
    m_prompter.QueueFile(m_dir.filePath(QStringLiteral("saved/QZMC_Data.txt")));
    Click(IDC_SAVE_DATA);
    Click(IDC_SELECT_FW);
    m_prompter.QueueAnswer(PromptAnswer::Ok);
    Click(IDC_SAVE_DATA);
    restore();

    const std::vector<FileRequest>& requests = m_prompter.FileRequests();
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[2].folder, m_dir.filePath(QStringLiteral("fw")));
    EXPECT_EQ(requests[3].folder, m_dir.filePath(QStringLiteral("saved")));
    EXPECT_EQ(requests[4].folder, QString());
}

}  // namespace
