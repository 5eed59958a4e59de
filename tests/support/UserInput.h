#pragma once

#include <qpa/qwindowsysteminterface.h>
#include <QPoint>
#include <QWidget>
#include <QWindow>

namespace testsupport {

// Queues a click of the left button on `widget` (shown) as the window system does: it waits
// among the window system's events until a pass of events takes the user's input.
inline void QueueClick(QWidget* widget) {
    QWidget* top = widget->window();
    QWindow* window = top->windowHandle();
    const QPoint local = widget->mapTo(top, widget->rect().center());
    const QPoint global = widget->mapToGlobal(widget->rect().center());
    using Delivery = QWindowSystemInterface::AsynchronousDelivery;
    QWindowSystemInterface::handleMouseEvent<Delivery>(window, local, global, Qt::LeftButton,
                                                       Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<Delivery>(window, local, global, Qt::NoButton,
                                                       Qt::LeftButton, QEvent::MouseButtonRelease);
}

}  // namespace testsupport
