#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <optional>
#include <vector>

class QLayout;
class QWidget;

// The order Tab walks a window in: section by section, and within a section its controls as
// they are read, rows top to bottom and each row left to right, the controls of a group box,
// a panel or a nested layout together. Hidden or disabled controls stay in the order; Tab
// passes over them.
//
// Controls inside layouts have their places only once shown, so the order is made again
// whenever a section is shown (a page becoming the visible one, the window opening).
class FocusOrder : public QObject {
public:
    // `sections` in the order Tab visits them; `skipped` are left out of every section (a
    // section that contains another names it here and lists it after itself).
    FocusOrder(const QList<QWidget*>& sections, const QList<QWidget*>& skipped, QObject* parent);

    void Rebuild();

    // The controls under `root` that take the focus with Tab, in reading order.
    static QList<QWidget*> ReadingOrder(QWidget* root, const QList<QWidget*>& skipped = {});
    // Makes Tab go through `order` in its order.
    static void Apply(const QList<QWidget*>& order);

    // A part of a window and the controls it stands for, in their order.
    struct Block {
        QRect place;
        QList<QWidget*> controls;
    };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static std::optional<Block> WidgetBlock(QWidget* widget, const QList<QWidget*>& skipped);
    static std::vector<Block> LayoutBlocks(QLayout* layout, const QList<QWidget*>& skipped,
                                           QSet<QWidget*>& placed);

    QList<QPointer<QWidget>> m_sections;
    QList<QPointer<QWidget>> m_skipped;
};
