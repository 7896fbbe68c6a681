#pragma once
// ctlRegion: edits one region of the task shown in the task editor. It holds
// a working copy of the region (number, title, volume mode and volume,
// duration, random order, passes, songs as rows of a list); every user change
// is written back into it and announced with RegionChanged. The remove button
// only asks the task editor, through RegionRemoved, to take the control away.
//
// The song rows carry their Song records, so nothing is lost between the
// shown text and the data: paths with "|", any Unicode text and repeat counts
// come back exactly as they went in. Playability of the files (the red file
// column) is asked of MediaLengths without blocking; late answers recolour
// the rows.
//
// Thread: UI thread.

#include <QIcon>
#include <QWidget>

#include "model/Task.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kolva {

class Dialogs;
class MediaLengths;
class RepeatBox;

class RegionEditor : public QWidget {
    Q_OBJECT
public:
    RegionEditor(Dialogs &dialogs, MediaLengths &lengths, QWidget *parent = nullptr);

    // Fills the working copy and the controls (with Loading set: raises no
    // RegionChanged). number is the region's 1-based number as shown.
    void createRegion(int number, const Region &region);
    // Title, Volume, Sort, Repeat, Duration and Songs (SongFile, Repeat,
    // StartTime, Duration) of the working copy; ids and run-time fields zero.
    Region getRegion() const;
    int number() const { return m_number; }
    // The task editor's check writes the normalised time back; this is not a
    // user change and raises no RegionChanged.
    void setDurationText(const QString &text);
    bool isLoading() const { return m_loading; }

    // The controls by their role, for the task editor's layout and the tests.
    QLabel *indexLabel() const { return m_index; }
    QLineEdit *titleBox() const { return m_title; }
    QComboBox *volumeMode() const { return m_volumeMode; }
    QLineEdit *volumeBox() const { return m_volume; }
    QLineEdit *durationBox() const { return m_duration; }
    QCheckBox *sortBox() const { return m_sort; }
    RepeatBox *repeatBox() const { return m_repeat; }
    QTreeWidget *songList() const { return m_list; }
    QToolButton *addSongButton() const { return m_addSong; }
    QToolButton *removeSongButton() const { return m_removeSong; }
    QToolButton *modifySongButton() const { return m_modifySong; }
    QToolButton *removeRegionButton() const { return m_removeRegion; }
    // The controls that take the keyboard focus, in their tab order.
    QList<QWidget *> focusOrder() const;

    // The file dialog's filters: the player's formats first (selected), then
    // every file.
    static QStringList songFilters();
    // The red of a file that cannot be played.
    static QColor unplayableColor();

    // The button actions (also reachable by keyboard: Ins, Del and Enter on
    // the list).
    void cmdAddSongClick();
    void cmdRemoveSongClick();
    void cmdModifySongClick();
    // Appends rows for these paths, in order, and announces the change once.
    void addSongFiles(const QStringList &paths);

signals:
    void RegionChanged();
    void RegionRemoved();

private:
    void buildWidgets();
    void initSongList();
    void showRegion();
    void syncRegion();
    void addSongRow(const Song &song);
    void showSongRow(QTreeWidgetItem *row, const Song &song);
    void markPlayable(QTreeWidgetItem *row);
    void lengthKnown(const QString &path, double seconds);
    void volumeModeChosen(int item);
    void modifyRow(QTreeWidgetItem *row);

    Dialogs &m_dialogs;
    MediaLengths &m_lengths;
    Region m_work;
    int m_number = 0;
    bool m_loading = false;
    QIcon m_rowPicture; // drawn once, shared by every row

    QLabel *m_index = nullptr;
    QLineEdit *m_title = nullptr;
    QComboBox *m_volumeMode = nullptr;
    QLineEdit *m_volume = nullptr;
    QLineEdit *m_duration = nullptr;
    QCheckBox *m_sort = nullptr;
    RepeatBox *m_repeat = nullptr;
    QTreeWidget *m_list = nullptr;
    QToolButton *m_addSong = nullptr;
    QToolButton *m_removeSong = nullptr;
    QToolButton *m_modifySong = nullptr;
    QToolButton *m_removeRegion = nullptr;
};

} // namespace kolva
