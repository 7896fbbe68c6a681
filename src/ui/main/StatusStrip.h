#pragma once
// The status strip of the main window (WebBrowser1 / mHtml). Pages are written
// as HTML text line by line, exactly as a browser document would receive
// them, and the lines are kept (pageLines) so that tests and diagnostics can
// read what was written. No web engine renders them: the strip understands
// the little these pages use — the background colour of BODY and an IMG
// placed in the absolute div — and shows that picture animated (QMovie) on
// the page colour. No scroll bars, no context menu.

#include <QColor>
#include <QFrame>
#include <QString>
#include <QStringList>

class QLabel;
class QMovie;

namespace kolva {

class StatusStrip : public QFrame {
    Q_OBJECT
public:
    explicit StatusStrip(QWidget *parent = nullptr);
    ~StatusStrip() override;

    // The empty pale yellow page (the document is closed afterwards).
    void initHtmlPage();
    // The pale pink page holding content, unchanged, in a div 5 px from the
    // left and 6 px from the top (the document is left open).
    void writeHtmlPage(const QString &content);

    // What the document holds: the lines written since it was last opened.
    const QStringList &pageLines() const { return m_lines; }
    QString pageText() const { return m_lines.join(QLatin1Char('\n')); }
    bool documentOpen() const { return m_open; }

    // What is shown, for tests: page colour, the picture file and its place
    // (an empty file when the page has no picture).
    QColor pageColor() const { return m_background; }
    QString pictureFile() const { return m_pictureFile; }
    QRect pictureGeometry() const;
    bool pictureMissing() const { return m_pictureMissing; }
    bool pictureAnimating() const;

    // The page templates, line by line.
    static QStringList emptyPageLines();
    static QStringList contentPageLines(const QString &content);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void documentOpen_();
    void writeln(const QString &line);
    void documentClose();
    void render(); // reads the document and lays out what it shows

    QStringList m_lines;
    bool m_open = false;
    QColor m_background;
    QString m_pictureFile;
    int m_pictureWidth = 0;
    QPoint m_origin;
    bool m_pictureMissing = false;
    QLabel *m_picture;
    QMovie *m_movie = nullptr;
};

} // namespace kolva
