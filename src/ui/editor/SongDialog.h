#pragma once
// fSong: the modal dialog "曲目" in which the user edits one song of a region:
// its file, the clip start and length inside the file, and whether (or how
// often) it repeats. It checks and normalises the two clip times and reads
// or writes no file.
//
// Thread: UI thread; Retrive and editSong run a nested modal loop.

#include <QDialog>

#include "model/Task.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kolva {

class Dialogs;
class RepeatBox;

class SongDialog : public QDialog {
    Q_OBJECT
public:
    explicit SongDialog(Dialogs &dialogs, QWidget *parent = nullptr);

    // Edits the song text "Repeat|StartTime|Duration|SongFile" modally. True
    // when the user confirmed: songString then holds the edited song in the
    // same form. False (cancel, Esc or the close box): songString is left as
    // it was. The two flags are accepted for the callers' sake and not used.
    bool Retrive(QString &songString, bool unusedFirst = false, bool unusedSecond = false);
    // The same on a record: SongFile, Repeat, StartTime and Duration are
    // edited, the other fields stay. Values the user did not touch (a Repeat
    // of 2, say) come back as they went in.
    bool editSong(Song &song);

    // fillSongFields: the controls from a song, without showing the dialog.
    void fillSongFields(const Song &song);
    // The edited song after OK (the filled one before).
    const Song &song() const { return m_song; }
    bool confirmed() const { return m_confirmed; }

    // The controls, by their role: Text1(0) file, Text1(1) clip start,
    // Text1(2) clip length, Check1 with the plays box, the two buttons.
    QLineEdit *fileBox() const { return m_file; }
    QLineEdit *startBox() const { return m_start; }
    QLineEdit *lengthBox() const { return m_length; }
    RepeatBox *repeatBox() const { return m_repeat; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

    // cmdOk: checks the start, then the length (one message per click, the
    // dialog stays open), writes the normalised times back and accepts.
    void cmdOkClick();

private:
    bool checkTime(QLineEdit *box, const QString &message);

    Dialogs &m_dialogs;
    Song m_song;
    bool m_confirmed = false;
    QLineEdit *m_file;
    QLineEdit *m_start;
    QLineEdit *m_length;
    RepeatBox *m_repeat;
    QPushButton *m_ok;
    QPushButton *m_cancel;
};

} // namespace kolva
