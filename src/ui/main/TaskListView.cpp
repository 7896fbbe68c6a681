#include "ui/main/TaskListView.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <cmath>

#include "ui/widgets/CaptionFit.h"

namespace kolva {

namespace {

// ImageList1's two small pictures: a green tick for an enabled Task, a grey
// dash for a disabled one. Drawn so the list never depends on a file.
QIcon drawListImage(bool enabled) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor fill = enabled ? QColor(0x2E, 0xA0, 0x43) : QColor(0xA0, 0xA0, 0xA0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QPen pen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    if (enabled) {
        const QPointF tick[] = {{4.5, 8.5}, {7.0, 11.0}, {11.5, 5.5}};
        painter.drawPolyline(tick, 3);
    } else {
        painter.drawLine(QPointF(5, 8), QPointF(11, 8));
    }
    return QIcon(pixmap);
}

} // namespace

TaskListView::TaskListView(QWidget *parent)
    : QTreeWidget(parent), m_enabledImage(drawListImage(true)),
      m_disabledImage(drawListImage(false)) {
    setObjectName(QStringLiteral("lvwTaskList"));
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item, int) {
        // The row just clicked (the current item), also when several rows
        // are selected.
        reportRow(item ? item : currentItem());
    });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *row) {
        if (!m_pressing)
            reportRow(row);
    });
}

void TaskListView::mousePressEvent(QMouseEvent *event) {
    m_pressing = true;
    QTreeWidget::mousePressEvent(event);
    m_pressing = false;
}

void TaskListView::reportRow(const QTreeWidgetItem *row) {
    if (!row)
        return;
    const int id = taskIdFromKey(row->data(0, KeyRole).toString());
    if (id >= 0)
        emit taskClicked(id);
}

void TaskListView::initTaskListView() {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers); // labels edited by hand only
    setIconSize(QSize(16, 16));
    clear();
    setColumnCount(3);
    setHeaderLabels(
        {QStringLiteral("   index"), QStringLiteral("开启时间"), QStringLiteral("      任务列表")});
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    // The widths are pixels at 96 dpi, and the least a column gets: one
    // whose caption needs more at this font and DPI is widened (a cut
    // caption tells nothing), and the list with it.
    const double scale = logicalDpiX() / 96.0;
    const int widths[] = {40, 53, 233};
    for (int i = 0; i < 3; ++i)
        setColumnWidth(i, int(std::lround(widths[i] * scale)));
    keepCaptionsWhole(header());
    fitWidthToColumns();
}

void TaskListView::changeEvent(QEvent *event) {
    QTreeWidget::changeEvent(event);
    // Another skin or font: once the header has widened its captions.
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange)
        QTimer::singleShot(0, this, &TaskListView::fitWidthToColumns);
}

void TaskListView::fitWidthToColumns() {
    // The columns, and the room the design leaves for the frame and a
    // scroll bar (350 px in all at 96 dpi).
    const double scale = logicalDpiX() / 96.0;
    setFixedWidth(header()->length() + int(std::lround(24 * scale)));
}

void TaskListView::fillTaskList(const TaskList &tasks,
                                const std::function<bool(const Task &)> &playsToday) {
    clear();
    for (const Task &task : tasks) {
        auto *item = new QTreeWidgetItem();
        const int image = task.Enabled ? 1 : 2;
        item->setText(0, QString());
        item->setIcon(0, listImage(image));
        item->setData(0, ImageIndexRole, image);
        item->setData(0, KeyRole, QStringLiteral("Key") + QString::number(task.TaskID));
        item->setText(1, QLatin1Char(' ') + task.StartTime.left(5));
        if (playsToday && !playsToday(task))
            item->setForeground(1, QColor(0x95, 0x95, 0x95)); // not due today
        item->setText(2, QLatin1Char(' ') + task.Title);
        item->setText(3, QString());
        addTopLevelItem(item);
    }
}

QIcon TaskListView::listImage(int index) const {
    return index == 1 ? m_enabledImage : m_disabledImage;
}

QString TaskListView::rowKey(int row) const {
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->data(0, KeyRole).toString() : QString();
}

int TaskListView::rowImageIndex(int row) const {
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->data(0, ImageIndexRole).toInt() : 0;
}

int TaskListView::taskIdFromKey(const QString &key) {
    if (!key.startsWith(QLatin1String("Key")))
        return -1;
    bool ok = false;
    const int id = key.mid(3).toInt(&ok);
    return ok && id >= 0 ? id : -1;
}

} // namespace kolva
