// The upper panel's parameter files: save (1015), reference sets and restore (1099), hint (1100).
#include <QComboBox>
#include <QDir>
#include <QLineEdit>

#include "GbkCodec.h"
#include "MainWindowFixture.h"
#include "ParameterExport.h"
#include "ReadBackChain.h"
#include "ResourceIds.h"
#include "ScriptedController.h"

using namespace std::chrono_literals;

namespace {

class ParameterFilesTest : public MainWindowTest {
protected:
    // The window after a read-back from a controller holding a set the restore accepts: frame
    // type, ESC rate and alarm voltage in range, automatic landing on channel 8 high.
    CVexaDlg& StartWithParameters() {
        for (const auto& [letter, shown] :
             {std::pair{'A', 5}, {'B', 4}, {'C', 45}, {'L', 330}, {'i', 1 << 11}})
            m_held[letter] = WireFromShown(letter, shown, m_firmware);
        CVexaDlg& dlg = StartOnController();
        m_line->ClearSent();
        return dlg;
    }
    // What the window keeps of that read-back, slot by slot.
    ParameterValues ReadBackValues() const {
        ParameterValues values{};
        for (const char letter : kReadBackOrder)
            if (letter != 'V' && !IsDiscardedOnRead(letter))
                StoreInCache(letter, ShownFromWire(letter, HeldWire(letter), m_firmware), values);
        return values;
    }

    void Choose(int entry) {
        auto* list = Control<QComboBox>(IDC_RESTORE_LIST);
        list->setCurrentIndex(entry);
        emit list->activated(entry);
    }

    QString Path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }

    // A file the window saved from that read-back (its question forgotten).
    QByteArray Exported() {
        const QByteArray bytes = ReadFile(SaveThroughTheWindow());
        m_prompter.Clear();
        return bytes;
    }
};

}  // namespace

TEST_F(ParameterFilesTest, SaveAsksThenWritesTheCacheAndCancelWritesNothing) {
    StartWithParameters();
    Control<QComboBox>(IDC_PORT_LIST)->setCurrentIndex(4);
    m_prompter.QueueAnswer(PromptAnswer::Cancel);
    Click(IDC_SAVE_DATA);  // no to the question
    EXPECT_TRUE(m_prompter.FileRequests().empty());
    Click(IDC_SAVE_DATA);  // the dialog is cancelled
    EXPECT_EQ(QDir(m_dir.path()).entryList({QStringLiteral("*.txt")}), QStringList());
    m_prompter.QueueFile(Path("saved.txt"));
    Click(IDC_SAVE_DATA);

    ASSERT_EQ(m_prompter.Shown().size(), 3u) << "the questions only";
    ASSERT_EQ(m_prompter.FileRequests().size(), 2u);
    EXPECT_EQ(m_prompter.FileRequests()[0].defaultName, "QZMC_Data");
    const QByteArray written = ReadFile(Path("saved.txt"));
    EXPECT_EQ(written, ParameterFileBytes(ReadBackValues(), 5, 1218));
    EXPECT_TRUE(written.startsWith(gbk::Encode(QStringLiteral("当 前 串口COM05\r\r\n")).value()));
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_EQ(ReadFile(SaveThroughTheWindow()), written) << "saving changed what the window keeps";
}

TEST_F(ParameterFilesTest, FailedWriteSaysWhereAndWhyInTheLanguageOfTheMoment) {
    CVexaDlg& dlg = StartWithParameters();
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.txt")));
    dlg.ToggleLanguage();
    m_prompter.QueueFile(Path("folder.txt"));
    Click(IDC_SAVE_DATA);
    ASSERT_EQ(m_prompter.Shown().size(), 2u);
    const PromptMessage& failure = m_prompter.Shown()[1];
    EXPECT_EQ(failure.caption, "Velmora Mentioned：");
    EXPECT_TRUE(failure.text.startsWith("The data was not saved: cannot write the file " +
                                        Path("folder.txt")))
        << failure.text.toStdString();
    EXPECT_TRUE(QFileInfo(Path("folder.txt")).isDir());
    EXPECT_EQ(ReadFile(SaveThroughTheWindow()), ParameterFileBytes(ReadBackValues(), 3, 1218));
}

