#include "ui/taskview/ShowTask.h"

#include <QCursor>
#include <QFile>
#include <QPixmap>
#include <QScrollBar>
#include <QtEndian>
#include <cmath>
#include <optional>

#include "Version.h"
#include "model/PlayDays.h"
#include "model/TaskExchange.h"
#include "playback/MediaLengths.h"

namespace kolva {

namespace {

constexpr int kRegionTop = 1680; // the first region row; also the empty content's height

int roundHalfEven(double v) {
    return int(std::nearbyint(v)); // default rounding mode: halves to even
}

// The hand pointer from a .cur file (hot spot from its header) or any image
// Qt reads; the standard pointing hand when the file gives no picture.
QCursor loadCursor(const QString &file) {
    const QPixmap pixmap = file.isEmpty() ? QPixmap() : QPixmap(file);
    if (pixmap.isNull())
        return QCursor(Qt::PointingHandCursor);
    int hotX = 0, hotY = 0;
    QFile f(file);
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray head = f.read(14);
        // ICONDIR (type 2 = cursor) and the first entry's hot spot.
        if (head.size() == 14 && qFromLittleEndian<quint16>(head.constData() + 2) == 2) {
            hotX = qFromLittleEndian<quint16>(head.constData() + 10);
            hotY = qFromLittleEndian<quint16>(head.constData() + 12);
        }
    }
    return QCursor(pixmap, qBound(0, hotX, pixmap.width() - 1),
                   qBound(0, hotY, pixmap.height() - 1));
}

} // namespace

