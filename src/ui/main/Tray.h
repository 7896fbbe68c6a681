#pragma once
// The notification-area icon of the main window. The window drives it through
// this interface (add at start-up, icon and tip while the schedule switches,
// remove at unload); SystemTray is the real one, tests use a fake because an
// offscreen or tray-less desktop has no notification area.

#include <QIcon>
#include <QObject>
#include <QString>

class QMenu;
class QSystemTrayIcon;

namespace kolva {

class Tray : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Tray() override = default;

    // Whether the desktop has a notification area at all. Without one the
    // window must never hide itself, or it could not be reached again.
    virtual bool isAvailable() const = 0;
    virtual void add(const QIcon &icon, const QString &tip) = 0; // addTrayIcon
    virtual void setIcon(const QIcon &icon) = 0;                 // setTrayIcon
    virtual void setTip(const QString &tip) = 0;                 // setTrayTip
    virtual void remove() = 0;                                   // removeTrayIcon
    virtual bool isAdded() const = 0;
    // The pop-up menu shown on a right click (owned by the caller).
    virtual void setMenu(QMenu *menu) = 0;
    // A non-blocking balloon message.
    virtual void showMessage(const QString &title, const QString &text) = 0;

    // The tip is cut to 64 characters, as the notification record holds.
    static QString cutTip(const QString &tip) { return tip.left(64); }

    // Whether a click on the icon restores the window. Hosts of the
    // StatusNotifierItem protocol (KDE Plasma, GNOME with AppIndicator)
    // report only an activation on a single click and never a double click;
    // elsewhere (XEmbed trays) the double click stays the rule.
    static bool restoresWindow(int activationReason, bool notifierHost);

signals:
    // The user asked for the window back (a double click, or a single click
    // on a StatusNotifierItem host).
    void doubleClicked();
};

class SystemTray final : public Tray {
    Q_OBJECT
public:
    // notifierHost: the desktop's tray speaks StatusNotifierItem (the
    // composition root asks the session bus).
    explicit SystemTray(bool notifierHost = false, QObject *parent = nullptr);
    ~SystemTray() override;

    bool isAvailable() const override;
    void add(const QIcon &icon, const QString &tip) override;
    void setIcon(const QIcon &icon) override;
    void setTip(const QString &tip) override;
    void remove() override;
    bool isAdded() const override;
    void setMenu(QMenu *menu) override;
    void showMessage(const QString &title, const QString &text) override;

private:
    QSystemTrayIcon *m_icon;
};

} // namespace kolva
