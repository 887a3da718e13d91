#include "FocusOrder.h"

#include <QEvent>
#include <QLayout>
#include <QSet>
#include <QWidget>
#include <algorithm>

namespace {

bool TakesTabFocus(const QWidget* widget) {
    return (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

using Block = FocusOrder::Block;

bool SameRow(const QRect& row, const QRect& place) {
    return row.contains(row.left(), place.center().y()) ||
           place.contains(place.left(), row.center().y());
}

// Rows top to bottom (a block joins a row when their middles overlap), each row left to right.
QList<QWidget*> InReadingOrder(std::vector<Block> blocks) {
    std::stable_sort(blocks.begin(), blocks.end(), [](const Block& a, const Block& b) {
        return a.place.center().y() < b.place.center().y();
    });
    QList<QWidget*> ordered;
    for (std::size_t first = 0; first < blocks.size();) {
        std::size_t end = first + 1;
        QRect row = blocks[first].place;
        while (end < blocks.size() && SameRow(row, blocks[end].place)) row |= blocks[end++].place;
        std::stable_sort(blocks.begin() + first, blocks.begin() + end,
                         [](const Block& a, const Block& b) { return a.place.x() < b.place.x(); });
        for (std::size_t i = first; i < end; ++i) ordered += blocks[i].controls;
        first = end;
    }
    return ordered;
}

}  // namespace

FocusOrder::FocusOrder(const QList<QWidget*>& sections, const QList<QWidget*>& skipped,
                       QObject* parent)
    : QObject(parent) {
    for (QWidget* section : sections) {
        m_sections << section;
        section->installEventFilter(this);
    }
    for (QWidget* widget : skipped) m_skipped << widget;
    Rebuild();
}

void FocusOrder::Rebuild() {
    QList<QWidget*> skipped;
    for (const QPointer<QWidget>& widget : m_skipped)
        if (widget) skipped << widget;
    QList<QWidget*> order;
    for (const QPointer<QWidget>& section : m_sections)
        if (section) order += ReadingOrder(section, skipped);
    Apply(order);
}

QList<QWidget*> FocusOrder::ReadingOrder(QWidget* root, const QList<QWidget*>& skipped) {
    QSet<QWidget*> placed;
    std::vector<Block> blocks;
    if (root->layout()) blocks = LayoutBlocks(root->layout(), skipped, placed);
    for (QObject* object : root->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || placed.contains(child)) continue;
        if (std::optional<Block> block = WidgetBlock(child, skipped)) blocks.push_back(*block);
    }
    return InReadingOrder(std::move(blocks));
}

// A control that takes the focus stands for itself; any other widget for the controls inside it.
std::optional<FocusOrder::Block> FocusOrder::WidgetBlock(QWidget* widget,
                                                         const QList<QWidget*>& skipped) {
    if (widget->isWindow() || skipped.contains(widget)) return std::nullopt;
    Block block{widget->geometry(), {}};
    if (TakesTabFocus(widget))
        block.controls << widget;
    else
        block.controls = ReadingOrder(widget, skipped);
    if (block.controls.isEmpty()) return std::nullopt;
    return block;
}

// The items of a layout; a nested layout is one block, its controls in their own order.
std::vector<FocusOrder::Block> FocusOrder::LayoutBlocks(QLayout* layout,
                                                        const QList<QWidget*>& skipped,
                                                        QSet<QWidget*>& placed) {
    std::vector<Block> blocks;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (QWidget* widget = item->widget()) {
            placed << widget;
            if (std::optional<Block> block = WidgetBlock(widget, skipped)) blocks.push_back(*block);
        } else if (QLayout* inner = item->layout()) {
            Block block{inner->geometry(), InReadingOrder(LayoutBlocks(inner, skipped, placed))};
            if (!block.controls.isEmpty()) blocks.push_back(std::move(block));
        }
    }
    return blocks;
}

void FocusOrder::Apply(const QList<QWidget*>& order) {
    for (qsizetype i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

bool FocusOrder::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) Rebuild();
    return QObject::eventFilter(watched, event);
}