ShowTask::ShowTask(MediaLengths &lengths, const QString &handCursorFile, const QString &pictureFile,
                   QWidget *parent)
    : QWidget(parent), m_lengths(lengths), m_task(newTask()) {
    setObjectName(QStringLiteral("showTask1"));
    setAccessibleName(QStringLiteral("任务详情"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    m_vsc = new QScrollBar(Qt::Vertical, this);
    m_vsc->setObjectName(QStringLiteral("vsc"));
    m_vsc->setAccessibleName(QStringLiteral("任务详情滚动条"));
    m_vsc->setTracking(false); // the content follows a released thumb
    m_vsc->setRange(0, 0);
    m_vsc->hide();
    connect(m_vsc, &QScrollBar::valueChanged, this, &ShowTask::placeContent);
    m_viewport = new QWidget(this);
    m_viewport->setObjectName(QStringLiteral("bg"));
    m_rows = new TaskRows(loadCursor(handCursorFile),
                          pictureFile.isEmpty() ? QPixmap() : QPixmap(pictureFile), m_viewport);
    connect(m_rows, &TaskRows::activated, this, &ShowTask::rowActivated);
    connect(m_rows, &TaskRows::currentRowChanged, this, &ShowTask::scrollRowIn);
    connect(&m_lengths, &MediaLengths::lengthKnown, this, &ShowTask::lengthKnown);

    // The design captions until the window shows a Task.
    m_rows->setRows(
        {{TaskRows::TitleRow, QStringLiteral("KOLVA定时播放器"), 600},
         {TaskRows::TaskInfoRow,
          QStringLiteral("欢迎使用KOLVA定时播放器 版本v") + QStringLiteral(KOLVA_VERSION_TEXT),
          915}});
    updateViewport();
}

ShowTask::~ShowTask() = default;

int ShowTask::rowIndex(RowKind kind, int n) const {
    const QVector<Row> &all = rows();
    for (int i = 0; i < all.size(); ++i)
        if (all[i].kind == kind && n-- == 0)
            return i;
    return -1;
}

QStringList ShowTask::captions(RowKind kind) const {
    QStringList out;
    for (const Row &row : rows())
        if (row.kind == kind)
            out << row.text;
    return out;
}

QString ShowTask::importTask(const QString &taskText, const QStringList &regionTexts) {
    QString error;
    const std::optional<Task> task = readTaskExchange(taskText, regionTexts, &error);
    if (!task)
        return error; // the previous Task stays shown, whole
    showTask(*task);
    return QString();
}

void ShowTask::showTask(const Task &task) {
    m_task = task;
    drawTask();
}

void ShowTask::drawTask() {
    // The row model only: the panel paints the rows that are on screen.
    const Task &t = m_task;
    QVector<Row> rows;
    rows.reserve(2 + 2 * t.Regions.size());
    rows.append(
        {TaskRows::TitleRow, t.Enabled ? t.Title : QStringLiteral("[×已禁用]") + t.Title, 600});
    QString info = QStringLiteral("开始时刻:") + t.StartTime;
    if (!t.Duration.isEmpty())
        info += QStringLiteral("  时长:") + t.Duration;
    else if (!t.StopTime.isEmpty())
        info += QStringLiteral("  停止时刻:") + t.StopTime;
    else
        info += QLatin1Char(' ');
    // Play days: nothing for every day, else "  周一至周五" and the like.
    const QString days = daysCaption(t.Days);
    if (!days.isEmpty())
        info += QStringLiteral("  ") + days;
    if (t.Holidays)
        info += QStringLiteral("  节假日不播放");
    // A missed start: only a policy other than the default minute is told.
    if (t.CatchUp == kCatchUpWindow)
        info += QStringLiteral("  时段内补播");
    else if (t.CatchUp == 0)
        info += QStringLiteral("  错过不补播");
    else if (t.CatchUp != kDefaultCatchUp)
        info += QStringLiteral("  错过%1分钟内补播").arg(t.CatchUp);
    info += QStringLiteral("  音量:") + QString::number(t.Volume);
    if (t.PowerOff)
        info += QStringLiteral("  播放结束后自动关机");
    rows.append({TaskRows::TaskInfoRow, info, 915});

    m_rowsByFile.clear();
    QVector<std::pair<int, double>> known; // rows whose answer is there already
    int y = kRegionTop;
    for (int k = 0; k < t.Regions.size(); ++k) {
        const Region &r = t.Regions[k];
        rows.append(
            {TaskRows::RegionRow, QString::number(k + 1) + QStringLiteral(". ") + r.Title, y});
        QString settings;
        if (r.Sort != 0)
            settings += QStringLiteral("随机");
        if (r.Repeat != 0)
            settings += QStringLiteral("  循环");
        if (!r.Duration.isEmpty())
            settings += QStringLiteral("  时长:") + r.Duration;
        if (r.Volume != -1)
            settings += QStringLiteral("  音量:") + QString::number(r.Volume);
        while (settings.startsWith(QLatin1Char(' ')))
            settings.remove(0, 1);
        if (settings.isEmpty())
            settings = QStringLiteral("默认设置:不随机 不循环 默认音量 不设时长");
        rows.append({TaskRows::RegionInfoRow, settings, y + 315});
        if (r.Songs.isEmpty()) {
            y += 315 + 360 + 180;
            continue;
        }
        for (int l = 0; l < r.Songs.size(); ++l) {
            const Song &s = r.Songs[l];
            const int top = y + 720 + 510 * l;
            const int row = int(rows.size());
            rows.append({TaskRows::SongRow, QString::number(l + 1) + QLatin1Char('.') + s.SongFile,
                         top, s.SongFile});
            m_rowsByFile.insert(s.SongFile, row);
            // Known lengths colour the row now; the others when they arrive.
            if (const std::optional<double> seconds = m_lengths.lookup(s.SongFile))
                rows.last().unplayable = !MediaLengths::isPlayable(*seconds);
            QString clip;
            if (s.Repeat != 0)
                clip += QStringLiteral("循环");
            if (!s.StartTime.isEmpty())
                clip += QStringLiteral("  截取开始时刻:") + s.StartTime;
            if (!s.Duration.isEmpty())
                clip += QStringLiteral("  截取时长:") + s.Duration;
            while (clip.startsWith(QLatin1Char(' ')))
                clip.remove(0, 1);
            rows.append({TaskRows::SongInfoRow, clip, top + 240});
        }
        y += 1500 + 510 * int(r.Songs.size() - 1);
    }
    m_rows->setRows(std::move(rows));
    m_contentTwips = y;
    updateViewport();
}

void ShowTask::rowActivated(int index) {
    const Row &row = rows().at(index);
    if (row.kind == TaskRows::TitleRow)
        emit PlayTask(m_task.TaskID);
    else if (row.kind == TaskRows::SongRow)
        emit PlaySong(row.songFile);
}

void ShowTask::scrollRowIn(int index) {
    // Keyboard users see the row they are on.
    const int top = rows().at(index).topTwips;
    const int bottom = top + pixelsToTwips(m_rows->rowRect(index).height());
    const int value = m_vsc->isHidden() ? 0 : m_vsc->value();
    if (top < value || bottom > value + pixelsToTwips(m_viewport->height()))
        setScroll(qMax(0, top - 360));
}

void ShowTask::lengthKnown(const QString &path, double seconds) {
    const auto found = m_rowsByFile.values(path);
    for (int row : found)
        m_rows->setUnplayable(row, !MediaLengths::isPlayable(seconds));
}

void ShowTask::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    updateViewport();
}

void ShowTask::updateViewport() {
    const int w = width();
    const int h = height();
    const int vscWidth = m_vsc->sizeHint().width();
    m_vsc->setGeometry(w - vscWidth, 0, vscWidth, h);
    const int margin = twipsToPixels(120);
    m_viewport->setGeometry(margin, margin, qMax(0, w - margin - vscWidth - margin),
                            qMax(0, h - 2 * margin));
    const int bgTwips = pixelsToTwips(m_viewport->height());
    const QSignalBlocker block(m_vsc);
    if (m_contentTwips > bgTwips) {
        const int max = m_contentTwips - bgTwips;
        m_vsc->setRange(0, max); // keeps (clamps) the scrolled position on a resize
        m_vsc->setSingleStep(roundHalfEven(max / 10.0));
        m_vsc->setPageStep(roundHalfEven(max / 3.0));
        m_vsc->show();
    } else {
        // All fits: the content stands at the top and does not move.
        m_vsc->setValue(0);
        m_vsc->hide();
    }
    placeContent();
}

void ShowTask::placeContent() {
    const int value = m_vsc->isHidden() ? 0 : m_vsc->value();
    m_rows->setGeometry(0, -twipsToPixels(value), m_viewport->width(),
                        twipsToPixels(m_contentTwips));
}

void ShowTask::setScroll(int value) {
    m_vsc->setValue(value); // clamped to the range
    placeContent();
}

void ShowTask::vscScroll(bool up) {
    if (m_vsc->isHidden())
        return;
    const int step = m_vsc->pageStep();
    const int v = m_vsc->value();
    setScroll(up ? qMax(0, v - step) : qMin(m_vsc->maximum(), v + step));
}

} // namespace kolva
