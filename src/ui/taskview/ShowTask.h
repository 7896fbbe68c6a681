#pragma once
// showTask1: the main window's read-only view of one Task. A header (title,
// one settings line, a rule), then per Region a numbered title row and a
// settings row, and per Song a numbered row and a clip row. Songs whose file
// cannot be played are red; the answer comes from the media-length cache
// without waiting, so a red mark may follow a moment after the rows.
// A click on the title raises PlayTask, a click on a song row PlaySong;
// both also answer Enter/Space when the row has the keyboard focus. The rows
// are painted by one content panel (TaskRows) from a row model, and each is
// an accessible item named by its caption.
//
// Layout is in twips (1/1440 inch), converted with the screen's logical
// DPI, so the view looks the same at any DPI. Scroll values are in twips
// too, with an int range (content taller than 32767 twips still scrolls to
// its end).
//
// Thread: UI thread only.

#include <QHash>
#include <QWidget>

#include "model/Task.h"
#include "ui/taskview/TaskRows.h"

class QScrollBar;

namespace kolva {

class MediaLengths;

class ShowTask : public QWidget {
    Q_OBJECT
public:
    using RowKind = TaskRows::RowKind;
    using Row = TaskRows::Row;

    // handCursorFile: the pointer over the title and the song rows (a .cur
    // or any image Qt reads); the standard pointing hand when it cannot be
    // read. pictureFile: the small picture beside the title (optional).
    ShowTask(MediaLengths &lengths, const QString &handCursorFile = QString(),
             const QString &pictureFile = QString(), QWidget *parent = nullptr);
    ~ShowTask() override;

    // Replaces the shown Task with the one in the exchange texts and redraws.
    // On malformed texts nothing changes and the reason is returned (else
    // an empty text).
    QString importTask(const QString &taskText, const QStringList &regionTexts);
    // Shows this Task (the record itself: titles and paths holding the
    // exchange separators stay whole).
    void showTask(const Task &task);
    const Task &shownTask() const { return m_task; }
    void drawTask();

    // Scroll position in twips; 0 shows the top.
    void setScroll(int value);
    // One page step up or down; nothing while all content fits.
    void vscScroll(bool up);

    // The content panel painting the rows (Picture4, the window the wheel
    // hook watches).
    TaskRows *content() const { return m_rows; }
    QScrollBar *vsc() const { return m_vsc; }
    // The row model: all rows in order of their tops (twips in the content).
    const QVector<Row> &rows() const { return m_rows->rows(); }
    // Index of the n-th row of a kind in rows(), -1 when there is none.
    int rowIndex(RowKind kind, int n = 0) const;
    // Captions of all rows of a kind, in order.
    QStringList captions(RowKind kind) const;
    int contentHeightTwips() const { return m_contentTwips; }

    int twipsToPixels(int twips) const { return m_rows->twipsToPixels(twips); }
    int pixelsToTwips(int pixels) const { return m_rows->pixelsToTwips(pixels); }

    static const QColor &textColour() { return TaskRows::textColour(); }
    static const QColor &infoColour() { return TaskRows::infoColour(); }
    static const QColor &unplayableColour() { return TaskRows::unplayableColour(); }

signals:
    void PlayTask(int taskId);
    void PlaySong(const QString &songFile);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateViewport();
    void placeContent();
    void rowActivated(int index);
    void scrollRowIn(int index);
    void lengthKnown(const QString &path, double seconds);

    MediaLengths &m_lengths;
    Task m_task;
    QWidget *m_viewport = nullptr; // bg: clips the content panel
    TaskRows *m_rows = nullptr;    // Picture4
    QScrollBar *m_vsc = nullptr;
    QMultiHash<QString, int> m_rowsByFile; // song file -> its rows
    int m_contentTwips = 1680;
};

} // namespace kolva
