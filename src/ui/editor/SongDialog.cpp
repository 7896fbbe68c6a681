#include "ui/editor/SongDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "Version.h"
#include "model/ClockTime.h"
#include "model/RegionExchange.h"
#include "ui/editor/RepeatBox.h"
#include "ui/widgets/Dialogs.h"

namespace kolva {

namespace {

QLineEdit *namedBox(const char *objectName, const QString &label, QWidget *parent) {
    auto *box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setAccessibleName(label);
    return box;
}

QLabel *captionFor(const QString &text, QWidget *buddy, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QLabel *hint(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setEnabled(false); // greyed like a format hint
    return label;
}

} // namespace

SongDialog::SongDialog(Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), m_dialogs(dialogs),
      m_file(namedBox("Text1_0", QStringLiteral("文件"), this)),
      m_start(namedBox("Text1_1", QStringLiteral("开始时间"), this)),
      m_length(namedBox("Text1_2", QStringLiteral("时长"), this)),
      m_repeat(new RepeatBox(QStringLiteral("次"), QStringLiteral("播放次数"), this)),
      m_ok(new QPushButton(QStringLiteral("确定(Y)"), this)),
      m_cancel(new QPushButton(QStringLiteral("取消(&N)"), this)) {
    setObjectName(QStringLiteral("fSong"));
    setWindowTitle(QStringLiteral("曲目"));
    setModal(true);
    m_repeat->setObjectName(QStringLiteral("Check1"));
    m_ok->setObjectName(QStringLiteral("cmdOk"));
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *outer = new QVBoxLayout(this);
    auto *heading = new QLabel(QStringLiteral("曲目"), this);
    QFont strong = heading->font();
    strong.setBold(true);
    strong.setPointSizeF(strong.pointSizeF() * 1.2);
    heading->setFont(strong);
    outer->addWidget(heading);

    auto *grid = new QGridLayout();
    grid->addWidget(captionFor(QStringLiteral("文件"), m_file, this), 0, 0);
    grid->addWidget(m_file, 0, 1, 1, 2);
    grid->addWidget(captionFor(QStringLiteral("开始时间"), m_start, this), 1, 0);
    grid->addWidget(m_start, 1, 1);
    grid->addWidget(hint(QStringLiteral("格式(时:分:秒) 例如 00:00:10"), this), 1, 2);
    grid->addWidget(captionFor(QStringLiteral("时长"), m_length, this), 2, 0);
    grid->addWidget(m_length, 2, 1);
    grid->addWidget(hint(QStringLiteral("格式(时:分:秒) 例如 00:00:30"), this), 2, 2);
    grid->addWidget(m_repeat, 3, 1, 1, 2, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    m_file->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    outer->addLayout(grid);

    auto *tip = new QLabel(QStringLiteral("提示:开始时间和时长可以用来截取歌曲"), this);
    tip->setWordWrap(true);
    outer->addWidget(tip);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(m_ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);
    outer->addWidget(buttons);
    m_ok->setDefault(true);
    // The caption shows (Y) without a mnemonic; Alt+Y still works as users
    // of the dialog expect.
    auto *altY = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Y), this);
    connect(altY, &QShortcut::activated, this, &SongDialog::cmdOkClick);
    // The box's own accepted() is not used: OK must pass the checks first.
    connect(m_ok, &QPushButton::clicked, this, &SongDialog::cmdOkClick);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_confirmed = false;
        reject();
    });
}

void SongDialog::fillSongFields(const Song &song) {
    m_song = song;
    m_confirmed = false;
    m_file->setText(song.SongFile);
    m_start->setText(song.StartTime);
    m_length->setText(song.Duration);
    m_repeat->setRepeat(song.Repeat);
}

bool SongDialog::checkTime(QLineEdit *box, const QString &message) {
    if (box->text().isEmpty())
        return true; // no clip limit
    QString normalised;
    if (!parseTime(box->text(), nullptr, &normalised)) {
        m_dialogs.information(this, QStringLiteral(KOLVA_TITLE), message);
        box->setFocus();
        box->selectAll();
        return false;
    }
    box->setText(normalised);
    return true;
}

void SongDialog::cmdOkClick() {
    if (!checkTime(m_start, QStringLiteral("开始时间格式有误，参照示例：\r\n\r\n"
                                           "歌曲的10秒处开始应填入 00:00:10。")))
        return;
    if (!checkTime(m_length, QStringLiteral("时长格式有误，参照示例：\r\n\r\n"
                                            "30秒的时长应填入 00:00:30。")))
        return;
    m_confirmed = true;
    m_song.Repeat = m_repeat->repeat();
    m_song.SongFile = m_file->text();
    m_song.StartTime = m_start->text();
    m_song.Duration = m_length->text();
    accept();
}

bool SongDialog::editSong(Song &song) {
    fillSongFields(song);
    exec();
    if (!m_confirmed)
        return false;
    song = m_song;
    return true;
}

bool SongDialog::Retrive(QString &songString, bool, bool) {
    Song song = songFromText(songString);
    if (!editSong(song))
        return false;
    songString = songText(song);
    return true;
}

} // namespace kolva
