// Each value the controller reports reaches the control that shows its letter, and no other:
// a read-back whose replies differ letter by letter shows each in its own box.
#include <QCoreApplication>
#include <QLineEdit>
#include <QSignalSpy>

#include "MainWindowFixture.h"
#include "ParamTable.h"
#include "ResourceIds.h"
#include "ScriptedController.h"
#include "VoltText.h"

namespace {

constexpr int kUpperPanel = -1;

struct ShownBox {
    char letter;
    int page;  // index of the page holding the box, or kUpperPanel
    int boxId;
};

// A reply for every letter, one apart from its neighbours.
int Reply(char letter) { return letter == 'V' ? 1218 : 10 + letter % 40; }

class ReportedValuesTest : public MainWindowTest, public ::testing::WithParamInterface<ShownBox> {};

TEST_P(ReportedValuesTest, TheBoxOfALetterShowsTheValueReportedForIt) {
    CVexaDlg& dlg = Start();
    ScriptedController controller(*m_line, Reply);
    QSignalSpy settled(&dlg, &CVexaDlg::ReadBackSettled);
    Click(IDC_REFRESH);
    for (int turn = 0; turn < 1000 && settled.isEmpty(); ++turn) QCoreApplication::processEvents();
    ASSERT_EQ(settled.count(), 1);

    const ShownBox row = GetParam();
    QWidget* holder = row.page == kUpperPanel ? &dlg : dlg.PageWidgets()[row.page];
    auto* box = FindControlAs<QLineEdit>(holder, row.boxId);
    ASSERT_NE(box, nullptr);
    const int shown = ShownFromWire(row.letter, Reply(row.letter), 1218);
    EXPECT_EQ(box->text(),
              row.page == 4 && row.letter != 'L' ? VoltText(shown) : QString::number(shown));
}

INSTANTIATE_TEST_SUITE_P(Letters, ReportedValuesTest,
                         ::testing::Values(ShownBox{'Q', kUpperPanel, IDC_DECLINATION},
                                           ShownBox{'C', 0, IDC_BASIC_EDIT_MAIN_STAB},
                                           ShownBox{'D', 0, IDC_BASIC_EDIT_AUX_STAB},
                                           ShownBox{'@', 2, IDC_GPS_EDIT_CENTRING},
                                           ShownBox{'#', 2, IDC_GPS_EDIT_WIND},
                                           ShownBox{'&', 3, IDC_GIMBAL_EDIT_PITCH_MID},
                                           ShownBox{'4', 4, IDC_VOLT_CELL1},
                                           ShownBox{'5', 4, IDC_VOLT_CELL2}));

}  // namespace
