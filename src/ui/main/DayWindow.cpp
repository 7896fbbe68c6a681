#include "ui/main/DayWindow.h"

#include <QDateEdit>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/DaySchedule.h"
#include "app/MainController.h"
#include "model/PlayDays.h"
#include "scheduler/ScheduleClock.h"

namespace kolva {

namespace {

QTableWidget *namedTable(const char *name, const QString &accessibleName,
                         const QStringList &headers, QWidget *parent) {
    auto *table = new QTableWidget(0, int(headers.size()), parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setAccessibleName(accessibleName);
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(false);
    // Tab leaves the table for the next control instead of walking its cells.
    table->setTabKeyNavigation(false);
    return table;
}

QPushButton *namedButton(const char *name, const QString &caption, QWidget *parent) {
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(caption);
    // Enter in the window must not step the day by surprise.
    button->setAutoDefault(false);
    return button;
}

// Fills the table with rows of texts, keeping the current row where it was.
void fill(QTableWidget *table, const QVector<QStringList> &rows) {
    const int current = table->currentRow();
    table->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            QTableWidgetItem *item = table->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                table->setItem(r, c, item);
            }
            item->setText(rows[r][c]);
            item->setToolTip(rows[r][c]);
        }
    }
    if (current >= 0 && current < table->rowCount())
        table->setCurrentCell(current, 0);
    table->resizeColumnsToContents();
}

} // namespace

DayWindow::DayWindow(MainController &controller, MediaLengths *lengths, QWidget *parent)
    : QDialog(parent), m_controller(controller) {
    setObjectName(QStringLiteral("fDay"));
    setWindowTitle(QStringLiteral("日程"));
    setAccessibleName(QStringLiteral("日程"));
    // The schedule reads the same list and calendar objects the schedule
    // clock uses, and its day.
    DaySchedule::Sources sources{
        [&controller]() -> const TaskList & { return controller.tasks(); },
        [&controller]() -> const HolidayCalendar & { return controller.holidayCalendar(); },
        [&controller] { return controller.schedule().today(); }, controller.paths().historyFile()};
    m_schedule = new DaySchedule(sources, lengths, this);
    buildWidgets();

    connect(m_schedule, &DaySchedule::planChanged, this, &DayWindow::showPlan);
    connect(m_schedule, &DaySchedule::historyChanged, this, &DayWindow::showHistory);
    connect(&controller, &MainController::tasksChanged, m_schedule, &DaySchedule::refresh);
    connect(&controller, &MainController::playDaysChanged, m_schedule, &DaySchedule::refresh);
    connect(&controller, &MainController::historyAppended, m_schedule,
            &DaySchedule::historyAppended);
    connect(m_date, &QDateEdit::dateChanged, this, &DayWindow::dateEdited);
    connect(m_previous, &QPushButton::clicked, m_schedule, [this] { m_schedule->stepDays(-1); });
    connect(m_next, &QPushButton::clicked, m_schedule, [this] { m_schedule->stepDays(1); });
    connect(m_today, &QPushButton::clicked, m_schedule,
            [this] { m_schedule->setDate(m_schedule->today()); });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    // Page Up / Page Down change the day wherever the focus is in the window
    // (the tables would otherwise page their rows).
    for (const auto &[key, days] :
         {std::pair{Qt::Key_PageUp, -1}, std::pair{Qt::Key_PageDown, 1}}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, m_schedule,
                [this, days = days] { m_schedule->stepDays(days); });
    }
    showPlan();
    showHistory();
    m_date->setFocus();
}

DayWindow::~DayWindow() = default;

