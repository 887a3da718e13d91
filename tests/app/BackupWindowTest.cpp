// The window's automatic backup before a reference set, a restore and an upgrade, and the
// reference list that loads only on a deliberate choice.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QWheelEvent>

#include "ControllerSim.h"
#include "MainWindowFixture.h"
#include "ParameterExport.h"
#include "ResourceIds.h"

using namespace std::chrono_literals;

namespace {

class BackupWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        m_options.backupFolder = m_dir.filePath(QStringLiteral("backups"));
    }

    // The window with the simulated controller on its line, its start-up read-back through
    // (or, without `answering`, given up for want of replies).
    CVexaDlg& StartWithController(bool answering = true) {
        CVexaDlg& dlg = Start([this, answering](MemoryLine& line) {
            line.onWritten = [this, answering](const QByteArray& frame) {
                if (m_nFramesAtAction >= 0 && m_backupsAtFirstByte < 0)
                    m_backupsAtFirstByte = int(Backups().size());
                if (answering) m_sim.Receive(frame);
            };
            m_sim.onOutput = [&line](const QByteArray& bytes) { line.Feed(bytes); };
        });
        QSignalSpy settled(&dlg, &CVexaDlg::ReadBackSettled);
        for (int i = 0; i < 200 && settled.isEmpty(); ++i) {
            QCoreApplication::processEvents();
            if (!answering) m_clock.Advance(500ms);
        }
        EXPECT_EQ(settled.size(), 1);
        return dlg;
    }
    // From now on the first frame written notes how many backups there are by then.
    void ActionStarts() {
        m_nFramesAtAction = int(m_line->Sent().size());
        m_backupsAtFirstByte = -1;
        m_line->ClearSent();
    }
    QStringList Backups() const {
        return QDir(m_options.backupFolder).entryList(QDir::Files, QDir::Name);
    }
    QString Status() { return Control<QLineEdit>(IDC_STATUS)->text(); }
    void Choose(int entry) {
        auto* list = Control<QComboBox>(IDC_RESTORE_LIST);
        list->setCurrentIndex(entry);
        emit list->activated(entry);
    }

    ControllerSim m_sim;
    int m_nFramesAtAction = -1;
    int m_backupsAtFirstByte = -1;
};

TEST_F(BackupWindowTest, EachActionBacksUpTheReadBackBeforeItsFirstByte) {
    struct Case {
        const char* action;
        std::function<void()> start;
        QByteArray firstFrame;
    };
    const Case cases[] = {
        {"reference", [this] { Choose(1); }, "Sj0001\r"},
        {"restore",
         [this] {
             const QString file = m_dir.filePath(QStringLiteral("saved.txt"));
             WriteFile(file, ParameterFileBytes(m_dlg->Session().State().m_nParamCache, 3, 1218));
             m_prompter.QueueFile(file);
             Choose(4);
         },
         "Sj0004\r"},
        {"upgrade",
         [this] {
             const QString image = m_dir.filePath(QStringLiteral("fw.bin"));
             WriteFile(image, QByteArray(100, '\x5a'));
             m_prompter.QueueFile(image);
             Click(IDC_SELECT_FW);
             Click(IDC_START_UPGRADE);
         },
         "?W\r"},
    };
    CVexaDlg& dlg = StartWithController();
    for (const Case& c : cases) {
        const auto cache = dlg.Session().State().m_nParamCache;
        const QStringList before = Backups();
        ActionStarts();
        c.start();
        ASSERT_FALSE(m_line->Sent().empty()) << c.action;
        EXPECT_EQ(m_line->Sent().front().bytes, c.firstFrame) << c.action;
        EXPECT_EQ(m_backupsAtFirstByte, before.size() + 1) << c.action;
        const QStringList after = Backups();
        ASSERT_EQ(after.size(), before.size() + 1) << c.action;
        QString added;
        for (const QString& name : after)
            if (!before.contains(name)) added = name;
        EXPECT_TRUE(added.contains(QStringLiteral("_before-%1").arg(c.action))) << c.action;
        EXPECT_EQ(ReadFile(QDir(m_options.backupFolder).filePath(added)),
                  ParameterFileBytes(cache, 3, 1218))
            << c.action;
        // The action runs to its end; the read-back after it leaves the backup's name shown.
        for (int i = 0; i < 400; ++i) {
            QCoreApplication::processEvents();
            m_clock.Advance(10ms);
        }
        EXPECT_TRUE(Status().contains(added)) << c.action << ": " << Status().toStdString();
        // The long text shows from its start and is whole in the tooltip.
        EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->cursorPosition(), 0);
        EXPECT_EQ(Control<QLineEdit>(IDC_STATUS)->toolTip(), Status());
        m_prompter.Clear();
    }
}

TEST_F(BackupWindowTest, WithoutACompleteReadBackNothingIsWrittenAndTheActionGoesOn) {
    StartWithController(false);
    ActionStarts();
    Choose(2);
    EXPECT_EQ(m_line->SentBytes(), "Sj0002\r");
    EXPECT_TRUE(Backups().isEmpty());
    EXPECT_EQ(Status(), QStringLiteral("没有完整读回的参数：未备份"));
}

TEST_F(BackupWindowTest, RestoreDialogOffersTheBackupsFolder) {
    StartWithController();
    Choose(4);  // cancelled
    ASSERT_EQ(m_prompter.FileRequests().size(), 1u);
    EXPECT_EQ(m_prompter.FileRequests()[0].sidebarFolders, QStringList{m_options.backupFolder});
    // The dated backup names are long; the dialog lists them whole.
    EXPECT_TRUE(m_prompter.FileRequests()[0].wholeNames);
    EXPECT_TRUE(m_line->Sent().empty() || m_line->SentBytes().indexOf("Sj0004") < 0);
}

TEST_F(BackupWindowTest, ClosedReferenceListIgnoresKeysAndTheWheel) {
    StartWithController();
    auto* list = Control<QComboBox>(IDC_RESTORE_LIST);
    const int before = list->currentIndex();
    list->setFocus();
    m_line->ClearSent();
    for (Qt::Key key :
         {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_End, Qt::Key_Home, Qt::Key_D})
        QTest::keyClick(list, key);
    QWheelEvent wheel(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(list, &wheel);
    EXPECT_EQ(list->currentIndex(), before);
    EXPECT_TRUE(m_line->Sent().empty());

    // Chosen in the opened list: loaded as before.
    list->showPopup();
    QAbstractItemView* view = list->view();
    view->setCurrentIndex(view->model()->index(3, 0));
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(list->currentIndex(), 3);
    ASSERT_FALSE(m_line->Sent().empty());
    EXPECT_EQ(m_line->Sent().front().bytes, "Sj0003\r");
}

}  // namespace
