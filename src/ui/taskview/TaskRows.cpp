#include "ui/taskview/TaskRows.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/taskview/TaskRowsAccessible.h"

namespace kolva {

namespace {

constexpr int kLeft = 1200;

int fontSlot(TaskRows::RowKind kind) {
    return kind == TaskRows::TitleRow ? 0 : kind == TaskRows::RegionRow ? 1 : 2;
}

} // namespace

const QColor &TaskRows::textColour() {
    static const QColor c(0x48, 0x48, 0x48);
    return c;
}
const QColor &TaskRows::infoColour() {
    static const QColor c(0x95, 0x95, 0x95);
    return c;
}
const QColor &TaskRows::unplayableColour() {
    static const QColor c(0xC0, 0x00, 0x00);
    return c;
}

TaskRows::TaskRows(const QCursor &hand, const QPixmap &picture, QWidget *parent)
    : QWidget(parent), m_hand(hand), m_picture(picture) {
    installTaskRowsAccessibility();
    setObjectName(QStringLiteral("Picture4"));
    setAccessibleName(QStringLiteral("任务内容"));
    setMouseTracking(true); // the hand over the title and the song rows
    setFocusPolicy(Qt::StrongFocus);
    updateFonts();
}

TaskRows::~TaskRows() {
    dropAccessibleRows();
}

int TaskRows::twipsToPixels(int twips) const {
    return int(std::lround(double(twips) * logicalDpiY() / 1440.0));
}

int TaskRows::pixelsToTwips(int pixels) const {
    return int(std::lround(double(pixels) * 1440.0 / logicalDpiY()));
}

void TaskRows::updateFonts() {
    // The widget's own family (the window's CJK font), in the sizes of the
    // design: bold 14.25 pt title, bold 10.5 pt region titles, 9 pt rows.
    const QFont base = font();
    const qreal sizes[3] = {14.25, 10.5, 9};
    for (int i = 0; i < 3; ++i) {
        m_fonts[i] = base;
        m_fonts[i].setPointSizeF(sizes[i]);
        m_fonts[i].setBold(i < 2);
        m_heights[i] = QFontMetrics(m_fonts[i], this).height() + 2;
    }
    m_tallest = *std::max_element(std::begin(m_heights), std::end(m_heights));
    m_widths.fill(-1);
    update();
}

void TaskRows::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateFonts();
}

QFont TaskRows::rowFont(RowKind kind) const {
    return m_fonts[fontSlot(kind)];
}

void TaskRows::dropAccessibleRows() {
    for (unsigned id : std::as_const(m_accessible))
        if (id)
            QAccessible::deleteAccessibleInterface(id);
    m_accessible.clear();
}

void TaskRows::setRows(QVector<Row> rows) {
    dropAccessibleRows();
    m_rows = std::move(rows);
    m_widths = QVector<int>(m_rows.size(), -1);
    m_accessible = QVector<unsigned>(m_rows.size(), 0);
    m_current = -1;
    update();
    // Assistive technologies read the new children when they next ask.
    QAccessibleEvent reorder(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&reorder);
}