void DayWindow::buildWidgets() {
    auto *layout = new QVBoxLayout(this);

    auto *top = new QHBoxLayout();
    auto *dateLabel = new QLabel(QStringLiteral("日期(&D):"), this);
    m_date = new QDateEdit(this);
    m_date->setObjectName(QStringLiteral("dtpDay"));
    m_date->setAccessibleName(QStringLiteral("日期"));
    m_date->setAccessibleDescription(QStringLiteral("Page Up 前一天，Page Down 后一天"));
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_date->setCalendarPopup(true);
    dateLabel->setBuddy(m_date);
    m_previous = namedButton("cmdPreviousDay", QStringLiteral("前一天"), this);
    m_next = namedButton("cmdNextDay", QStringLiteral("后一天"), this);
    m_today = namedButton("cmdToday", QStringLiteral("今天"), this);
    top->addWidget(dateLabel);
    top->addWidget(m_date);
    top->addWidget(m_previous);
    top->addWidget(m_next);
    top->addWidget(m_today);
    top->addStretch(1);
    layout->addLayout(top);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lblDaySummary"));
    layout->addWidget(m_summary);

    m_dayTable =
        namedTable("lvwDay", QStringLiteral("当天任务"),
                   {QStringLiteral("时间"), QStringLiteral("预计结束"), QStringLiteral("任务"),
                    QStringLiteral("播放"), QStringLiteral("说明")},
                   this);
    layout->addWidget(m_dayTable, 3);

    m_historyLabel = new QLabel(this);
    m_historyLabel->setObjectName(QStringLiteral("lblHistory"));
    layout->addWidget(m_historyLabel);
    m_historyTable = namedTable("lvwHistory", QStringLiteral("播放记录"),
                                {QStringLiteral("时间"), QStringLiteral("事件"),
                                 QStringLiteral("任务"), QStringLiteral("说明")},
                                this);
    m_historyLabel->setBuddy(m_historyTable);
    layout->addWidget(m_historyTable, 2);

    auto *bottom = new QHBoxLayout();
    bottom->addStretch(1);
    m_close = namedButton("cmdClose", QStringLiteral("关闭"), this);
    bottom->addWidget(m_close);
    layout->addLayout(bottom);

    setTabOrder(m_date, m_previous);
    setTabOrder(m_previous, m_next);
    setTabOrder(m_next, m_today);
    setTabOrder(m_today, m_dayTable);
    setTabOrder(m_dayTable, m_historyTable);
    setTabOrder(m_historyTable, m_close);
    resize(820, 560);
}

void DayWindow::dateEdited() {
    m_schedule->setDate(m_date->date());
}

void DayWindow::showPlan() {
    const QDate date = m_schedule->date();
    if (m_date->date() != date) {
        const QSignalBlocker quiet(m_date);
        m_date->setDate(date);
    }
    QVector<QStringList> rows;
    int playing = 0;
    for (const DayRow &row : m_schedule->rows()) {
        playing += row.plays ? 1 : 0;
        rows.append({startText(row), endText(row.end), row.title,
                     row.plays ? QStringLiteral("播放") : QStringLiteral("不播放"), row.reason});
    }
    fill(m_dayTable, rows);
    const qsizetype notPlaying = rows.size() - playing;
    QString summary = date.toString(QStringLiteral("yyyy-MM-dd ")) + weekdayName(date.dayOfWeek());
    if (date == m_schedule->today())
        summary += QStringLiteral("（今天）");
    summary += rows.isEmpty()
                   ? QStringLiteral("：没有任务")
                   : QStringLiteral("：%1个任务播放，%2个不播放").arg(playing).arg(notPlaying);
    if (!m_schedule->allFilesKnown())
        summary += QStringLiteral("（正在检查歌曲文件…）");
    m_summary->setText(summary);
}

void DayWindow::showHistory() {
    const bool shown = m_schedule->hasHistory();
    m_historyTable->setVisible(shown);
    if (!shown) {
        // No rows left behind: a screen reader still finds the cells of a
        // hidden table.
        m_historyTable->setRowCount(0);
        m_historyLabel->setText(QStringLiteral("播放记录：这一天还没有到"));
        return;
    }
    QVector<QStringList> rows;
    for (const HistoryLine &line : m_schedule->history())
        rows.append({line.timeOfDay(), line.event, line.title, line.detail});
    fill(m_historyTable, rows);
    if (m_schedule->historyLoading())
        m_historyLabel->setText(QStringLiteral("播放记录(&H)：正在读取…"));
    else if (rows.isEmpty())
        m_historyLabel->setText(QStringLiteral("播放记录(&H)：这一天没有记录"));
    else
        m_historyLabel->setText(QStringLiteral("播放记录(&H)：%1条").arg(rows.size()));
}

} // namespace kolva
