#pragma once

#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

// Drives a horizontal QSlider with the mouse the way an operator does: on the thumb, along
// the track, on the groove beside the thumb.
namespace slider_driver {

inline QStyleOptionSlider OptionOf(const QSlider* slider, int position) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.subControls = QStyle::SC_All;
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = position;
    option.sliderValue = position;
    option.singleStep = slider->singleStep();
    option.pageStep = slider->pageStep();
    option.tickPosition = slider->tickPosition();
    option.tickInterval = slider->tickInterval();
    option.upsideDown = slider->invertedAppearance();
    return option;
}

// Centre of the thumb when the slider stands at `position`.
inline QPoint ThumbAt(const QSlider* slider, int position) {
    const QStyleOptionSlider option = OptionOf(slider, position);
    return slider->style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
        .center();
}

// Press on the thumb, move it step by step to `to`, release there.
inline void Drag(QSlider* slider, int to) {
    const QPoint start = ThumbAt(slider, slider->value());
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, start);
    const QPoint end = ThumbAt(slider, to);
    const int steps = 5;
    for (int i = 1; i <= steps; ++i) QTest::mouseMove(slider, start + (end - start) * i / steps);
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, end);
}

// A left click on the groove to the right of the thumb (a page step up).
inline void ClickTrackRight(QSlider* slider) {
    const QStyleOptionSlider option = OptionOf(slider, slider->value());
    const QRect thumb = slider->style()->subControlRect(QStyle::CC_Slider, &option,
                                                        QStyle::SC_SliderHandle, slider);
    const QPoint target((thumb.right() + slider->width()) / 2, thumb.center().y());
    QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, target);
}

}  // namespace slider_driver
