#include <QPushButton>

#include "PageFixture.h"
#include "ResourceIds.h"
#include "VoltagePage.h"

namespace {

class VoltagePageTest : public PageTest<CVoltagePage> {
protected:
    void TypeCells(const QStringList& cells) {
        const int ids[] = {IDC_VOLT_CELL1, IDC_VOLT_CELL2, IDC_VOLT_CELL3, IDC_VOLT_CELL4};
        for (int i = 0; i < 4; ++i) {
            QLineEdit* box = Control<QLineEdit>(ids[i]);
            box->clear();
            QTest::keyClicks(box, cells.value(i));
        }
    }
    void Calibrate(PromptAnswer answer) {
        m_prompter.QueueAnswer(answer);
        QTest::mouseClick(Control(IDC_VOLT_CALIBRATE), Qt::LeftButton);
    }
    // The message shown after the calibration question, if any.
    const PromptMessage* Refusal() const {
        return m_prompter.Shown().size() > 1 ? &m_prompter.Shown()[1] : nullptr;
    }
};

TEST_F(VoltagePageTest, AlarmSliderSpansItsRangeAndReadBackOutsideShowsZero) {
    EXPECT_TRUE(ReadBack('L', 250));
    EXPECT_EQ(Box(IDC_VOLT_ALARM_EDIT), "0.00 V");
    EXPECT_EQ(Slider(IDC_VOLT_ALARM_SLIDER)->value(), 280);

    Drag(IDC_VOLT_ALARM_SLIDER, 400);
    EXPECT_EQ(Sent(), "SL0400\r");
    EXPECT_EQ(Box(IDC_VOLT_ALARM_EDIT), "4.00 V");
    EXPECT_EQ(Saved('L'), 400);
}

TEST_F(VoltagePageTest, CalibrationAsksWithCancelAsDefaultAndCancelSendsNothing) {
    TypeCells({"420", "415", "418", "410"});
    QTest::mouseClick(Control(IDC_VOLT_CALIBRATE), Qt::LeftButton);  // default answer
    Calibrate(PromptAnswer::Cancel);

    ASSERT_EQ(m_prompter.Shown().size(), 2u);
    const PromptMessage& question = m_prompter.Shown()[0];
    EXPECT_EQ(question.caption, "瑞翎航模提示：");
    EXPECT_EQ(question.buttons, PromptButtons::OkCancel);
    EXPECT_EQ(question.defaultAnswer, PromptAnswer::Cancel);
    EXPECT_TRUE(question.text.startsWith("请先用万用表测出各电压的精确值"));
    EXPECT_EQ(Sent(), "");
    ExpectNothingAwaited();
}

TEST_F(VoltagePageTest, OkHandsTheCellsOverAndSendsTheFirstTap) {
    TypeCells({"420", "415", "418", "410"});
    Calibrate(PromptAnswer::Ok);

    EXPECT_EQ(Sent(), "S00420\r");
    EXPECT_EQ(m_prompter.Shown().size(), 1u);
    // The calibration waits for the first tap's echo.
    ExpectEchoAwaited();
    EXPECT_EQ(Sent(), "S00420\r");
}

TEST_F(VoltagePageTest, ControllerEchoesCarryTheChainThroughAllFourTaps) {
    m_line->onWritten = [this](const QByteArray& frame) {
        if (frame.startsWith('S')) m_line->Feed(frame + '\n');  // a set echo is eight bytes
    };
    TypeCells({"420", "415", "418", "410"});
    Calibrate(PromptAnswer::Ok);

    EXPECT_TRUE(QTest::qWaitFor([this] { return m_prompter.Shown().size() == 2; }, 2000));
    EXPECT_EQ(Sent(), "S00420\rS10835\rS21253\rS31663\r");
    EXPECT_EQ(m_prompter.Shown().back().text, "校准完成！");
}

// A cell is typed in volts or in hundredths; the wire carries hundredths either way.
TEST_F(VoltagePageTest, CellsTypedInVoltsOrHundredthsGoOutInHundredths) {
    const std::pair<const char*, const char*> rows[] = {
        {"4.20", "S00420\r"}, {"4.2", "S00420\r"}, {"4.2 V", "S00420\r"},
        {"4,05", "S00405\r"}, {"420", "S00420\r"}, {"4V", "S00400\r"},
    };
    for (const auto& [typed, frame] : rows) {
        SCOPED_TRACE(typed);
        m_prompter.Clear();
        m_line->ClearSent();
        TypeCells({QString::fromUtf8(typed), "4.15", "4.18", "4.10"});
        Calibrate(PromptAnswer::Ok);
        EXPECT_EQ(Refusal(), nullptr);
        EXPECT_EQ(Sent(), frame);
        m_dlg->Session().EnterIdle(true);
    }
}

TEST_F(VoltagePageTest, CellThatIsNoVoltageStopsTheChainBeforeAnythingIsSent) {
    for (const QString& bad : {QStringLiteral("4.205"), QStringLiteral(""), QStringLiteral("4.2.1"),
                               QStringLiteral("abc")}) {
        m_prompter.Clear();
        TypeCells({"420", bad, "418", "410"});
        Calibrate(PromptAnswer::Ok);

        ASSERT_NE(Refusal(), nullptr) << bad.toStdString();
        EXPECT_TRUE(Refusal()->text.contains("4.05")) << "the refusal shows how to type it";
        EXPECT_EQ(Sent(), "");
        EXPECT_TRUE(Control(IDC_VOLT_CELL2)->hasFocus());
        ExpectNothingAwaited();
    }
}

TEST_F(VoltagePageTest, NegativeCellOrTapOfTenThousandIsRefusedInTheCurrentLanguage) {
    TypeCells({"420", "-5", "418", "410"});
    Calibrate(PromptAnswer::Ok);
    ASSERT_NE(Refusal(), nullptr);
    EXPECT_EQ(Refusal()->caption, "瑞翎航模提示：");
    EXPECT_TRUE(Refusal()->text.contains("负数"));

    m_prompter.Clear();
    m_dlg->ToggleLanguage();
    TypeCells({"5000", "4000", "1000", "0"});  // the third tap would be 10000
    Calibrate(PromptAnswer::Ok);
    ASSERT_NE(Refusal(), nullptr);
    EXPECT_EQ(Refusal()->caption, "Velmora Mentioned:");
    EXPECT_TRUE(Refusal()->text.contains("9999"));
    EXPECT_TRUE(Control(IDC_VOLT_CELL3)->hasFocus());
    EXPECT_EQ(Sent(), "");

    // The largest tap that still fits four digits goes out.
    m_prompter.Clear();
    TypeCells({"5000", "4000", "999", "0"});
    Calibrate(PromptAnswer::Ok);
    EXPECT_EQ(Refusal(), nullptr);
    EXPECT_EQ(Sent(), "S05000\r");
}

}  // namespace

TEST_F(VoltagePageTest, CellValuesReadBackLandInTheCellBoxesWithoutRangeCheck) {
    EXPECT_TRUE(ReadBack('4', 412));
    EXPECT_TRUE(ReadBack('7', 9000));
    EXPECT_EQ(Box(IDC_VOLT_CELL1), "4.12 V");
    EXPECT_EQ(Box(IDC_VOLT_CELL4), "90.00 V");
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_EQ(SavedFileValues()[std::size_t(*CacheSlotOf('4'))], 0)
        << "the page shows it; a save writes what the controller answered";
}
