#pragma once
// The values the playback part of the main window shows, written by the
// playback monitor and the controller, read by the window.

#include <QString>

namespace kolva {

// What the play/pause button does (the original's cmdPlay Tag 1, 2 and 0):
// the button shows it and a click does it.
enum class TransportAction { Pause, Resume, None };

// What the playback part of the window shows. Initial texts are the ones the
// window starts with until playback or the schedule writes real values.
struct PlaybackDisplay {
    QString playTime = QStringLiteral("00:00");         // lblPlayTime
    QString totalTime = QStringLiteral(" /00:00");      // lblTotalTime
    QString taskTitle = QStringLiteral("星期天逛公园"); // lblTask
    QString regionTitle = QStringLiteral("区间3");      // lblRegion
    QString timeing = QStringLiteral("12:33:55");       // lblTimeing: next start today
    QString timeingTip;                                 // its tool tip: that task's title
    QString songTitle;                                  // lblSongTitle
    QString songFile;                                   // lblSongFile
    QString engine;                                     // lblEngine
    QString clock;                                      // lblTime "HH:MM:SS"
    double progressMin = 0;                             // pgPlay
    double progressMax = 100;
    double progressValue = 0;
    int volume = 0;                                        // pgVolume, 0-100
    QString playPicture;                                   // cmdPlay picture (full path)
    TransportAction playTransport = TransportAction::None; // what cmdPlay does
    bool playEnabled = false;                              // cmdPlay enabled
};

} // namespace kolva
