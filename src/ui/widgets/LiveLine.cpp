#include "ui/widgets/LiveLine.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace kolva {

namespace {

class LiveLineAccessible final : public QAccessibleWidget {
public:
    explicit LiveLineAccessible(LiveLine *line)
        : QAccessibleWidget(line, QAccessible::Notification) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return static_cast<const LiveLine *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *liveLineFactory(const QString &className, QObject *object) {
    if (className == QLatin1String(LiveLine::staticMetaObject.className()))
        if (auto *line = qobject_cast<LiveLine *>(object))
            return new LiveLineAccessible(line);
    return nullptr;
}

} // namespace

LiveLine::LiveLine(QWidget *parent) : QLabel(parent) {
    // Qt keeps the factories for the process; one is enough.
    static const bool installed = (QAccessible::installFactory(liveLineFactory), true);
    (void)installed;
}

void LiveLine::say(const QString &text) {
    setText(text);
    show();
    if (!QAccessible::isActive())
        return;
    // A notification is read when it is shown: the new text is shown anew.
    QAccessibleEvent name(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&name);
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

} // namespace kolva
