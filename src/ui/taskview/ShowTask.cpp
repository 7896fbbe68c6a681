#include "ui/taskview/ShowTask.h"

#include <QAccessible>
#include <QCursor>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QtEndian>
#include <cmath>

#include "model/PlayDays.h"
#include "model/TaskExchange.h"
#include "playback/MediaLengths.h"

namespace kolva {

namespace {

constexpr int kRegionTop = 1680; // the first region row; also the empty content's height
constexpr int kLeft = 1200;
constexpr char kTwipsTop[] = "twipsTop";

int roundHalfEven(double v) {
    return int(std::nearbyint(v)); // default rounding mode: halves to even
}

// The hand pointer from a .cur file (hot spot from its header) or any image
// Qt reads; nullptr when the file gives no picture.
QCursor *loadCursor(const QString &file) {
    if (file.isEmpty())
        return nullptr;
    const QPixmap pixmap(file);
    if (pixmap.isNull())
        return nullptr;
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
    return new QCursor(pixmap, qBound(0, hotX, pixmap.width() - 1),
                       qBound(0, hotY, pixmap.height() - 1));
}

} // namespace

// A single-line row that sizes itself to its text. Clickable rows (the title
// and the songs) take the keyboard focus and answer Enter and Space too.
class RowLabel : public QLabel {
public:
    RowLabel(QWidget *parent, std::function<void()> clicked)
        : QLabel(parent), m_clicked(std::move(clicked)) {
        if (m_clicked)
            setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void mouseReleaseEvent(QMouseEvent *e) override {
        if (m_clicked && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
            m_clicked();
        QLabel::mouseReleaseEvent(e);
    }
    void keyPressEvent(QKeyEvent *e) override {
        if (m_clicked && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter ||
                          e->key() == Qt::Key_Space)) {
            m_clicked();
            return;
        }
        QLabel::keyPressEvent(e);
    }
    void focusInEvent(QFocusEvent *e) override {
        QLabel::focusInEvent(e);
        emitFocus();
    }

private:
    void emitFocus();
    std::function<void()> m_clicked;
};

void RowLabel::emitFocus() {
    // Keyboard users see the row they are on: the view scrolls it in.
    for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
        if (auto *view = qobject_cast<ShowTask *>(w)) {
            const int top = ShowTask::twipsTop(this);
            const int viewTw = view->pixelsToTwips(view->hWnd()->parentWidget()->height());
            const int value = view->vsc()->value();
            if (top < value || top + view->pixelsToTwips(height()) > value + viewTw)
                view->setScroll(qMax(0, top - 360));
            return;
        }
    }
}

const QColor &ShowTask::textColour() {
    static const QColor c(0x48, 0x48, 0x48);
    return c;
}
const QColor &ShowTask::infoColour() {
    static const QColor c(0x95, 0x95, 0x95);
    return c;
}
const QColor &ShowTask::unplayableColour() {
    static const QColor c(0xC0, 0x00, 0x00);
    return c;
}

ShowTask::ShowTask(MediaLengths &lengths, const QString &handCursorFile, const QString &pictureFile,
                   QWidget *parent)
    : QWidget(parent), m_lengths(lengths), m_task(newTask()), m_hand(loadCursor(handCursorFile)) {
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
    m_bg = new QWidget(this);
    m_bg->setObjectName(QStringLiteral("bg"));
    m_picture4 = new QWidget(m_bg);
    m_picture4->setObjectName(QStringLiteral("Picture4"));

    const QFont base = font();
    m_titleFont = base;
    m_titleFont.setPointSizeF(14.25);
    m_titleFont.setBold(true);
    m_regionFont = base;
    m_regionFont.setPointSizeF(10.5);
    m_regionFont.setBold(true);
    m_rowFont = base;
    m_rowFont.setPointSizeF(9);

    m_image3 = new QLabel(m_picture4);
    m_image3->setObjectName(QStringLiteral("Image3"));
    const QPixmap picture(pictureFile);
    if (!picture.isNull())
        m_image3->setPixmap(picture);
    m_image3->setScaledContents(true);
    m_image3->setProperty(kTwipsTop, 600);
    m_image3->setGeometry(twipsToPixels(600), twipsToPixels(600), twipsToPixels(405),
                          twipsToPixels(465));
    m_image3->setVisible(!picture.isNull());

    m_lblTask = new RowLabel(m_picture4, [this] { emit PlayTask(m_task.TaskID); });
    m_lblTask->setObjectName(QStringLiteral("lblTask"));
    m_lblTask->setFont(m_titleFont);
    m_lblTask->setCursor(m_hand ? *m_hand : QCursor(Qt::PointingHandCursor));
    m_lblTask->setAccessibleDescription(QStringLiteral("单击播放整个任务"));
    m_lblTask->setProperty(kTwipsTop, 600);
    m_lblTaskInfo = new QLabel(m_picture4);
    m_lblTaskInfo->setObjectName(QStringLiteral("lblTaskInfo"));
    m_lblTaskInfo->setFont(m_rowFont);
    m_lblTaskInfo->setProperty(kTwipsTop, 915);
    for (auto [label, colour] :
         {std::pair<QLabel *, QColor>{m_lblTask, textColour()}, {m_lblTaskInfo, infoColour()}}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, colour);
        label->setPalette(p);
    }
    // The skins style the window's own lblTask (the playing task's title);
    // this one keeps its look whatever skin is on.
    m_lblTask->setStyleSheet(QStringLiteral("color: #484848; font-weight: bold; font-size: 14.25pt;"
                                            " background: transparent;"));
    m_lblTask->setText(QStringLiteral("KOLVA定时播放器"));
    m_lblTaskInfo->setText(QStringLiteral("欢迎使用KOLVA定时播放器"));
    m_line1 = new QWidget(m_picture4);
    m_line1->setObjectName(QStringLiteral("Line1"));
    m_line1->setAutoFillBackground(true);
    QPalette linePal = m_line1->palette();
    linePal.setColor(QPalette::Window, QColor(0xE2, 0xE2, 0xE2));
    m_line1->setPalette(linePal);

