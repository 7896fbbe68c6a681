#pragma once
// Picture4 of the detail view: the content panel that paints the rows of one
// Task from a row model. Only the rows inside the exposed area are painted,
// and a row's width is measured only when it is painted, hit or asked for,
// so a task of 500 songs (1000 rows) is shown at the cost of the twenty or so
// rows on screen. The panel is as tall as all content; its parent (the
// viewport) clips it and the view scrolls it by moving it.
//
// Each row is an accessible item of its own (name = caption), so screen
// readers and UI automation find the rows as they found labels; the title
// and song rows are links with a press action. Keyboard: Tab, Shift+Tab and
// the arrow keys move between the title and the song rows, Enter or Space
// plays the one with the focus.
//
// Thread: UI thread only.

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QVector>
#include <QWidget>
#include <memory>

#include "playback/MediaLengths.h"

class QAccessibleInterface;

namespace kolva {

class TaskRows : public QWidget {
    Q_OBJECT
public:
    enum RowKind { TitleRow, TaskInfoRow, RegionRow, RegionInfoRow, SongRow, SongInfoRow };
    struct Row {
        Row() = default;
        Row(RowKind k, QString caption, int top, QString file = QString())
            : kind(k), text(std::move(caption)), topTwips(top), songFile(std::move(file)) {}
        RowKind kind = TitleRow;
        QString text;
        int topTwips = 0;
        QString songFile;        // song rows: what a click plays
        bool unplayable = false; // song rows: drawn red
    };

    // hand: the pointer over the title and the song rows.
    TaskRows(const QCursor &hand, const QPixmap &picture, QWidget *parent = nullptr);
    ~TaskRows() override;

    // Replaces all rows (in order of their tops). Width and height of the
    // panel are set by the view.
    void setRows(QVector<Row> rows);
    const QVector<Row> &rows() const { return m_rows; }
    // Marks a song row red (or back); repaints only that row.
    void setUnplayable(int index, bool unplayable);

    // A row's box in pixels within this panel (an empty box for a bad index).
    QRect rowRect(int index) const;
    QColor rowColour(int index) const;
    QFont rowFont(RowKind kind) const;
    // The row under a point of this panel, -1 when none; of rows that
    // overlap, the later one (as later labels lay over earlier ones).
    int rowAt(const QPoint &pos) const;
    static bool isClickable(RowKind kind) { return kind == TitleRow || kind == SongRow; }
    // The row with the keyboard focus (title or song), -1 when none.
    int currentRow() const { return m_current; }

    int twipsToPixels(int twips) const;
    int pixelsToTwips(int pixels) const;

    static const QColor &textColour();
    static const QColor &infoColour();
    static const QColor &unplayableColour();

    // For the accessible items: one interface per row, made when asked.
    QAccessibleInterface *accessibleRow(int index) const;
    QString rowDescription(int index) const;
    void activate(int index);

signals:
    // A click, Enter/Space or an assistive technology's press on a title or
    // song row.
    void activated(int index);
    // The keyboard focus moved to this row (the view scrolls it in).
    void currentRowChanged(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent *event) override;

private:
    void dropAccessibleRows();
    void updateFonts();
    int nextClickable(int from, int direction) const;
    void setCurrent(int index, bool scrollIn);
    // First row whose box may reach down to pixel y.
    int firstRowReaching(int y) const;

    QVector<Row> m_rows;
    mutable QVector<int> m_widths;          // pixels, -1 until measured
    mutable QVector<unsigned> m_accessible; // QAccessible ids, 0 until asked
    QFont m_fonts[3];                       // title, region titles, the others
    int m_heights[3] = {};
    int m_tallest = 0;
    QCursor m_hand;
    QPixmap m_picture;
    int m_current = -1;
};

} // namespace kolva
