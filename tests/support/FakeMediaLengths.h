#pragma once
// MediaLengths for logic and widget tests: answers what the test set with
// `know` at once; any other path is asked (recorded) and answered only when
// the test calls `answer`, as the real cache answers later on the UI thread.

#include <QHash>
#include <QStringList>

#include "playback/MediaLengths.h"

namespace kolva::test {

class FakeMediaLengths : public MediaLengths {
public:
    std::optional<double> lookup(const QString &path) override {
        if (m_known.contains(path))
            return m_known.value(path);
        if (!asked.contains(path))
            asked << path;
        return std::nullopt;
    }
    void know(const QString &path, double seconds) { m_known.insert(path, seconds); }
    // The later answer: remembered, then emitted.
    void answer(const QString &path, double seconds) {
        know(path, seconds);
        asked.removeAll(path);
        emit lengthKnown(path, seconds);
    }

    QStringList asked; // waiting for an answer, in order of asking

private:
    QHash<QString, double> m_known;
};

} // namespace kolva::test
