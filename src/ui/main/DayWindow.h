#pragma once
// "日程": what plays on a chosen day and why, and for today and the days
// before, what did happen (the play history). A dialog window of its own
// beside the main window, never modal (Escape closes it); it shows what its DaySchedule holds and
// follows the schedule's list, calendar and history while it is open. Page Up and Page Down go to
// the day before and after wherever the focus is.
//
// Thread: UI thread.

#include <QDialog>

class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kolva {

class DaySchedule;
class MainController;
class MediaLengths;

class DayWindow : public QDialog {
    Q_OBJECT
public:
    DayWindow(MainController &controller, MediaLengths *lengths, QWidget *parent = nullptr);
    ~DayWindow() override;

    DaySchedule &schedule() { return *m_schedule; }
    QTableWidget *dayTable() const { return m_dayTable; }
    QTableWidget *historyTable() const { return m_historyTable; }
    QDateEdit *dateEdit() const { return m_date; }

private:
    void buildWidgets();
    void showPlan();
    void showHistory();
    void dateEdited();

    MainController &m_controller;
    DaySchedule *m_schedule = nullptr;
    QDateEdit *m_date = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_today = nullptr;
    QLabel *m_summary = nullptr;
    QTableWidget *m_dayTable = nullptr;
    QLabel *m_historyLabel = nullptr;
    QTableWidget *m_historyTable = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace kolva