    connect(&m_lengths, &MediaLengths::lengthKnown, this, &ShowTask::lengthKnown);
    drawTask();
}

ShowTask::~ShowTask() {
    delete m_hand;
}

QLabel *ShowTask::lblTask() const {
    return m_lblTask;
}
QVector<QLabel *> ShowTask::regionRows() const {
    return m_regionRows;
}
QVector<QLabel *> ShowTask::songRows() const {
    return m_songRows;
}

int ShowTask::twipsTop(const QWidget *row) {
    return row ? row->property(kTwipsTop).toInt() : 0;
}

int ShowTask::twipsToPixels(int twips) const {
    return int(std::lround(double(twips) * logicalDpiY() / 1440.0));
}

int ShowTask::pixelsToTwips(int pixels) const {
    return int(std::lround(double(pixels) * 1440.0 / logicalDpiY()));
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
    Task shown;
    copyTask(task, shown);
    m_task = shown;
    drawTask();
}

void ShowTask::clearRows() {
    for (QVector<QLabel *> *rows :
         {&m_regionRows, &m_regionInfoRows, &m_songRows, &m_songInfoRows}) {
        qDeleteAll(*rows);
        rows->clear();
    }
    m_songFiles.clear();
    m_rowsByFile.clear();
}

QLabel *ShowTask::addRow(QVector<QLabel *> &rows, const QString &text, const QFont &font,
                         const QColor &colour, int topTwips, bool clickable) {
    std::function<void()> clicked;
    if (clickable) {
        const int index = int(m_songRows.size());
        clicked = [this, index] {
            if (index < m_songFiles.size())
                emit PlaySong(m_songFiles[index]);
        };
    }
    auto *row = new RowLabel(m_picture4, clicked);
    row->setFont(font);
    QPalette p = m_picture4->palette();
    p.setColor(QPalette::WindowText, colour);
    row->setPalette(p);
    row->setTextFormat(Qt::PlainText);
    row->setText(text);
    row->setProperty(kTwipsTop, topTwips);
    // Sized to the text in the font it really gets (a skin may set one).
    row->ensurePolished();
    const QFontMetrics metrics = row->fontMetrics();
    row->setGeometry(twipsToPixels(kLeft), twipsToPixels(topTwips),
                     metrics.horizontalAdvance(text) + 4, metrics.height() + 2);
    if (clickable) {
        row->setCursor(m_hand ? *m_hand : QCursor(Qt::PointingHandCursor));
        row->setAccessibleDescription(QStringLiteral("单击播放这首歌曲"));
    }
    row->show();
    rows.append(row);
    return row;
}

