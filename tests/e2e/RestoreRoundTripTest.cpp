// Save, change, restore, read back: the main window against vexa-sim on the real serial path,
// and in demo mode, with the slider an operator drags.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <string>

#include "BasicPage.h"
#include "ComPortTable.h"
#include "ControlLookup.h"
#include "ParamTable.h"
#include "ParameterFileReader.h"
#include "ReadBackChain.h"
#include "ResourceIds.h"
#include "ScriptedPrompter.h"
#include "SerialPortBackend.h"
#include "SimBackend.h"
#include "SimProcess.h"
#include "SliderDriver.h"
#include "SteadyClock.h"
#include "VexaDlg.h"

namespace {

class RestoreRoundTripTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previousDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
    }
    void TearDown() override {
        m_dlg.reset();
        QDir::setCurrent(m_previousDir);
    }

    // The start-up read-back, a refresh, or the read-back that ends a restore.
    bool ReadBack() {
        QSignalSpy settled(m_dlg.get(), &CVexaDlg::ReadBackSettled);
        return settled.wait(10000);
    }
    QByteArray Save(const QString& path) {
        m_prompter.QueueFile(path);
        QTest::mouseClick(FindControl(m_dlg.get(), IDC_SAVE_DATA), Qt::LeftButton);
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static ParameterValues Values(const QByteArray& file) {
        const auto read = ReadParameterFile(file);
        EXPECT_TRUE(std::holds_alternative<ParameterValues>(read));
        return std::holds_alternative<ParameterValues>(read) ? std::get<ParameterValues>(read)
                                                             : ParameterValues{};
    }
    // The letters whose lines differ between two saved files, sorted.
    static std::string LettersThatDiffer(const ParameterValues& a, const ParameterValues& b) {
        std::string letters;
        for (int slot = 0; slot < kParameterCount; ++slot) {
            if (a[std::size_t(slot)] == b[std::size_t(slot)]) continue;
            char letter = SettingLetterAt(slot).value_or('?');
            for (const char field : kReadBackOrder)
                if (BitCountOf(field) > 0 && slot >= *CacheSlotOf(field) &&
                    slot < *CacheSlotOf(field) + BitCountOf(field))
                    letter = field;
            if (letters.find(letter) == std::string::npos) letters += letter;
        }
        std::sort(letters.begin(), letters.end());
        return letters;
    }
    QString MainStability() const {
        return FindControlAs<QLineEdit>(&m_dlg->BasicPage(), IDC_BASIC_EDIT_MAIN_STAB)->text();
    }

    void SaveChangeRestore(std::unique_ptr<ICommBackend> backend) {
        m_dlg = std::make_unique<CVexaDlg>(std::move(backend), m_clock, m_prompter);
        m_dlg->show();
        ASSERT_TRUE(ReadBack());
        const QString path = m_dir.filePath(QStringLiteral("QZMC_Data.txt"));
        const QByteArray saved = Save(path);
        const ParameterValues values = Values(saved);
        const QString before = MainStability();

        // The controller is changed: the dragged gain, a list, an offset letter, a switch row,
        // the declination and a sensor.
        auto* slider = FindControlAs<QSlider>(&m_dlg->BasicPage(), IDC_BASIC_SLIDER_MAIN_STAB);
        slider_driver::Drag(slider, before.toInt() + 20);
        IControllerIntents& controller = m_dlg->Session();
        controller.SetParameter('A', 8);
        controller.SetParameter('^', 50);
        controller.SetSwitchRow('a', 0x0FF);
        controller.SetParameter('M', 0x0F);
        controller.SetDeclination(20);
        QTest::qWait(500);  // their echoes come and go before the port is opened again
        QTest::mouseClick(FindControl(m_dlg.get(), IDC_REFRESH), Qt::LeftButton);
        ASSERT_TRUE(ReadBack());
        // Saved now, the file differs from the first in what was changed.
        EXPECT_EQ(LettersThatDiffer(values, Values(Save(m_dir.filePath("changed.txt")))), "ACMQ^a");

        m_prompter.QueueFile(path);
        auto* list = FindControlAs<QComboBox>(m_dlg.get(), IDC_RESTORE_LIST);
        list->setCurrentIndex(4);
        emit list->activated(4);
        ASSERT_TRUE(ReadBack());
        EXPECT_EQ(MainStability(), before);
        EXPECT_EQ(slider->value(), before.toInt());
        EXPECT_EQ(Save(m_dir.filePath(QStringLiteral("again.txt"))), saved);
        EXPECT_EQ(m_prompter.Shown().size(), 3u) << "the three save questions only";
    }

    QString m_previousDir;
    QTemporaryDir m_dir;
    SteadyClock m_clock;
    ScriptedPrompter m_prompter;
    std::unique_ptr<CVexaDlg> m_dlg;
};

}  // namespace

TEST_F(RestoreRoundTripTest, VexaSimOnAPseudoTerminal) {
    SimProcess sim({QStringLiteral("--set"), QStringLiteral("K=120")});
    ASSERT_FALSE(sim.Device().isEmpty());
    ComPortTable ports;
    ports.Override(3, sim.Device());
    SaveChangeRestore(std::make_unique<SerialPortBackend>(ports));
    m_dlg.reset();
}

TEST_F(RestoreRoundTripTest, DemoMode) {
    SimConfig demo;
    demo.paceBaud = SimConfig::kLineBaud;
    SaveChangeRestore(std::make_unique<SimBackend>(demo));
}
