#include "support/FakeMediaPlayer.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <algorithm>

#include "playback/AsxReader.h"

namespace kolva::test {

FakeMediaPlayer::FakeMediaPlayer(QObject *parent) : MediaPlayer(parent) {}

PlaylistPtr FakeMediaPlayer::newPlaylist(const QString &name, const QString &filePath) {
    calls << QStringLiteral("newPlaylist ") + name;
    QByteArray bytes;
    QFile file(filePath);
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    playlistFiles << bytes;
    return AsxReader::parsePlaylist(name, bytes, m_nextId++);
}

PlaylistPtr FakeMediaPlayer::newPlaylistFromText(const QString &name, const QByteArray &asxText) {
    calls << QStringLiteral("newPlaylistFromText ") + name;
    playlistFiles << asxText;
    return AsxReader::parsePlaylist(name, asxText, m_nextId++);
}

void FakeMediaPlayer::setCurrentPlaylist(PlaylistPtr playlist) {
    calls << QStringLiteral("setCurrentPlaylist ") + (playlist ? playlist->name : QString());
    m_playlist = std::move(playlist);
    m_next.reset();
    m_passOpened = false;
    m_state = PlayState::Stopped;
    m_entry = 0;
    m_play = 0;
    m_playedInEntry = 0;
    queueOpen(OpenState::PlaylistChanged);
}

void FakeMediaPlayer::setNextPlaylist(PlaylistPtr next) {
    calls << QStringLiteral("setNextPlaylist ") + (next ? next->name : QString());
    m_next = std::move(next);
}

void FakeMediaPlayer::play() {
    calls << QStringLiteral("play");
    if (m_state == PlayState::Playing)
        return;
    if (m_state == PlayState::Paused) {
        m_state = PlayState::Playing;
        queueStatus();
        return;
    }
    if (!m_playlist)
        return;
    m_state = PlayState::Playing;
    m_passOpened = false;
    openEntry(0); // an empty playlist ends its pass at once
    if (m_state == PlayState::Playing)
        queueStatus();
}

void FakeMediaPlayer::pause() {
    calls << QStringLiteral("pause");
    if (m_state != PlayState::Playing)
        return;
    m_state = PlayState::Paused;
    queueStatus();
}

void FakeMediaPlayer::stop() {
    calls << QStringLiteral("stop");
    if (m_state != PlayState::Playing && m_state != PlayState::Paused)
        return;
    m_next.reset();
    m_state = PlayState::Stopped;
    m_playedInEntry = 0;
    queueStatus();
}

double FakeMediaPlayer::currentPosition() const {
    if (!m_playlist || m_entry < 0 || m_entry >= m_playlist->count())
        return 0;
    return m_playlist->entries[m_entry].startSeconds + m_playedInEntry;
}

void FakeMediaPlayer::setCurrentPosition(double seconds) {
    calls << QStringLiteral("setCurrentPosition %1").arg(seconds);
    if (!m_playlist || m_entry < 0 || m_entry >= m_playlist->count())
        return;
    m_playedInEntry = std::max(0.0, seconds - m_playlist->entries[m_entry].startSeconds);
}

void FakeMediaPlayer::setVolume(int volume) {
    calls << QStringLiteral("setVolume %1").arg(volume);
    m_volume = volume;
}

Media FakeMediaPlayer::currentMedia() const {
    if (m_playlist && m_playlist->count() == 0)
        return m_playlist->item(-1); // identical to the empty playlist's "last item"
    if (!m_playlist || m_entry < 0 || m_entry >= m_playlist->count())
        return Media{};
    Media media = m_playlist->item(m_entry);
    media.duration = clipLength(m_entry);
    media.name = QFileInfo(media.sourceURL).completeBaseName();
    return media;
}

Media FakeMediaPlayer::newMedia(const QString &filePath) {
    calls << QStringLiteral("newMedia ") + filePath;
    Media media;
    media.sourceURL = filePath;
    media.name = QFileInfo(filePath).completeBaseName();
    media.duration = m_durations.value(filePath, m_defaultDuration);
    return media;
}

// --- Script ---------------------------------------------------------------------

double FakeMediaPlayer::clipLength(int entry) const {
    const PlaylistEntry &e = m_playlist->entries[entry];
    const double fileLength = m_durations.value(e.ref, m_defaultDuration);
    if (fileLength <= 0)
        return 0;
    double length = fileLength - e.startSeconds;
    if (e.durationSeconds >= 0)
        length = std::min(length, e.durationSeconds);
    return std::max(0.0, length);
}

void FakeMediaPlayer::openEntry(int entry) {
    // Faulty entries (no length) are skipped; a faulty last entry ends the
    // pass like a played one.
    while (entry < m_playlist->count() && clipLength(entry) <= 0) {
        m_skipped << m_playlist->entries[entry].ref;
        queue({Event::Skipped, {}, {}, int(m_skipped.size()) - 1});
        ++entry;
    }
    m_play = 0;
    m_playedInEntry = 0;
    if (entry >= m_playlist->count() && m_next && m_passOpened) {
        // The next pass follows without a gap.
        calls << QStringLiteral("continue ") + m_next->name;
        m_playlist = std::move(m_next);
        m_next.reset();
        m_passOpened = false;
        queueOpen(OpenState::PlaylistChanged);
        openEntry(0);
        return;
    }
    if (entry >= m_playlist->count()) {
        m_entry = m_playlist->count() - 1;
        m_state = PlayState::MediaEnded;
        ++passesEnded;
        queueStatus(true);
        return;
    }
    m_entry = entry;
    m_passOpened = true;
    queueOpen(OpenState::MediaOpen);
}

void FakeMediaPlayer::endCurrentPlay() {
    const int plays = m_playlist->entries[m_entry].plays;
    if (plays == -1 || m_play + 1 < plays) {
        ++m_play;
        m_playedInEntry = 0;
        queueOpen(OpenState::MediaOpen);
        return;
    }
    openEntry(m_entry + 1);
}

void FakeMediaPlayer::finishEntry() {
    if (m_state == PlayState::Playing)
        endCurrentPlay();
}

void FakeMediaPlayer::finishPass() {
    if (m_state != PlayState::Playing)
        return;
    openEntry(m_playlist->count()); // the end, or the next pass
}

void FakeMediaPlayer::failEntry() {
    if (m_state == PlayState::Playing)
        openEntry(m_entry + 1);
}

void FakeMediaPlayer::advance(double seconds) {
    // Bounded so a script mistake cannot hang a test.
    for (int guard = 0; guard < 1000000 && seconds > 0 && m_state == PlayState::Playing; ++guard) {
        const double remaining = clipLength(m_entry) - m_playedInEntry;
        if (seconds < remaining) {
            m_playedInEntry += seconds;
            return;
        }
        seconds -= std::max(0.0, remaining);
        endCurrentPlay();
    }
}

// --- Events ---------------------------------------------------------------------

void FakeMediaPlayer::queue(Event event) {
    m_queue.append(event);
    if (!m_flushPosted) {
        m_flushPosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_flushPosted = false;
                deliverEvents();
            },
            Qt::QueuedConnection);
    }
}

int FakeMediaPlayer::deliverEvents() {
    int delivered = 0;
    while (!m_queue.isEmpty()) {
        const Event event = m_queue.takeFirst();
        ++delivered;
        if (event.kind == Event::Open) {
            emit openStateChange(event.open);
        } else if (event.kind == Event::Skipped) {
            emit entrySkipped(m_skipped.value(event.skipped), QStringLiteral("不能播放"));
        } else {
            emit statusChange(event.state);
            // After the end of the pass has been told, the player rests.
            if (event.endOfPass && m_state == PlayState::MediaEnded)
                m_state = PlayState::Stopped;
        }
    }
    return delivered;
}

} // namespace kolva::test