TEST_F(ParameterFilesTest, ReferenceSetIsLoadedByTheControllerAndReadBack) {
    CVexaDlg& dlg = StartWithParameters();
    dlg.Session().StartLiveDisplay();
    m_line->ClearSent();
    Choose(2);
    EXPECT_EQ(Sent(), "Sj0002\r");
    EXPECT_EQ(Control<QComboBox>(IDC_RESTORE_LIST)->currentIndex(), 2);
    m_line->Inject("Sj0002\r\n");
    EXPECT_EQ(Sent(), "Sj0002\r?V\r");
}

TEST_F(ParameterFilesTest, DamagedOrUnreadableFileIsRefusedWithNothingSent) {
    StartWithParameters();
    QList<QByteArray> lines = Exported().split('\n');
    lines.removeAt(40);
    WriteFile(Path("damaged.txt"), lines.join('\n'));
    for (const auto& [file, named] :
         {std::pair{"damaged.txt", "第41行的名称不对"}, {"absent.txt", "无法读取文件"}}) {
        m_prompter.Clear();
        m_prompter.QueueFile(Path(file));
        Choose(4);
        ASSERT_EQ(m_prompter.Shown().size(), 1u) << file;
        const QString text = m_prompter.Shown()[0].text;
        EXPECT_TRUE(text.contains(QString::fromUtf8(named))) << text.toStdString();
        EXPECT_TRUE(text.contains(Path(file))) << file;
        EXPECT_TRUE(Sent().isEmpty()) << file << " sent " << Sent().toStdString();
        ExpectNothingAwaited();
    }
    Choose(4);  // the dialog is cancelled
    EXPECT_TRUE(Sent().isEmpty());
}

// Closing the window while a restore runs asks first, No the default; a window ended mid-way
// says how many values went out (no frame follows the end).
TEST_F(ParameterFilesTest, ClosingDuringARestoreAsksFirstAndSaysHowFarItGot) {
    StartWithParameters();
    WriteFile(Path("saved.txt"), Exported());
    m_prompter.QueueFile(Path("saved.txt"));
    Choose(4);
    m_line->Inject("SC0045\r\n");  // the first value is echoed; "SA…" goes out
    ASSERT_TRUE(Sent().startsWith("Sj0004\rSC0045\rSA")) << Sent().toStdString();
    m_prompter.QueueAnswer(PromptAnswer::No);
    m_dlg->close();
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_TRUE(m_prompter.Shown()[0].text.startsWith(QStringLiteral("参数正在恢复")));
    EXPECT_EQ(m_prompter.Shown()[0].defaultAnswer, PromptAnswer::No);
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_EQ(
        m_dlg->WhereAnUnfinishedWriteLeftTheController(),
        QStringLiteral(
            "参数恢复被中断：41 个参数中已发出 2 个，其后的参数没有写入。请重新恢复该文件。"));
}