void TaskRows::setUnplayable(int index, bool unplayable) {
    if (index < 0 || index >= m_rows.size() || m_rows[index].unplayable == unplayable)
        return;
    m_rows[index].unplayable = unplayable;
    update(rowRect(index));
    if (m_accessible.value(index)) {
        QAccessibleEvent changed(accessibleRow(index), QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

QRect TaskRows::rowRect(int index) const {
    if (index < 0 || index >= m_rows.size())
        return QRect();
    const Row &row = m_rows[index];
    const int slot = fontSlot(row.kind);
    int &width = m_widths[index];
    if (width < 0)
        width = QFontMetrics(m_fonts[slot], this).horizontalAdvance(row.text) + 4;
    return QRect(twipsToPixels(kLeft), twipsToPixels(row.topTwips), width, m_heights[slot]);
}

QColor TaskRows::rowColour(int index) const {
    const Row &row = m_rows.at(index);
    switch (row.kind) {
    case TaskInfoRow:
    case RegionInfoRow:
    case SongInfoRow:
        return infoColour();
    case SongRow:
        return row.unplayable ? unplayableColour() : textColour();
    default:
        return textColour();
    }
}

QString TaskRows::rowDescription(int index) const {
    const Row &row = m_rows.at(index);
    if (row.kind == TitleRow)
        return QStringLiteral("单击播放整个任务");
    if (row.kind == SongRow) // colour alone tells nothing to a screen reader
        return row.unplayable ? QStringLiteral("无法播放的文件")
                              : QStringLiteral("单击播放这首歌曲");
    return QString();
}

int TaskRows::firstRowReaching(int y) const {
    // Tops only grow along the rows; a row reaches at most m_tallest down.
    const int topTwips = pixelsToTwips(y - m_tallest) - 1;
    const auto it = std::lower_bound(m_rows.cbegin(), m_rows.cend(), topTwips,
                                     [](const Row &r, int t) { return r.topTwips < t; });
    return int(it - m_rows.cbegin());
}

int TaskRows::rowAt(const QPoint &pos) const {
    int hit = -1;
    for (int i = firstRowReaching(pos.y()); i < m_rows.size(); ++i) {
        if (twipsToPixels(m_rows[i].topTwips) > pos.y())
            break;
        if (rowRect(i).contains(pos))
            hit = i;
    }
    return hit;
}

void TaskRows::paintEvent(QPaintEvent *event) {
    QPainter p(this);
    const QRect area = event->rect();
    // Image3 and Line1 of the header.
    const QRect pictureBox(twipsToPixels(600), twipsToPixels(600), twipsToPixels(405),
                           twipsToPixels(465));
    if (!m_picture.isNull() && area.intersects(pictureBox))
        p.drawPixmap(pictureBox, m_picture);
    p.fillRect(
        QRect(twipsToPixels(600), twipsToPixels(1320), twipsToPixels(7080) - twipsToPixels(600), 1),
        QColor(0xE2, 0xE2, 0xE2));
    int slot = -1;
    for (int i = firstRowReaching(area.top()); i < m_rows.size(); ++i) {
        const QRect box = rowRect(i);
        if (box.top() > area.bottom())
            break;
        if (!box.intersects(area))
            continue;
        if (fontSlot(m_rows[i].kind) != slot) {
            slot = fontSlot(m_rows[i].kind);
            p.setFont(m_fonts[slot]);
        }
        p.setPen(rowColour(i));
        p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_rows[i].text);
        if (i == m_current && hasFocus()) {
            // The row with the keyboard focus: a frame in the highlight
            // colour, plain on the white page in every skin.
            p.save();
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(box).adjusted(-1.5, -0.5, 1.5, 0.5), 2, 2);
            p.restore();
        }
    }
}

void TaskRows::mouseMoveEvent(QMouseEvent *event) {
    const int row = rowAt(event->position().toPoint());
    if (row >= 0 && isClickable(m_rows[row].kind))
        setCursor(m_hand);
    else
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}

void TaskRows::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) {
        const int row = rowAt(event->position().toPoint());
        if (row >= 0 && isClickable(m_rows[row].kind)) {
            setCurrent(row, false); // the focus stays where the user clicked
            activate(row);
        }
    }
    QWidget::mouseReleaseEvent(event);
}

void TaskRows::activate(int index) {
    if (index >= 0 && index < m_rows.size() && isClickable(m_rows[index].kind))
        emit activated(index);
}

int TaskRows::nextClickable(int from, int direction) const {
    for (int i = from + direction; i >= 0 && i < m_rows.size(); i += direction)
        if (isClickable(m_rows[i].kind))
            return i;
    return -1;
}

void TaskRows::setCurrent(int index, bool scrollIn) {
    if (index < 0)
        return;
    if (m_current >= 0)
        update(rowRect(m_current).adjusted(-2, -2, 2, 2));
    m_current = index;
    update(rowRect(index).adjusted(-2, -2, 2, 2));
    if (scrollIn)
        emit currentRowChanged(index);
    if (hasFocus() && QAccessible::isActive()) {
        QAccessibleEvent focus(accessibleRow(index), QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void TaskRows::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        activate(m_current);
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (const int next = nextClickable(m_current, event->key() == Qt::Key_Up ? -1 : 1);
            next >= 0)
            setCurrent(next, true);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

bool TaskRows::focusNextPrevChild(bool next) {
    // Tab walks the title and the song rows first, then leaves the panel.
    if (hasFocus()) {
        if (const int row = nextClickable(m_current, next ? 1 : -1); row >= 0) {
            setCurrent(row, true);
            return true;
        }
    }
    return QWidget::focusNextPrevChild(next);
}

void TaskRows::focusInEvent(QFocusEvent *event) {
    QWidget::focusInEvent(event);
    // From the keyboard the first (or last) row comes into view; a mouse
    // click keeps the view where it is.
    if (event->reason() == Qt::BacktabFocusReason)
        setCurrent(nextClickable(int(m_rows.size()), -1), true);
    else if (event->reason() == Qt::TabFocusReason)
        setCurrent(nextClickable(-1, 1), true);
    else
        setCurrent(m_current >= 0 ? m_current : nextClickable(-1, 1), false);
}

void TaskRows::focusOutEvent(QFocusEvent *event) {
    QWidget::focusOutEvent(event);
    if (m_current >= 0)
        update(rowRect(m_current).adjusted(-2, -2, 2, 2));
}

QAccessibleInterface *TaskRows::accessibleRow(int index) const {
    if (index < 0 || index >= m_rows.size())
        return nullptr;
    unsigned &id = m_accessible[index];
    if (!id)
        id = QAccessible::registerAccessibleInterface(
            newAccessibleRow(const_cast<TaskRows *>(this), index));
    return QAccessible::accessibleInterface(id);
}

} // namespace kolva
