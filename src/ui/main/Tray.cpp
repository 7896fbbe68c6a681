#include "ui/main/Tray.h"

#include <QSystemTrayIcon>

namespace kolva {

bool Tray::restoresWindow(int activationReason, bool notifierHost) {
    // The right click opens the context menu by itself; on an XEmbed tray a
    // double click also reports a Trigger first, which must not restore.
    return activationReason == QSystemTrayIcon::DoubleClick ||
           (notifierHost && activationReason == QSystemTrayIcon::Trigger);
}

SystemTray::SystemTray(bool notifierHost, QObject *parent)
    : Tray(parent), m_icon(new QSystemTrayIcon(this)) {
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this, notifierHost](QSystemTrayIcon::ActivationReason reason) {
                if (restoresWindow(reason, notifierHost))
                    emit doubleClicked();
            });
}

SystemTray::~SystemTray() = default;

bool SystemTray::isAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTray::add(const QIcon &icon, const QString &tip) {
    m_icon->setIcon(icon);
    m_icon->setToolTip(cutTip(tip));
    m_icon->show();
}

void SystemTray::setIcon(const QIcon &icon) {
    m_icon->setIcon(icon);
}

void SystemTray::setTip(const QString &tip) {
    m_icon->setToolTip(cutTip(tip));
}

void SystemTray::remove() {
    m_icon->hide();
}

bool SystemTray::isAdded() const {
    return m_icon->isVisible();
}

void SystemTray::setMenu(QMenu *menu) {
    m_icon->setContextMenu(menu);
}

void SystemTray::showMessage(const QString &title, const QString &text) {
    m_icon->showMessage(title, text, QSystemTrayIcon::Warning);
}

} // namespace kolva
