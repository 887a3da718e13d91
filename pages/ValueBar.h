#pragma once

#include <QWidget>
#include <optional>

// A horizontal bar over the pulse range 1000-2000 µs with the value written beside it: empty at
// 1000, full at 2000, a thin mark at the centre (1500). A value outside the range shows as an
// empty or full bar; its number still says what came.
class ValueBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kLow = 1000;
    static constexpr int kHigh = 2000;

    explicit ValueBar(QWidget* parent = nullptr);

    // No value yet: an empty track and no number.
    void SetValue(std::optional<int> value);
    std::optional<int> Value() const { return m_value; }

    // Where the bar runs: kLow at its left edge, kHigh at its right edge.
    QRect Track() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int NumberWidth() const;

    std::optional<int> m_value;
};
