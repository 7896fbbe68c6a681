#include "ui/main/StatusStrip.h"

#include <QFileInfo>
#include <QLabel>
#include <QMovie>
#include <QPainter>
#include <QRegularExpression>

namespace kolva {

namespace {

const char *const kBodyEmpty =
    "<BODY style='background:#FCFFDF;border:0px;margin:0px;' scroll=\"no\" "
    "oncontextmenu=self.event.returnValue=false>";
// Two blanks after BODY on the content page, as it has always been written.
const char *const kBodyContent =
    "<BODY  style='background:#FFD9D9;border:0px;margin:0px;' scroll=\"no\" "
    "oncontextmenu=self.event.returnValue=false>";

} // namespace

StatusStrip::StatusStrip(QWidget *parent)
    : QFrame(parent), m_background(Qt::white), m_picture(new QLabel(this)) {
    setObjectName(QStringLiteral("WebBrowser1"));
    setFrameShape(QFrame::NoFrame);
    setContextMenuPolicy(Qt::NoContextMenu);
    setMinimumHeight(30);
    m_picture->setContextMenuPolicy(Qt::NoContextMenu);
    m_picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_picture->hide();
}

StatusStrip::~StatusStrip() = default;

QStringList StatusStrip::emptyPageLines() {
    return {QStringLiteral("<HTML>"),   QStringLiteral("<HEAD>"),  QStringLiteral("<TITLE>"),
            QStringLiteral("</TITLE>"), QStringLiteral("</HEAD>"), QString::fromUtf8(kBodyEmpty),
            QStringLiteral("</BODY>"),  QStringLiteral("</HTML>")};
}

QStringList StatusStrip::contentPageLines(const QString &content) {
    return {QStringLiteral("<HTML>"),
            QStringLiteral("<HEAD>"),
            QStringLiteral("<TITLE>"),
            QStringLiteral("</TITLE>"),
            QStringLiteral("</HEAD>"),
            QString::fromUtf8(kBodyContent),
            QStringLiteral("<div style=\"position:absolute; left: 5; top: 6;\">"),
            content,
            QStringLiteral("</div>"),
            QStringLiteral("</BODY>"),
            QStringLiteral("</HTML>")};
}

void StatusStrip::initHtmlPage() {
    // about:blank, then the empty page written and the document closed.
    documentOpen_();
    for (const QString &line : emptyPageLines())
        writeln(line);
    documentClose();
    render();
}

void StatusStrip::writeHtmlPage(const QString &content) {
    documentOpen_();
    for (const QString &line : contentPageLines(content))
        writeln(line);
    render();
}

void StatusStrip::documentOpen_() {
    m_lines.clear();
    m_open = true;
}

void StatusStrip::writeln(const QString &line) {
    m_lines.append(line);
}

void StatusStrip::documentClose() {
    m_open = false;
}

QRect StatusStrip::pictureGeometry() const {
    return m_picture->isVisible() || !m_pictureFile.isEmpty() ? m_picture->geometry() : QRect();
}

bool StatusStrip::pictureAnimating() const {
    return m_movie && m_movie->state() == QMovie::Running;
}

void StatusStrip::render() {
    const QString page = pageText();
    static const QRegularExpression background(QStringLiteral("background:\\s*(#[0-9A-Fa-f]{6})"));
    static const QRegularExpression divPlace(
        QStringLiteral("position:absolute;\\s*left:\\s*(\\d+);\\s*top:\\s*(\\d+);"));
    static const QRegularExpression image(QStringLiteral("<IMG\\b[^>]*>"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression source(QStringLiteral("SRC=\"([^\"]*)\""),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression width(QStringLiteral("width:\\s*(\\d+)px"),
                                          QRegularExpression::CaseInsensitiveOption);

    const auto bg = background.match(page);
    m_background = bg.hasMatch() ? QColor(bg.captured(1)) : QColor(Qt::white);
    const auto place = divPlace.match(page);
    m_origin = place.hasMatch() ? QPoint(place.captured(1).toInt(), place.captured(2).toInt())
                                : QPoint(0, 0);

    if (m_movie) {
        m_picture->setMovie(nullptr);
        delete m_movie;
        m_movie = nullptr;
    }
    m_pictureFile.clear();
    m_pictureMissing = false;
    m_picture->clear();
    m_picture->hide();

    const auto img = image.match(page);
    if (img.hasMatch()) {
        const QString tag = img.captured(0);
        m_pictureFile = source.match(tag).captured(1);
        const auto w = width.match(tag);
        m_pictureWidth = w.hasMatch() ? w.captured(1).toInt() : 20;
        auto *movie = new QMovie(m_pictureFile, QByteArray(), this);
        // Frames decoded once and kept: the loop runs all day and would
        // otherwise read and decode the file again on every turn.
        movie->setCacheMode(QMovie::CacheAll);
        if (QFileInfo::exists(m_pictureFile) && movie->isValid()) {
            movie->jumpToFrame(0);
            const QSize frame = movie->currentImage().size();
            const int height = frame.width() > 0
                                   ? qMax(1, frame.height() * m_pictureWidth / frame.width())
                                   : m_pictureWidth;
            movie->setScaledSize(QSize(m_pictureWidth, height));
            m_movie = movie;
            m_picture->setMovie(m_movie);
            m_picture->setGeometry(QRect(m_origin, QSize(m_pictureWidth, height)));
            m_movie->start();
            if (!isVisible())
                m_movie->setPaused(true);
        } else {
            // Like a browser: a broken-image mark in the picture's place.
            delete movie;
            m_pictureMissing = true;
            m_picture->setGeometry(QRect(m_origin, QSize(m_pictureWidth, m_pictureWidth)));
        }
        m_picture->show();
    }
    update();
}

// The animation runs only while it can be seen: a window in the tray spends
// no time on frames nobody sees.
void StatusStrip::showEvent(QShowEvent *event) {
    QFrame::showEvent(event);
    if (m_movie)
        m_movie->setPaused(false);
}

void StatusStrip::hideEvent(QHideEvent *event) {
    QFrame::hideEvent(event);
    if (m_movie)
        m_movie->setPaused(true);
}

void StatusStrip::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    if (m_pictureMissing) {
        const QRect r = m_picture->geometry().adjusted(0, 0, -1, -1);
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawRect(r);
        painter.setPen(QColor(0xC0, 0x30, 0x30));
        painter.drawLine(r.topLeft() + QPoint(4, 4), r.bottomRight() - QPoint(4, 4));
        painter.drawLine(r.topRight() + QPoint(-4, 4), r.bottomLeft() + QPoint(4, -4));
    }
}

} // namespace kolva
