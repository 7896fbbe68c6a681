#pragma once
// Where a worker thread hands a result back to an object of the UI thread.
// The owner holds the inbox in a shared_ptr, a worker holds a copy; the
// owner's destructor closes it, after which answers are dropped. A worker
// stuck on a hung disk therefore never holds the owner's end, and never
// calls into an object that is gone.
//
// Thread: post() from any thread; close() on the owner's thread.

#include <QMetaObject>
#include <QMutex>
#include <QObject>
#include <functional>
#include <memory>

namespace kolva {

class WorkerInbox {
public:
    explicit WorkerInbox(QObject *owner) : m_owner(owner) {}

    static std::shared_ptr<WorkerInbox> make(QObject *owner) {
        return std::make_shared<WorkerInbox>(owner);
    }

    // Queues `answer` to run on the owner's thread, unless the owner is gone.
    void post(std::function<void()> answer) {
        QMutexLocker lock(&m_mutex);
        if (m_owner)
            QMetaObject::invokeMethod(m_owner, std::move(answer), Qt::QueuedConnection);
    }

    void close() {
        QMutexLocker lock(&m_mutex);
        m_owner = nullptr;
    }

private:
    QMutex m_mutex;
    QObject *m_owner;
};

} // namespace kolva