void ShowTask::drawTask() {
    // Rows are built on a hidden panel and shown together: one show and one
    // layout pass instead of one per row (a 500-song task has 1000 rows).
    m_picture4->hide();
    clearRows();
    const Task &t = m_task;
    m_lblTask->setTextFormat(Qt::PlainText);
    m_lblTask->setText(t.Enabled ? t.Title : QStringLiteral("[×已禁用]") + t.Title);
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
    info += QStringLiteral("  音量:") + QString::number(t.Volume);
    if (t.PowerOff)
        info += QStringLiteral("  播放结束后自动关机");
    m_lblTaskInfo->setTextFormat(Qt::PlainText);
    m_lblTaskInfo->setText(info);
    m_lblTask->adjustSize();
    m_lblTask->move(twipsToPixels(kLeft), twipsToPixels(600));
    m_lblTaskInfo->adjustSize();
    m_lblTaskInfo->move(twipsToPixels(kLeft), twipsToPixels(915));
    m_line1->setGeometry(twipsToPixels(600), twipsToPixels(1320),
                         twipsToPixels(7080) - twipsToPixels(600), 1);

    int y = kRegionTop;
    for (int k = 0; k < t.Regions.size(); ++k) {
        const Region &r = t.Regions[k];
        addRow(m_regionRows, QString::number(k + 1) + QStringLiteral(". ") + r.Title, m_regionFont,
               textColour(), y, false);
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
        addRow(m_regionInfoRows, settings, m_rowFont, infoColour(), y + 315, false);
        if (r.Songs.isEmpty()) {
            y += 315 + 360 + 180;
            continue;
        }
        for (int l = 0; l < r.Songs.size(); ++l) {
            const Song &s = r.Songs[l];
            const int row = int(m_songRows.size());
            m_songFiles.append(s.SongFile);
            m_rowsByFile.insert(s.SongFile, row);
            addRow(m_songRows, QString::number(l + 1) + QLatin1Char('.') + s.SongFile, m_rowFont,
                   textColour(), y + 720 + 510 * l, true);
            QString clip;
            if (s.Repeat != 0)
                clip += QStringLiteral("循环");
            if (!s.StartTime.isEmpty())
                clip += QStringLiteral("  截取开始时刻:") + s.StartTime;
            if (!s.Duration.isEmpty())
                clip += QStringLiteral("  截取时长:") + s.Duration;
            while (clip.startsWith(QLatin1Char(' ')))
                clip.remove(0, 1);
            addRow(m_songInfoRows, clip, m_rowFont, infoColour(), y + 720 + 510 * l + 240, false);
            // Known lengths colour the row now; the others when they arrive.
            if (const std::optional<double> seconds = m_lengths.lookup(s.SongFile))
                markPlayable(row, *seconds);
        }
        y += 1500 + 510 * int(r.Songs.size() - 1);
    }
    m_contentTwips = y;
    updateViewport();
    m_picture4->show();
}

void ShowTask::markPlayable(int songRow, double seconds) {
    QLabel *row = m_songRows.value(songRow);
    if (!row)
        return;
    const bool playable = MediaLengths::isPlayable(seconds);
    if (playable && row->property("unplayable").isNull())
        return; // drawn so already
    row->setProperty("unplayable", !playable);
    QPalette p = row->palette();
    p.setColor(QPalette::WindowText, playable ? textColour() : unplayableColour());
    row->setPalette(p);
    // Colour alone tells nothing to a screen reader.
    row->setAccessibleDescription(playable ? QStringLiteral("单击播放这首歌曲")
                                           : QStringLiteral("无法播放的文件"));
}

void ShowTask::lengthKnown(const QString &path, double seconds) {
    const auto rows = m_rowsByFile.values(path);
    for (int row : rows)
        markPlayable(row, seconds);
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
    m_bg->setGeometry(margin, margin, qMax(0, w - margin - vscWidth - margin),
                      qMax(0, h - 2 * margin));
    const int bgTwips = pixelsToTwips(m_bg->height());
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
    m_picture4->setGeometry(0, -twipsToPixels(value), m_bg->width(), twipsToPixels(m_contentTwips));
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
