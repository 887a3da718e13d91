#pragma once

#include <array>
#include <memory>
#include <optional>

#include "SliderPage.h"

class QLineEdit;
namespace Ui {
class CVoltagePage;
}

// The voltage page (template 141): the low-battery alarm slider (hundredths of a volt, the
// cache follows the thumb) and the battery calibration, which sends the first set command of
// the calibration chain; the session carries the chain on as the controller answers.
class CVoltagePage : public CSliderPage {
    Q_OBJECT

public:
    CVoltagePage(IPageHost& host, QWidget* parent = nullptr);
    ~CVoltagePage() override;

    // Also shows the cell values of the last calibration ("4" … "7") in the four cell boxes.
    bool ShowReadBack(char letter, int shown) override;

private:
    void Calibrate();
    // The four cell values as typed; nullopt when one of them was refused (the operator has
    // been told and the focus is on the box).
    std::optional<std::array<int, 4>> ReadCells();

    std::unique_ptr<Ui::CVoltagePage> m_ui;
    std::array<QLineEdit*, 4> m_cellBoxes{};
};
