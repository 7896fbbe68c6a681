#pragma once
// What kind of notification area the desktop offers (UI thread, start-up).

namespace kolva {

// True when a StatusNotifierItem host is registered on the session bus
// (KDE Plasma, GNOME with the AppIndicator extension, most Wayland desktops):
// Qt then shows the tray icon through that protocol, whose hosts report a
// single click and never a double click. Asks the same watcher Qt asks.
bool statusNotifierHostPresent();

} // namespace kolva
