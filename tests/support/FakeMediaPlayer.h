#pragma once
// A scriptable media player that keeps the event contract of MediaPlayer.h
// (PlayerContractTest holds it to the same script as the GStreamer player).
// Nothing sounds and no time passes by itself: the test moves playback on with
// finishEntry(), finishPass(), failEntry() or advance(seconds), and delivers the
// queued events with deliverEvents() (or lets the Qt event loop deliver them:
// the same queue, whichever comes first). Every call into the player is
// recorded.

#include <QHash>
#include <QList>
#include <QStringList>
#include <functional>

#include "playback/MediaPlayer.h"

namespace kolva::test {

class FakeMediaPlayer final : public MediaPlayer {
    Q_OBJECT
public:
    explicit FakeMediaPlayer(QObject *parent = nullptr);

    // --- MediaPlayer ----------------------------------------------------------
    PlaylistPtr newPlaylist(const QString &name, const QString &filePath) override;
    PlaylistPtr newPlaylistFromText(const QString &name, const QByteArray &asxText) override;
    void setCurrentPlaylist(PlaylistPtr playlist) override;
    PlaylistPtr currentPlaylist() const override { return m_playlist; }
    bool continuesPlaylists() const override { return m_continues; }
    void setNextPlaylist(PlaylistPtr next) override;
    void play() override;
    void pause() override;
    void stop() override;
    double currentPosition() const override;
    void setCurrentPosition(double seconds) override;
    int volume() const override { return m_volume; }
    void setVolume(int volume) override;
    PlayState playState() const override { return m_state; }
    Media currentMedia() const override;
    Media newMedia(const QString &filePath) override;
    // Kept apart from `calls`: the device is asked for at every task start.
    void setOutputDevice(const QString &stableName) override { outputDevices << stableName; }

    // --- Script -------------------------------------------------------------------
    // Length of a media file in seconds (newMedia and entries); files not
    // named here have the default length; 0 makes a file unplayable.
    void setMediaDuration(const QString &filePath, double seconds) {
        m_durations.insert(filePath, seconds);
    }
    void setDefaultDuration(double seconds) { m_defaultDuration = seconds; }
    // Goes on into a next playlist as the GStreamer player does (off by
    // default: the logic tests of the original flow see every pass end).
    void setContinuesPlaylists(bool on) { m_continues = on; }
    // Records prerolls (off by default, as for continuing).
    void setPrerolls(bool on) { m_prerolls = on; }
    bool prerolls() const override { return m_prerolls; }
    void preroll(PlaylistPtr playlist) override {
        calls << QStringLiteral("preroll ") + playlist->name;
    }
    void cancelPreroll() override { calls << QStringLiteral("cancelPreroll"); }
    // The current play of the current entry ends (the next play, the next
    // entry, or the end of the pass follows).
    void finishEntry();
    // Everything left of the pass is played at once: the pass ends.
    void finishPass();
    // The current entry turns out faulty: it is skipped.
    void failEntry();
    // Plays on for that many seconds while playing, entries ending by their
    // clip lengths (an entry with an unknown length never ends by itself).
    void advance(double seconds);

    // The current playlist goes on under another name (a playlist whose
    // name no longer matches the task it came from).
    void renameCurrentPlaylist(const QString &name) {
        auto renamed = std::make_shared<Playlist>(*m_playlist);
        renamed->name = name;
        m_playlist = renamed;
    }
    // Delivers the queued events now, in order; returns how many.
    int deliverEvents();
    int pendingEvents() const { return int(m_queue.size()); }

    // --- Record -------------------------------------------------------------------
    QStringList calls;               // "play", "pause", "stop", "setVolume 40", ...
    QList<QByteArray> playlistFiles; // bytes read by each newPlaylist(FromText)
    QStringList outputDevices;       // each setOutputDevice, in order
    QString outputDevice() const { return outputDevices.value(outputDevices.size() - 1); }
    int passesEnded = 0; // end-of-pass events raised
    int entryIndex() const { return m_entry; }
    int playIndex() const { return m_play; } // play of the current entry (0-based)

private:
    struct Event {
        enum Kind { Open, Status, Skipped } kind;
        OpenState open = OpenState::MediaOpen;
        PlayState state = PlayState::Stopped;
        int skipped = 0; // Skipped: index into m_skipped
        bool endOfPass = false;
    };
    void queueStatus(bool endOfPass = false) { queue({Event::Status, {}, m_state, 0, endOfPass}); }
    void queueOpen(OpenState state) { queue({Event::Open, state}); }
    void queue(Event event);
    double clipLength(int entry) const;
    void openEntry(int entry);
    void endCurrentPlay();

    PlaylistPtr m_playlist;
    PlaylistPtr m_next;
    bool m_continues = false;
    bool m_prerolls = false;
    bool m_passOpened = false;
    PlayState m_state = PlayState::Undefined;
    int m_entry = -1;
    int m_play = 0;
    double m_playedInEntry = 0; // seconds into the current play of the clip
    int m_volume = 50;
    double m_defaultDuration = 180;
    QHash<QString, double> m_durations;
    QList<Event> m_queue;
    QStringList m_skipped; // files passed over, by Skipped events
    bool m_flushPosted = false;
    quint64 m_nextId = 1;
};

} // namespace kolva::test
