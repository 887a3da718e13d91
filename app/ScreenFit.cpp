#include "ScreenFit.h"

#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

namespace {
const QString kContentName = QStringLiteral("screenFitContent");
}  // namespace

ScreenFit::ScreenFit(QWidget& window)
    : QObject(&window), m_window(window), m_contentSize(window.size()) {
    m_content = new QWidget;
    m_content->setObjectName(kContentName);
    m_content->setFixedSize(m_contentSize);
    // Explicitly hidden controls stay hidden; the others show with the window as before.
    const QObjectList children = window.children();  // a copy: moving a child changes the list
    for (QObject* object : children) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow()) continue;
        const bool hidden =
            child->isHidden() && child->testAttribute(Qt::WA_WState_ExplicitShowHide);
        child->setParent(m_content);
        child->setHidden(hidden);
    }
    m_area = new QScrollArea(&window);
    m_area->setObjectName(QStringLiteral("screenFitArea"));
    m_area->setFrameShape(QFrame::NoFrame);
    m_area->setFocusPolicy(Qt::NoFocus);
    m_area->setWidget(m_content);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_area);
    window.installEventFilter(this);
    Fit();
}

QSize ScreenFit::FittedSize(QSize content, QSize available, int scrollBar) {
    if (content.width() <= available.width() && content.height() <= available.height())
        return content;
    // A scroll bar along one side takes room from the other, which may then need one too.
    bool vertical = content.height() > available.height();
    bool horizontal = content.width() + (vertical ? scrollBar : 0) > available.width();
    vertical = vertical || content.height() + (horizontal ? scrollBar : 0) > available.height();
    const int width = content.width() + (vertical ? scrollBar : 0);
    const int height = content.height() + (horizontal ? scrollBar : 0);
    return {std::min(width, available.width()), std::min(height, available.height())};
}

void ScreenFit::Fit() {
    QScreen* screen = m_window.screen();
    if (!screen) return;
    const QSize available = screen->availableGeometry().size() - kFrameAllowance;
    const int scrollBar = m_window.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize fitted = FittedSize(m_contentSize, available, scrollBar);
    if (fitted == m_contentSize) {
        m_window.setFixedSize(m_contentSize);
        return;
    }
    m_window.setMinimumSize(fitted.boundedTo(QSize(200, 150)));
    const QSize largest(m_contentSize.width() + scrollBar, m_contentSize.height() + scrollBar);
    m_window.setMaximumSize(largest);
    m_window.resize(fitted);
}

QPixmap ScreenFit::Picture(QWidget& window) {
    if (auto* content = window.findChild<QWidget*>(kContentName)) return content->grab();
    return window.grab();
}

bool ScreenFit::eventFilter(QObject* watched, QEvent* event) {
    // A window moved to another screen (or shown on one other than the primary) fits that one.
    if (watched == &m_window && event->type() == QEvent::Show) {
        if (QWindow* handle = m_window.windowHandle())
            connect(handle, &QWindow::screenChanged, this, &ScreenFit::Fit, Qt::UniqueConnection);
        Fit();
    }
    return QObject::eventFilter(watched, event);
}
