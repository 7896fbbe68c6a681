#include "base/Helpers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

namespace kolva {

void delay(double milliseconds) {
    if (!(milliseconds > 0))
        return;
    QElapsedTimer timer;
    timer.start();
    while (double(timer.elapsed()) < milliseconds) {
        const double left = milliseconds - double(timer.elapsed());
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(left) + 1);
        // processEvents returns at once when nothing is pending; nap briefly so
        // the wait does not spin a core.
        if (!QCoreApplication::instance() || left > 2)
            QThread::msleep(1);
    }
}

} // namespace kolva
