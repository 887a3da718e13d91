#include <QCoreApplication>
#include <QSignalSpy>

#include "BasicPage.h"
#include "PageFixture.h"
#include "ReadBackChain.h"
#include "ResourceIds.h"
#include "ScriptedController.h"

namespace {

using ReadBackEditsTest = PageTest<CBasicPage>;

// While the read-back's replies come in the sliders wait: a drag then sends nothing and the
// read-back asks every query once; afterwards the same drag is sent.
TEST_F(ReadBackEditsTest, SlidersWaitWhileTheReadBackRunsAndEveryQueryIsAsked) {
    ScriptedController controller(*m_line);
    bool released = false;
    controller.beforeAnswer = [&](const QByteArray& frame) {
        if (frame == "?H\r" && !released) {
            released = true;
            QMetaObject::invokeMethod(
                m_page, [this] { Drag(IDC_BASIC_SLIDER_DYN_STAB, 37); }, Qt::QueuedConnection);
        }
        return true;
    };
    QSignalSpy settled(m_dlg.get(), &CVexaDlg::ReadBackSettled);
    QTest::mouseClick(FindControl(m_dlg.get(), IDC_REFRESH), Qt::LeftButton);
    for (int turn = 0; turn < 1000 && settled.isEmpty(); ++turn) QCoreApplication::processEvents();

    ASSERT_TRUE(released);
    QByteArray queried;
    for (const auto& frame : m_line->Sent())
        if (frame.bytes.startsWith('?')) queried += frame.bytes.at(1);
    EXPECT_EQ(queried.toStdString(), std::string(kReadBackOrder));
    EXPECT_FALSE(Sent().contains("SE")) << Sent().constData();
    EXPECT_EQ(settled.count(), 1);
    EXPECT_EQ(Box(IDC_BASIC_EDIT_DYN_STAB), "50") << "what the controller holds";
    Drag(IDC_BASIC_SLIDER_DYN_STAB, 37);
    EXPECT_TRUE(Sent().contains("SE0037\r"));
    EXPECT_EQ(Box(IDC_BASIC_EDIT_DYN_STAB), "37");
    // Nothing of the read-back is left to spoil the next answer: a declination set is echoed
    // and its chain ends on that echo.
    QCoreApplication::processEvents();
    FindControlAs<QLineEdit>(m_dlg.get(), IDC_DECLINATION)->setText("-5");
    m_prompter.QueueAnswer(PromptAnswer::Ok);
    QTest::mouseClick(FindControl(m_dlg.get(), IDC_DECLINATION_SET), Qt::LeftButton);
    EXPECT_TRUE(Sent().endsWith("SQ0175\r"));
    QCoreApplication::processEvents();
    ExpectNothingAwaited();
}

}  // namespace
