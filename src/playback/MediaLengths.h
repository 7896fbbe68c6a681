#pragma once
// Lengths of media files asked without blocking: a known answer comes at
// once, an unknown one later by `lengthKnown`. The views colour unplayable
// songs with it; the player plans entries with it. One object serves the
// whole program (built in main, passed down).
//
// Thread: UI thread; `lengthKnown` is emitted on the UI thread, never from
// inside `lookup`.

#include <QObject>
#include <QString>
#include <optional>

namespace kolva {

class MediaLengths : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MediaLengths() override = default;

    // Seconds when the answer is known (0: missing, unreadable or without
    // playable sound); std::nullopt while it is being found out, and then
    // `lengthKnown` follows once for this request.
    virtual std::optional<double> lookup(const QString &path) = 0;

    static bool isPlayable(double seconds) { return seconds != 0; }

signals:
    void lengthKnown(const QString &path, double seconds);
};

} // namespace kolva
