#pragma once
// lvwTaskList: the report view of the main window, one row per Task. Columns
// "   index" (40 px, icon only), "开启时间" (53 px, " HH:MM") and
// "      任务列表" (233 px, " " + title); each row carries a fourth, empty
// sub-item and the key "Key" + TaskID. Small icons come from ImageList1:
// image 1 for an enabled Task, image 2 for a disabled one.

#include <QIcon>
#include <QTreeWidget>
#include <functional>

#include "model/Task.h"

namespace kolva {

class TaskListView : public QTreeWidget {
    Q_OBJECT
public:
    // Item data roles of column 0.
    static constexpr int KeyRole = Qt::UserRole + 1;        // "Key" + TaskID
    static constexpr int ImageIndexRole = Qt::UserRole + 2; // 1 enabled, 2 disabled

    explicit TaskListView(QWidget *parent = nullptr);

    // Report view, multiple selection, small icons; rows cleared; the three
    // column headers added.
    void initTaskListView();
    // Clears the rows and adds one per Task, in list order. A task for which
    // `playsToday` says no shows its start time in grey.
    void fillTaskList(const TaskList &tasks,
                      const std::function<bool(const Task &)> &playsToday = {});

    // As wide as the columns with room for the frame and a scroll bar.
    void fitWidthToColumns();

    // ImageList1 (1-based, as the rows refer to it).
    QIcon listImage(int index) const;
    QString rowKey(int row) const;
    int rowImageIndex(int row) const;

    // The TaskID named by a row key ("Key7" -> 7); -1 when it is not a key.
    static int taskIdFromKey(const QString &key);

signals:
    // A row was clicked, or reached by the keyboard (the highlight moved to
    // it): the TaskID in its key, for the detail view.
    void taskClicked(int taskId);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void reportRow(const QTreeWidgetItem *row);

    bool m_pressing = false; // a press moves the highlight; its click reports it
    QIcon m_enabledImage;
    QIcon m_disabledImage;
};

} // namespace kolva