TEST_F(ParameterFilesTest, MissingEchoEndsTheRestoreAfterTwoSecondsAndTheWindowGoesOn) {
    StartWithParameters();
    // A file an editor saved with CR LF endings is taken like the export's own.
    WriteFile(Path("saved.txt"), Exported().replace("\r\r\n", "\r\n"));
    m_prompter.QueueFile(Path("saved.txt"));
    Choose(4);
    // Not every controller echoes the announcement: the first value follows it at once. Then
    // the controller falls silent.
    EXPECT_EQ(Sent(), "Sj0004\rSC0045\r");

    m_clock.Advance(1999ms);
    EXPECT_TRUE(m_prompter.Shown().empty());
    m_clock.Advance(1ms);
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_TRUE(m_prompter.Shown()[0].text.contains("参数C（文件第5行“主  稳  定 度”）"))
        << m_prompter.Shown()[0].text.toStdString();
    m_line->Inject("Sj0004\r\nSC0045\r\n");  // late echoes drive nothing
    EXPECT_EQ(Sent(), "Sj0004\rSC0045\r");
    for (int id : {IDC_SAVE_DATA, IDC_RESTORE_LIST, IDC_RESTORE_HINT, IDC_REFRESH})
        EXPECT_TRUE(Control(id)->isEnabled()) << id;
    m_line->ClearSent();
    Choose(1);
    EXPECT_EQ(Sent(), "Sj0001\r");
}

// The read-back after a restore names the letters the controller holds otherwise.
TEST_F(ParameterFilesTest, ValuesTheControllerDidNotTakeAreNamedAfterTheRestore) {
    StartWithParameters();
    WriteFile(Path("saved.txt"), Exported());
    ScriptedController controller(*m_line, [](char letter) { return letter == 'V' ? 1218 : 50; });
    m_prompter.QueueFile(Path("saved.txt"));
    Choose(4);
    for (int turn = 0; turn < 5000 && m_prompter.Shown().empty(); ++turn)
        QCoreApplication::processEvents();
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_TRUE(
        m_prompter.Shown()[0].text.startsWith(QString::fromUtf8("恢复后读回的参数与文件不同：C")))
        << m_prompter.Shown()[0].text.toStdString();
    EXPECT_TRUE(Sent().endsWith("?j\r"));
}

// A restore whose read-back was given up is judged by no later read-back: the next one through
// says what it read, not how the restore went against values it never compared.
TEST_F(ParameterFilesTest, ARestoreWhoseReadBackWasGivenUpIsNotJudgedByTheNextOne) {
    StartWithParameters();
    WriteFile(Path("saved.txt"), Exported());
    {
        // It echoes every value of the restore and answers no query.
        ScriptedController controller(*m_line);
        controller.beforeAnswer = [](const QByteArray& frame) { return frame[0] == 'S'; };
        m_prompter.QueueFile(Path("saved.txt"));
        Choose(4);
        for (int turn = 0; turn < 20000 && !Sent().endsWith("?V\r"); ++turn)
            QCoreApplication::processEvents();
        ASSERT_TRUE(Sent().endsWith("?V\r"));
        m_clock.Advance(2s);
    }
    EXPECT_EQ(StatusText(), "参数读取未完成");
    m_held['C'] = 50;  // no longer what the file holds
    RefreshFromController();
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_prompter.Shown().empty());
    EXPECT_EQ(StatusText(), "已读取 49 个参数");
}

// The adapter pulled in the middle of a restore: the status says the port is closed, the restore
// says once where it stopped, nothing more is sent and nothing is left waiting.
TEST_F(ParameterFilesTest, LineLostDuringARestoreGivesTheStatusAndOneMessage) {
    StartWithParameters();
    WriteFile(Path("saved.txt"), Exported());
    m_prompter.QueueFile(Path("saved.txt"));
    Choose(4);
    m_line->Inject("Sj0004\r\n");
    m_line->Inject("SC0045\r\n");
    m_line->HangUp();
    QCoreApplication::processEvents();
    EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "串口未打开");
    const QByteArray sent = Sent();
    EXPECT_EQ(sent, "Sj0004\rSC0045\rSA0005\r");

    m_clock.Advance(2s);
    ASSERT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_TRUE(m_prompter.Shown()[0].text.contains("参数A"))
        << m_prompter.Shown()[0].text.toStdString();
    m_clock.Advance(10s);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_prompter.Shown().size(), 1u);
    EXPECT_EQ(Sent(), sent);
    EXPECT_EQ(m_clock.PendingTimers(), 0u);
    EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->text(), "串口未打开");
}
