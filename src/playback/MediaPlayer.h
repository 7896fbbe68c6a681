#pragma once
// The narrow media player interface the program plays through (two instances:
// main and insert). One GStreamer implementation (platform/GstMediaPlayer)
// and one scriptable fake for tests (tests/support/FakeMediaPlayer) implement
// it; tests/platform/PlayerContractTest runs one script of calls against both
// and compares the events they give.
//
// Event contract (every implementation keeps it; the playback monitor relies
// on it). Events are queued and delivered from the Qt event loop on the UI
// thread, one at a time, in the order below, never from inside a call into
// the player. Each event carries the state it reports (the state when it was
// raised, not when it is delivered):
//
//   setCurrentPlaylist(p)   any playback of the previous playlist stops without
//                           a statusChange (events of it not yet delivered are
//                           dropped); playState() becomes Stopped,
//                           currentMedia() becomes p's first item, then
//                           openStateChange(PlaylistChanged).
//   play() when stopped     playState() is Playing at once; the entry of
//                           currentMedia() (the first one after an end of pass)
//                           starts: openStateChange(MediaOpen) once it is
//                           open (duration known), then statusChange(Playing).
//                           A pause() before that open makes it
//                           statusChange(Paused).
//   play() when paused      statusChange(Playing); position kept.
//   next entry / repeat     (gapless) currentMedia() becomes the next item and
//                           openStateChange(MediaOpen) follows. No statusChange:
//                           the end of an entry that is not the last play of the
//                           last entry is never reported as MediaEnded.
//   end of the pass         when the last play of the last entry ends:
//                           playState() MediaEnded, currentMedia() identical
//                           to the playlist's last item, statusChange(MediaEnded).
//                           Once that event has been delivered the player rests
//                           in Stopped without a further event.
//   pause()                 statusChange(Paused) (nothing when not playing).
//   stop()                  statusChange(Stopped) once, currentMedia()
//                           unchanged (nothing when already stopped/ended).
//   setNextPlaylist(n)      (players that continuesPlaylists()) when the pass
//                           ends and an entry of it did open, the player goes
//                           on with n without a gap, as if
//                           setCurrentPlaylist(n) and play() came at that
//                           instant: currentPlaylist() becomes n,
//                           openStateChange(PlaylistChanged), then
//                           openStateChange(MediaOpen); no statusChange for
//                           the pass that ended. setCurrentPlaylist and
//                           stop() drop n.
//   faulty entry            skipped (entrySkipped says why): the next entry
//                           plays (openStateChange(MediaOpen)); a faulty last
//                           entry ends the pass as above; an empty playlist
//                           ends at once on play() (currentMedia() is then
//                           item(-1), identical to its "last item").

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

namespace kolva {

// What the player does. (The original control's codes were 0, 1, 2, 3, 8.)
enum class PlayState { Undefined, Stopped, Paused, Playing, MediaEnded };

// What the player has just opened. (The original's 7 and 13.)
enum class OpenState { PlaylistChanged, MediaOpen };

// One media item: an entry of a playlist, or a file asked about by newMedia.
struct Media {
    quint64 playlistId = 0; // identity of the playlist the item belongs to (0: none)
    int index = -1;         // entry index within that playlist (-1: none)
    double duration = 0;    // seconds; 0 when unknown or unplayable
    QString name;           // title shown to the user (file base name)
    QString sourceURL;      // the file path as the playlist named it

    // Same entry of the same playlist.
    bool isIdentical(const Media &other) const {
        return playlistId != 0 && playlistId == other.playlistId && index == other.index;
    }
};

// A playlist read from an ASX file. Items are the entries in file order (a
// REPEAT block does not multiply them).
struct PlaylistEntry {
    QString ref;                 // file path
    int plays = 1;               // REPEAT COUNT n gives n + 1 plays; -1 endless
    double startSeconds = 0;     // clip start
    double durationSeconds = -1; // clip length; -1 = to the end
    QStringList paramNames;
    QStringList paramValues;
};

class Playlist {
public:
    quint64 id = 0; // unique per playlist object the player made
    QString name;
    QVector<PlaylistEntry> entries;
    QStringList paramNames; // playlist-level Param elements
    QStringList paramValues;

