#pragma once
// "节假日", the dialog of the holiday calendar (user/holidays.txt), opened by
// the task editor's "节假日…" button: the calendar's entries (date or range,
// 休/班) in file order, add one date with a date picker and 休/班, remove the
// chosen entry, save. The file is written whole through the atomic writer;
// the schedule notices the new file by itself on its next tick.
//
// The calendar keeps every line of the file, so a save keeps the user's
// comments, blank lines and even lines it cannot read; only the lines of the
// entries added or removed change. A file that exists but cannot be read
// (no permission, too big) is shown empty and never written over.
//
// Thread: UI thread.

#include <QDialog>

#include "model/HolidayCalendar.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace kolva {

class Dialogs;

class HolidayDialog : public QDialog {
    Q_OBJECT
public:
    HolidayDialog(const QString &file, Dialogs &dialogs, QWidget *parent = nullptr);

    const HolidayCalendar &calendar() const { return m_calendar; }
    bool isChanged() const { return m_changed; }

    // The user's actions; public for the tests.
    void addClick();    // the picker's date as 休 or 班
    void removeClick(); // the chosen entry
    bool saveClick();   // false when the file could not be written

    QTreeWidget *entryList() const { return m_list; }
    QDateEdit *dateBox() const { return m_date; }
    QComboBox *kindBox() const { return m_kind; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *removeButton() const { return m_remove; }
    QPushButton *saveButton() const { return m_save; }

public slots:
    void reject() override; // close box, Escape, "关闭": asks about unsaved entries

private:
    void buildWidgets();
    void load();
    void fillList(int select);
    void setChanged(bool changed);

    QString m_file;
    Dialogs &m_dialogs;
    HolidayCalendar m_calendar;
    bool m_changed = false;
    bool m_writable = true; // false: the file exists but could not be read

    QTreeWidget *m_list = nullptr;
    QDateEdit *m_date = nullptr;
    QComboBox *m_kind = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_close = nullptr;
    QLabel *m_note = nullptr;
};

} // namespace kolva
