#pragma once
// fTask, the modal window "任务列表" in which the user keeps the task list:
// add, remove and reorder tasks on the left, edit the shown task with its
// region editors on the right. It works on its own copy of the list, read
// from the task file when it opens, and writes the whole list back (through
// the atomic saveTasks) after every add, remove, move and successful save.
// The main window learns of edits only through the file, which it reloads
// when this window closes.
//
// The checks of a save live in model/TaskValidation; this window copies its
// boxes into a TaskForm, shows the messages and writes the record.
//
// A save never writes into another task: when no task is shown (an empty
// list at opening, or the shown task removed) the form is disabled and the
// save button with it, and a task added then is shown at once. A save that
// is refused or cannot write the file keeps the window on the shown task with
// the edits in place, also when it was asked by one of the two prompts.
//
// The list's highlight and the shown task never differ: moving the highlight
// by keyboard shows that task through the prompt of a click (Cancel puts the
// highlight back), and the row that takes the highlight from a removed task
// is shown, so remove and move always act on the task on screen.
//
// Thread: UI thread only.

#include <QDialog>
#include <QIcon>
#include <QList>

#include "model/Task.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSplitter;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

namespace kolva {

class Dialogs;
class MediaLengths;
class OutputDeviceBox;
class OutputDeviceList;
class RegionEditor;
class PagedScrollArea;

class TaskEditor : public QDialog {
    Q_OBJECT
public:
    static constexpr int KeyRole = Qt::UserRole + 1;        // row key "Key" + TaskID
    static constexpr int ImageIndexRole = Qt::UserRole + 2; // 1 enabled, 2 disabled

    // Opens on the task file at once (Form_Load): reads it, fills the list,
    // shows the first task. A file that exists but cannot be read is named
    // to the user before anything else.
    TaskEditor(const QString &taskFile, Dialogs &dialogs, MediaLengths &lengths,
               QWidget *parent = nullptr);
    ~TaskEditor() override;

    // The holiday calendar the "节假日…" button edits (AppPaths::holidayFile);
    // by default holidays.txt beside the task file, where AppPaths puts it.
    void setHolidayFile(const QString &path) { m_holidayFile = path; }
    QString holidayFile() const { return m_holidayFile; }
    // The devices "输出设备:" offers (the program's list).
    void setOutputDevices(const OutputDeviceList *devices);

    const TaskList &tasks() const { return m_tasks; }
    // The key of the shown task ("" when none is shown).
    QString shownKey() const { return m_shownKey; }
    // The shown task has edits not saved yet (the save button shows it).
    bool isChanged() const { return m_changed; }

    // The user's actions (buttons, row click, Ctrl+S); public for the tests.
    void cmdAddTaskClick();
    void cmdRemoveTaskClick();
    void cmdMoveUpTaskClick();
    void cmdMoveDownTaskClick();
    void rowClicked(QTreeWidgetItem *row);
    // Checks and saves the shown task; false when it was refused or the file
    // could not be written (the edits stay).
    bool cmdSaveTaskClick();
    void picAddNewClick();
    // One page step of the content panel (the wheel hook calls it).
    void vscScroll(bool isUp);
    bool isWheelHooked() const;
    // Quick choices of the play days: every day, Monday to Friday.
    void setPlayDays(uint8_t days);
    // "节假日…": the holiday calendar dialog, modal over this window.
    void cmdHolidaysClick();

    // Controls by their role, for the tests.
    QTreeWidget *lvwTaskList() const { return m_list; }
    QSplitter *splitter() const { return m_splitter; }
    QWidget *bg() const;           // the editor area (viewport)
    QWidget *contentPanel() const; // what scrolls in it
    QScrollBar *vsc() const;
    QLineEdit *titleEdit() const { return m_titleEdit; }
    QComboBox *volumeModeBox() const { return m_volumeModeBox; }
    QLineEdit *volumeEdit() const { return m_volumeEdit; }
    QLineEdit *startTimeEdit() const { return m_startTimeEdit; }
    QRadioButton *durationOption() const { return m_durationOption; }
    QLineEdit *durationEdit() const { return m_durationEdit; }
    QRadioButton *stopTimeOption() const { return m_stopTimeOption; }
    QLineEdit *stopTimeEdit() const { return m_stopTimeEdit; }
    QCheckBox *powerOffBox() const { return m_powerOffBox; }         // 自动关机
    QCheckBox *enabledBox() const { return m_enabledBox; }           // 启用
    QCheckBox *dayBox(int index) const { return m_dayBoxes[index]; } // 0 Monday .. 6 Sunday
    QPushButton *everyDayButton() const { return m_everyDay; }       // 每天
    QPushButton *workdaysButton() const { return m_workdays; }       // 工作日
    QCheckBox *holidaysBox() const { return m_holidays; }            // 节假日不播放
    QPushButton *holidaysButton() const { return m_cmdHolidays; }    // 节假日…
    // 错过后 and the minutes of N分钟内补播.
    QComboBox *catchUpBox() const { return m_catchUp; }
    QLineEdit *catchUpMinutesBox() const { return m_catchUpMinutes; }
    OutputDeviceBox *deviceBox() const { return m_deviceBox; }       // 输出设备:
    QToolButton *cmdSaveTask() const { return m_cmdSaveTask; }
    QToolButton *picAddNew() const { return m_picAddNew; }
    QToolButton *taskButton(int index) const {
        return m_taskButtons[index];
    } // add, remove, up, down
    // The region editors of the shown task, top to bottom; builds those not
    // built yet first (for the tests and anyone who needs every control).
    QList<RegionEditor *> regionEditors();
    // Regions of the shown task, and how many of them have their editor yet.
    int regionCount() const { return int(m_slots.size()); }
    int builtRegionCount() const;