    int count() const { return int(entries.size()); }
    // The entry as a media item (duration filled in once it has been opened).
    // An empty playlist's "last item" item(count() - 1) still names the
    // playlist, so that the end of an empty pass is recognised like any other.
    Media item(int index) const {
        Media m;
        if (index == -1 && entries.isEmpty())
            m.playlistId = id;
        if (index < 0 || index >= entries.size())
            return m;
        m.playlistId = id;
        m.index = index;
        m.sourceURL = entries[index].ref;
        return m;
    }
    // Value of a playlist-level Param by name ("" when absent).
    QString getItemInfo(const QString &paramName) const {
        const int i = int(paramNames.indexOf(paramName));
        return i < 0 ? QString() : paramValues.value(i);
    }
};

using PlaylistPtr = std::shared_ptr<const Playlist>;

class MediaPlayer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MediaPlayer() override = default;

    // "0" for the main player, "1" for the insert player.
    QString Tag;

    // Reads an ASX playlist file; the result carries the given name. A file
    // that cannot be read gives a playlist with no entries (never null).
    virtual PlaylistPtr newPlaylist(const QString &name, const QString &filePath) = 0;
    // The same from the ASX text itself: the pass whose playlist file could
    // not be written (full disk, a folder turned read-only) still plays.
    virtual PlaylistPtr newPlaylistFromText(const QString &name, const QByteArray &asxText) = 0;
    virtual void setCurrentPlaylist(PlaylistPtr playlist) = 0;
    virtual PlaylistPtr currentPlaylist() const = 0;
    // The playlist that follows the current one without a gap (null: none;
    // see the contract above). Only for players that continuesPlaylists().
    virtual bool continuesPlaylists() const { return false; }
    virtual void setNextPlaylist(PlaylistPtr next) { Q_UNUSED(next); }
    // Opens the first entry of `playlist` paused ahead of its start, raising
    // no event, so that a later setCurrentPlaylist(playlist) and play() only
    // start it. Any other playlist, stop() and cancelPreroll() drop it; an
    // entry that cannot be opened drops it silently (the start then opens it
    // as usual and tells why). Only for players that prerolls().
    virtual bool prerolls() const { return false; }
    virtual void preroll(PlaylistPtr playlist) { Q_UNUSED(playlist); }
    virtual void cancelPreroll() {}

    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;

    // Position in the current entry's file, seconds.
    virtual double currentPosition() const = 0;
    virtual void setCurrentPosition(double seconds) = 0;

    virtual int volume() const = 0; // 0-100
    virtual void setVolume(int volume) = 0;

    virtual PlayState playState() const = 0;
    virtual Media currentMedia() const = 0;

    // A media file's length without playing it, never blocking (0: missing,
    // unplayable, or not known yet: then it is being found out and a later
    // call answers).
    virtual Media newMedia(const QString &filePath) = 0;

    // False while the player has no real sound output and plays silently
    // (the desktop's sound server not up yet, gone, or the device unplugged);
    // it keeps trying to get it back.
    virtual bool soundOutputAvailable() const { return true; }

    // The output device to play on from now on, by the sound server's stable
    // name ("" = the system default). What plays goes on there at the
    // position it reached. A device that cannot be opened (not there) is
    // played to silently in real time and tried again every few seconds;
    // the same name again while silent tries it at once. OutputRouter
    // decides what to ask for (the fallback to the default is its choice).
    virtual void setOutputDevice(const QString &stableName) = 0;

signals:
    void openStateChange(kolva::OpenState newState);
    void statusChange(kolva::PlayState newState);
    void positionChange(double oldPosition, double newPosition);
    // A file of the playlist was passed over because it cannot be played
    // (queued like the other events; for the play history only).
    void entrySkipped(const QString &path, const QString &reason);
    // soundOutputAvailable() changed.
    void soundOutputChanged();
};

} // namespace kolva
