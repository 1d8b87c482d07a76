#pragma once

#include <QTimer>
#include <QWidget>

// Closes a message window 2000 ms after a successful send, through a timer
// named "closeTimer" that lives as long as the window.
inline void closeLater(QWidget *window)
{
    auto *timer = new QTimer(window);
    timer->setObjectName(QStringLiteral("closeTimer"));
    timer->setSingleShot(true);
    timer->setInterval(2000);
    QObject::connect(timer, &QTimer::timeout, window, &QWidget::close);
    timer->start();
}
