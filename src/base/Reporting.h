#pragma once
// Errors of one step of a tick, an event or a click, and the wrapper that
// hands them to the window instead of ending the caller.
//
// Thread: UI thread (the steps it wraps run there).

#include <QString>
#include <stdexcept>

namespace kolva {

// An error that ends the current operation (a tick, an event, a click) but
// never the schedule: the window reports it and the next tick runs normally.
class PlaybackError : public std::runtime_error {
public:
    explicit PlaybackError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Runs one step of a tick or an event; an error it raises is handed to
// `report` instead of ending the caller, so the schedule runs on.
template <typename Step, typename Report> void runReporting(Step &&step, Report &&report) {
    try {
        step();
    } catch (const PlaybackError &e) {
        report(e.message());
    } catch (const std::exception &e) {
        report(QString::fromLocal8Bit(e.what()));
    }
}

} // namespace kolva