    // Twips to pixels of this screen (1440 twips an inch).
    int twips(int value) const;

public slots:
    void reject() override; // close box and Escape: the close prompt

private:
    // TaskEditorLayout.cpp
    void buildWidgets();
    QWidget *buildListPane();
    QWidget *buildEditorPane();
    // TaskEditor.cpp
    void loadTaskList();
    void displayTask(const Task &task);
    void showRow(QTreeWidgetItem *row);
    void showHighlightedRow();
    void showNothing();
    void fillRow(QTreeWidgetItem *row, const Task &task, bool fullStartTime);
    QTreeWidgetItem *rowOfKey(const QString &key) const;
    QTreeWidgetItem *selectedRow() const;
    int findTaskIndex(int taskId) const;
    void moveTaskDown(int row, int rowToSelect);
    bool saveTaskFile();
    void markChanged();
    uint8_t shownDays() const;
    void setChanged(bool changed);
    // TaskEditorRegions.cpp
    void showRegions(const QVector<Region> &regions);
    RegionEditor *buildRegionEditor(int index);
    RegionEditor *newRegionEditor();
    void fitPanes();
    void buildVisibleRegions();
    void buildRegionsSlice();
    void linkTabOrder(int index);
    void regionRemoved(RegionEditor *editor);
    void clearRegionEditors();
    void scrollToEnd();
    bool askToSave(bool withIcon);
    void hookWheel();
    void unhookWheel();

    QString m_taskFile;
    QString m_holidayFile;
    Dialogs &m_dialogs;
    MediaLengths &m_lengths;
    TaskList m_tasks;
    // The rows' pictures, drawn once and shared by every row.
    QIcon m_enabledIcon;
    QIcon m_disabledIcon;
    bool m_loading = false;
    bool m_changed = false; // only ever true while a task is shown
    QString m_shownKey;     // the Tag of lblTaskInListView

    QSplitter *m_splitter = nullptr;
    QToolButton *m_taskButtons[4] = {};
    QTreeWidget *m_list = nullptr;
    PagedScrollArea *m_bg = nullptr;
    QWidget *m_content = nullptr;
    QLabel *m_lblTask = nullptr;
    QLabel *m_lblTaskInListView = nullptr;
    // The task's own fields; the names in the comments are the controls'
    // object names (what skins address).
    QLineEdit *m_titleEdit = nullptr;         // Text1(0)
    QComboBox *m_volumeModeBox = nullptr;     // Combo1
    QLineEdit *m_volumeEdit = nullptr;        // Text1(1)
    QLineEdit *m_startTimeEdit = nullptr;     // Text1(2)
    QRadioButton *m_durationOption = nullptr; // Option1(0)
    QLineEdit *m_durationEdit = nullptr;      // Text1(3)
    QRadioButton *m_stopTimeOption = nullptr; // Option1(1)
    QLineEdit *m_stopTimeEdit = nullptr;      // Text1(4)
    QCheckBox *m_powerOffBox = nullptr;       // Check1
    QCheckBox *m_enabledBox = nullptr;        // Check2
    QCheckBox *m_dayBoxes[7] = {};
    QPushButton *m_everyDay = nullptr;
    QPushButton *m_workdays = nullptr;
    QCheckBox *m_holidays = nullptr;
    QPushButton *m_cmdHolidays = nullptr;
    QComboBox *m_catchUp = nullptr; // 错过后: in the order of TaskForm::CatchUp
    QLineEdit *m_catchUpMinutes = nullptr;
    OutputDeviceBox *m_deviceBox = nullptr;
    QVBoxLayout *m_regionLayout = nullptr;
    // One slot a region of the shown task, in display order. A region shows
    // as a placeholder of an editor's height until it scrolls into view or
    // the event loop has a moment; until then its record is the slot's.
    struct RegionSlot {
        int number = 0;
        Region region;
        RegionEditor *editor = nullptr;
    };
    QVector<RegionSlot> m_slots;
    int m_regionHeight = 0;               // of a built editor, for the placeholders
    QTimer *m_regionFill = nullptr;       // builds the rest in slices
    QList<RegionEditor *> m_spareRegions; // hidden, from a task shown before
    bool m_buildingVisible = false;
    QToolButton *m_picAddNew = nullptr;
    QToolButton *m_cmdSaveTask = nullptr;
};

} // namespace kolva
