#pragma once
// The task editor's viewport (bg) over its content panel. While a pager is
// installed (the editor's wheel hook, from the end of opening until the
// window really closes), every wheel event that reaches the viewport is one
// page step by its sign alone, and then goes on as handled; without a pager
// the wheel scrolls as in any scroll area.
//
// Thread: UI thread.

#include <QScrollArea>
#include <QWheelEvent>
#include <functional>

namespace kolva {

class PagedScrollArea : public QScrollArea {
    Q_OBJECT
public:
    using QScrollArea::QScrollArea;

    void setPager(std::function<void(bool isUp)> pager) { m_pager = std::move(pager); }
    bool hasPager() const { return bool(m_pager); }

protected:
    void wheelEvent(QWheelEvent *event) override {
        if (!m_pager) {
            QScrollArea::wheelEvent(event);
            return;
        }
        // Several notches in one event are still one page.
        m_pager(event->angleDelta().y() > 0);
        event->accept();
    }

private:
    std::function<void(bool)> m_pager;
};

} // namespace kolva
