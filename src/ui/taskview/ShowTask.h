#pragma once
// showTask1: the main window's read-only view of one Task. A header (title,
// one settings line, a rule), then per Region a numbered title row and a
// settings row, and per Song a numbered row and a clip row. Songs whose file
// cannot be played are red; the answer comes from the media-length cache
// without waiting, so a red mark may follow a moment after the rows.
// A click on the title raises PlayTask, a click on a song row PlaySong;
// both also answer Enter/Space when the row has the keyboard focus.
//
// Layout is in twips (1/1440 inch), converted with the screen's logical
// DPI, so the view looks the same at any DPI. Scroll values are in twips
// too, with an int range (content taller than 32767 twips still scrolls to
// its end).
//
// Thread: UI thread only.

#include <QHash>
#include <QPointer>
#include <QVector>
#include <QWidget>

#include "model/Task.h"

class QLabel;
class QScrollBar;

namespace kolva {

class MediaLengths;
class RowLabel;

class ShowTask : public QWidget {
    Q_OBJECT
public:
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

    // The content panel (what the wheel hook watches).
    QWidget *hWnd() const { return m_picture4; }
    QScrollBar *vsc() const { return m_vsc; }
    QLabel *lblTask() const;
    QLabel *lblTaskInfo() const { return m_lblTaskInfo; }
    // Rows in order, for tests and the accessibility bus.
    QVector<QLabel *> regionRows() const;
    QVector<QLabel *> regionInfoRows() const { return m_regionInfoRows; }
    QVector<QLabel *> songRows() const;
    QVector<QLabel *> songInfoRows() const { return m_songInfoRows; }
    int contentHeightTwips() const { return m_contentTwips; }
    // A row's top in twips within the content.
    static int twipsTop(const QWidget *row);

    int twipsToPixels(int twips) const;
    int pixelsToTwips(int pixels) const;

    static const QColor &textColour();
    static const QColor &infoColour();
    static const QColor &unplayableColour();

signals:
    void PlayTask(int taskId);
    void PlaySong(const QString &songFile);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void clearRows();
    QLabel *addRow(QVector<QLabel *> &rows, const QString &text, const QFont &font,
                   const QColor &colour, int topTwips, bool clickable);
    void updateViewport();
    void placeContent();
    void markPlayable(int songRow, double seconds);
    void lengthKnown(const QString &path, double seconds);

    MediaLengths &m_lengths;
    Task m_task;
    QWidget *m_bg = nullptr;
    QWidget *m_picture4 = nullptr;
    QScrollBar *m_vsc = nullptr;
    RowLabel *m_lblTask = nullptr;
    QLabel *m_lblTaskInfo = nullptr;
    QLabel *m_image3 = nullptr;
    QWidget *m_line1 = nullptr;
    QVector<QLabel *> m_regionRows;
    QVector<QLabel *> m_regionInfoRows;
    QVector<QLabel *> m_songRows;
    QVector<QLabel *> m_songInfoRows;
    QVector<QString> m_songFiles; // by song row
    QMultiHash<QString, int> m_rowsByFile;
    QFont m_titleFont;
    QFont m_regionFont;
    QFont m_rowFont;
    QCursor *m_hand = nullptr;
    int m_contentTwips = 1680;
};

} // namespace kolva
