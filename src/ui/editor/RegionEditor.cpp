#include "ui/editor/RegionEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>

#include "model/NumberText.h"
#include "model/RegionExchange.h"
#include "playback/MediaLengths.h"
#include "ui/editor/RepeatBox.h"
#include "ui/editor/SongDialog.h"
#include "ui/widgets/Dialogs.h"

namespace kolva {

namespace {

// The Song of a row lives in column 0 under these roles.
enum SongRole {
    RepeatRole = Qt::UserRole + 1,
    StartRole,
    LengthRole,
    FileRole,
};

enum Column { IconColumn, RepeatColumn, StartColumn, LengthColumn, FileColumn };

// The song list; it also takes files dropped from a file manager.
class SongList final : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    std::function<void(const QStringList &)> filesDropped;

protected:
    static QStringList localFiles(const QMimeData *data) {
        QStringList files;
        if (!data || !data->hasUrls())
            return files;
        for (const QUrl &url : data->urls()) {
            if (!url.isLocalFile())
                continue;
            const QString path = url.toLocalFile();
            if (!QFileInfo(path).isDir()) // folders are not songs
                files << path;
        }
        return files;
    }
    void dragEnterEvent(QDragEnterEvent *event) override {
        if (localFiles(event->mimeData()).isEmpty())
            return event->ignore();
        event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent *event) override {
        if (localFiles(event->mimeData()).isEmpty())
            return event->ignore();
        event->acceptProposedAction();
    }
    void dropEvent(QDropEvent *event) override {
        const QStringList files = localFiles(event->mimeData());
        if (files.isEmpty())
            return event->ignore();
        event->acceptProposedAction();
        if (filesDropped)
            filesDropped(files);
    }
};

// Small pictures of the buttons and the rows, drawn so that they never
// depend on a file or on the desktop's icon theme.
QIcon drawPicture(const std::function<void(QPainter &)> &draw) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return QIcon(pixmap);
}

QIcon plusPicture() {
    return drawPicture([](QPainter &p) {
        p.setPen(QPen(QColor(0x2E, 0xA0, 0x43), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 3), QPointF(8, 13));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
    });
}

QIcon minusPicture() {
    return drawPicture([](QPainter &p) {
        p.setPen(QPen(QColor(0xC0, 0x30, 0x30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
    });
}

QIcon pencilPicture() {
    return drawPicture([](QPainter &p) {
        p.setPen(QPen(QColor(0x2A, 0x6E, 0xC8), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 12), QPointF(12, 4));
        p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
        p.drawLine(QPointF(2.5, 13.5), QPointF(5, 13.5));
    });
}

QIcon crossPicture() {
    return drawPicture([](QPainter &p) {
        p.setPen(QPen(QColor(0x80, 0x20, 0x20), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    });
}

QIcon notePicture() {
    return drawPicture([](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x50, 0x50, 0x90));
        p.drawEllipse(QRectF(3, 10, 5, 4));
        p.drawRect(QRectF(7, 3, 1.5, 9));
        p.drawRect(QRectF(7, 3, 5, 2));
    });
}

QToolButton *pictureButton(const char *objectName, const QString &name, const QIcon &icon,
                           QWidget *parent) {
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setIcon(icon);
    button->setToolTip(name);
    button->setAccessibleName(name);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

QLabel *caption(const QString &text, QWidget *buddy, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// The repeat column: endless, one play (blank) or the number of plays.
QString repeatMark(int32_t repeat) {
    if (repeat < 0)
        return QStringLiteral(" 循环");
    if (repeat <= 1)
        return QStringLiteral(" ");
    return QLatin1Char(' ') + QString::number(repeat) + QStringLiteral("次");
}

Song rowSong(const QTreeWidgetItem *row) {
    Song song;
    song.Repeat = row->data(IconColumn, RepeatRole).toInt();
    song.StartTime = row->data(IconColumn, StartRole).toString();
    song.Duration = row->data(IconColumn, LengthRole).toString();
    song.SongFile = row->data(IconColumn, FileRole).toString();
    return song;
}

} // namespace

RegionEditor::RegionEditor(Dialogs &dialogs, MediaLengths &lengths, QWidget *parent)
    : QWidget(parent), m_dialogs(dialogs), m_lengths(lengths), m_work(newRegion()),
      m_rowPicture(notePicture()) {
    setObjectName(QStringLiteral("ctlRegion"));
    buildWidgets();
    initSongList();
    connect(&m_lengths, &MediaLengths::lengthKnown, this, &RegionEditor::lengthKnown);
}

void RegionEditor::buildWidgets() {
    // Picture1 always fills the control; the task editor stacks controls of
    // one height, so the frame also marks where one region ends.
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *picture = new QFrame(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setFrameShape(QFrame::StyledPanel);
    outer->addWidget(picture);

    m_index = new QLabel(picture);
    m_index->setObjectName(QStringLiteral("lblRegionIndex"));
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setBold(true);
    m_index->setFont(verdana);
    m_title = new QLineEdit(picture);
    m_title->setObjectName(QStringLiteral("Text1_0"));
    m_title->setAccessibleName(QStringLiteral("标题"));
    m_volumeMode = new QComboBox(picture);
    m_volumeMode->setObjectName(QStringLiteral("Combo2"));
    m_volumeMode->setAccessibleName(QStringLiteral("音量模式"));
    m_volumeMode->addItem(QStringLiteral("1 - 默认音量"));
    m_volumeMode->addItem(QStringLiteral("2 - 自定义音量(0-100)"));
    m_volume = new QLineEdit(picture);
    m_volume->setObjectName(QStringLiteral("Text1_1"));
    m_volume->setAccessibleName(QStringLiteral("音量"));
    m_volume->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    m_duration = new QLineEdit(picture);
    m_duration->setObjectName(QStringLiteral("Text1_2"));
    m_duration->setAccessibleName(QStringLiteral("时长"));
    m_duration->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00:00:00000")) +
                                12);
    // A narrow window squeezes the row, never the time out of its box.
    m_duration->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 12);
    m_sort = new QCheckBox(QStringLiteral("随机播放"), picture);
    m_sort->setObjectName(QStringLiteral("Check1"));
    m_sort->setAccessibleName(QStringLiteral("随机播放"));
    m_repeat = new RepeatBox(QStringLiteral("遍"), QStringLiteral("播放遍数"), picture);
    m_repeat->setObjectName(QStringLiteral("Check2"));

    m_addSong = pictureButton("cmdAddSong", QStringLiteral("添加曲目"), plusPicture(), picture);
    m_removeSong =
        pictureButton("cmdRemoveSong", QStringLiteral("删除曲目"), minusPicture(), picture);
    m_modifySong =
        pictureButton("cmdModifySong", QStringLiteral("修改曲目"), pencilPicture(), picture);
    m_removeRegion =
        pictureButton("cmdRemoveRegion", QStringLiteral("删除区间"), crossPicture(), picture);

    auto *list = new SongList(picture);
    list->filesDropped = [this](const QStringList &files) { addSongFiles(files); };
    m_list = list;
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setAccessibleName(QStringLiteral("曲目列表"));

    auto *grid = new QGridLayout(picture);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    auto *first = new QHBoxLayout();
    first->addWidget(new QLabel(QStringLiteral("区间"), picture));
    first->addWidget(m_index);
    first->addSpacing(8);
    first->addWidget(caption(QStringLiteral("标题"), m_title, picture));
    first->addWidget(m_title, 1);
    first->addSpacing(8);
    first->addWidget(caption(QStringLiteral("音量"), m_volumeMode, picture));
    first->addWidget(m_volumeMode);
    first->addWidget(m_volume);
    first->addStretch(0);
    first->addWidget(m_removeRegion);
    grid->addLayout(first, 0, 0);

    auto *second = new QHBoxLayout();
    second->addWidget(caption(QStringLiteral("时长"), m_duration, picture));
    second->addWidget(m_duration);
    auto *durationHint = new QLabel(QStringLiteral("格式(时:分:秒) 例如 00:30:00"), picture);
    durationHint->setEnabled(false);
    second->addWidget(durationHint);
    second->addSpacing(12);
    second->addWidget(m_sort);
    second->addSpacing(8);
    second->addWidget(m_repeat);
    second->addStretch(1);
    second->addSpacing(16);
    second->addWidget(m_addSong);
    second->addWidget(m_removeSong);
    second->addWidget(m_modifySong);
    grid->addLayout(second, 1, 0);
    grid->addWidget(m_list, 2, 0);
    grid->setRowStretch(2, 1);

    // Every change by the user is written back and announced; the guards
    // against our own filling sit in syncRegion (Loading).
    for (QLineEdit *box : {m_title, m_volume, m_duration})
        connect(box, &QLineEdit::textChanged, this, [this] { syncRegion(); });
    connect(m_volumeMode, &QComboBox::activated, this, &RegionEditor::volumeModeChosen);
    connect(m_sort, &QCheckBox::clicked, this, [this](bool checked) {
        // Only a click replaces a stored order other than 0 and 1.
        m_work.Sort = checked ? 1 : 0;
        syncRegion();
    });
    connect(m_repeat, &RepeatBox::edited, this, [this] { syncRegion(); });
    connect(m_addSong, &QToolButton::clicked, this, &RegionEditor::cmdAddSongClick);
    connect(m_removeSong, &QToolButton::clicked, this, &RegionEditor::cmdRemoveSongClick);
    connect(m_modifySong, &QToolButton::clicked, this, &RegionEditor::cmdModifySongClick);
    connect(m_removeRegion, &QToolButton::clicked, this, &RegionEditor::RegionRemoved);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *row) { modifyRow(row); });
    auto listKey = [this](QKeySequence key, void (RegionEditor::*action)()) {
        auto *shortcut = new QShortcut(key, m_list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, action] {
            // The row with the keyboard focus is the one meant when none is
            // chosen (Tab into the list gives the focus, not a choice).
            if (m_list->selectedItems().isEmpty() && m_list->currentItem())
                m_list->currentItem()->setSelected(true);
            (this->*action)();
        });
    };
    listKey(QKeySequence(Qt::Key_Insert), &RegionEditor::cmdAddSongClick);
    listKey(QKeySequence(Qt::Key_Delete), &RegionEditor::cmdRemoveSongClick);
    listKey(QKeySequence(Qt::Key_Return), &RegionEditor::cmdModifySongClick);
    listKey(QKeySequence(Qt::Key_Enter), &RegionEditor::cmdModifySongClick);

    setTabOrder(m_title, m_volumeMode);
    setTabOrder(m_volumeMode, m_volume);
    setTabOrder(m_volume, m_removeRegion);
    setTabOrder(m_removeRegion, m_duration);
    setTabOrder(m_duration, m_sort);
    setTabOrder(m_sort, m_repeat->loopBox());
    setTabOrder(m_repeat->loopBox(), m_repeat->countBox());
    setTabOrder(m_repeat->countBox(), m_addSong);
    setTabOrder(m_addSong, m_removeSong);
    setTabOrder(m_removeSong, m_modifySong);
    setTabOrder(m_modifySong, m_list);
}

QList<QWidget *> RegionEditor::focusOrder() const {
    return {m_title,
            m_volumeMode,
            m_volume,
            m_removeRegion,
            m_duration,
            m_sort,
            m_repeat->loopBox(),
            m_repeat->countBox(),
            m_addSong,
            m_removeSong,
            m_modifySong,
            m_list};
}

void RegionEditor::initSongList() {
    m_list->setHeaderHidden(true);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAcceptDrops(true);
    m_list->viewport()->setAcceptDrops(true);
    m_list->setDragDropMode(QAbstractItemView::DropOnly);
    m_list->setIconSize(QSize(16, 16));
    m_list->clear();
    m_list->setColumnCount(5);
    m_list->setHeaderLabels({QStringLiteral("   index"), QStringLiteral("循环"),
                             QStringLiteral("  开始"), QStringLiteral("  时长"),
                             QStringLiteral("  曲目文件")});
    // Widths in twips, converted with the list's own DPI; the file column
    // takes what is left of a wider control. The first column is a sliver
    // that only keeps the row picture's height.
    m_list->header()->setMinimumSectionSize(1);
    const double dpi = m_list->logicalDpiX();
    const int twips[] = {10, 800, 1000, 1000, 5000};
    for (int column = 0; column < 5; ++column)
        m_list->setColumnWidth(column, qMax(1, qRound(twips[column] * dpi / 1440.0)));
    m_list->header()->setStretchLastSection(true);
    m_list->setTextElideMode(Qt::ElideMiddle); // long paths keep their file name
}

QStringList RegionEditor::songFilters() {
    return {QStringLiteral("曲目文件 (*.mp3 *.wav *.wmv *.wma *.ogg *.flac *.m4a *.opus)"),
            QStringLiteral("所有文件 (*)")};
}

QColor RegionEditor::unplayableColor() {
    return QColor(0xC0, 0x00, 0x00);
}

void RegionEditor::createRegion(int number, const Region &region) {
    m_number = number;
    m_index->setText(QString::number(number));
    setAccessibleName(QStringLiteral("区间 ") + QString::number(number));
    m_work = editedFields(region);
    m_loading = true;
    showRegion();
    m_loading = false;
}

void RegionEditor::showRegion() {
    m_title->setText(m_work.Title);
    if (m_work.Volume == -1) {
        m_volumeMode->setCurrentIndex(0);
        m_volume->setText(QStringLiteral("-1"));
        m_volume->hide();
    } else {
        m_volumeMode->setCurrentIndex(1);
        m_volume->setText(QString::number(m_work.Volume));
        m_volume->show();
    }
    m_duration->setText(m_work.Duration);
    // Only 1 plays in random order; other stored values keep until clicked.
    m_sort->setChecked(m_work.Sort == 1);
    m_repeat->setRepeat(m_work.Repeat);
    // The rows always follow the region, also when it has no songs (rows
    // left from an earlier fill would otherwise be written into it).
    m_list->clear();
    for (const Song &song : m_work.Songs)
        addSongRow(song);
}

void RegionEditor::volumeModeChosen(int item) {
    {
        // One announcement for the choice, not one more for the text.
        const QSignalBlocker quiet(m_volume);
        m_volume->setText(item == 1 ? QStringLiteral("100") : QStringLiteral("-1"));
    }
    m_volume->setVisible(item == 1);
    syncRegion();
}

void RegionEditor::syncRegion() {
    if (m_loading)
        return;
    m_work.Title = m_title->text();
    m_work.Volume = readNumber(m_volume->text());
    m_work.Duration = m_duration->text();
    // Sort is written by its click only; Repeat is the stored number until the
    // user chooses another.
    m_work.Repeat = m_repeat->repeat();
    m_work.Songs.clear();
    m_work.Songs.reserve(m_list->topLevelItemCount());
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        m_work.Songs.append(rowSong(m_list->topLevelItem(i)));
    emit RegionChanged();
}

Region RegionEditor::getRegion() const {
    return editedFields(m_work);
}

void RegionEditor::setDurationText(const QString &text) {
    m_loading = true;
    m_duration->setText(text);
    m_loading = false;
    m_work.Duration = text;
}

void RegionEditor::addSongRow(const Song &song) {
    auto *row = new QTreeWidgetItem();
    row->setIcon(IconColumn, m_rowPicture);
    showSongRow(row, song);
    m_list->addTopLevelItem(row);
}

void RegionEditor::showSongRow(QTreeWidgetItem *row, const Song &song) {
    row->setData(IconColumn, RepeatRole, song.Repeat);
    row->setData(IconColumn, StartRole, song.StartTime);
    row->setData(IconColumn, LengthRole, song.Duration);
    row->setData(IconColumn, FileRole, song.SongFile);
    row->setText(RepeatColumn, repeatMark(song.Repeat));
    row->setText(StartColumn, QLatin1Char(' ') + song.StartTime);
    row->setText(LengthColumn, QLatin1Char(' ') + song.Duration);
    row->setText(FileColumn, QLatin1Char(' ') + song.SongFile);
    row->setToolTip(FileColumn, song.SongFile);
    markPlayable(row);
}

void RegionEditor::markPlayable(QTreeWidgetItem *row) {
    // Unknown lengths stay in the normal colour until lengthKnown answers.
    const std::optional<double> seconds =
        m_lengths.lookup(row->data(IconColumn, FileRole).toString());
    row->setData(FileColumn, Qt::ForegroundRole,
                 seconds && !MediaLengths::isPlayable(*seconds) ? QVariant(unplayableColor())
                                                                : QVariant());
}

void RegionEditor::lengthKnown(const QString &path, double seconds) {
    const QVariant colour =
        MediaLengths::isPlayable(seconds) ? QVariant() : QVariant(unplayableColor());
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = m_list->topLevelItem(i);
        if (row->data(IconColumn, FileRole).toString() == path)
            row->setData(FileColumn, Qt::ForegroundRole, colour);
    }
}

void RegionEditor::addSongFiles(const QStringList &paths) {
    if (paths.isEmpty())
        return;
    for (const QString &path : paths) {
        Song song;
        song.SongFile = path;
        addSongRow(song);
    }
    syncRegion();
}

void RegionEditor::cmdAddSongClick() {
    addSongFiles(m_dialogs.openFileNames(this, QStringLiteral("打开文件"), songFilters()));
}

void RegionEditor::cmdRemoveSongClick() {
    bool removed = false;
    for (int i = m_list->topLevelItemCount() - 1; i >= 0; --i) {
        if (m_list->topLevelItem(i)->isSelected()) {
            delete m_list->takeTopLevelItem(i);
            removed = true;
        }
    }
    if (removed)
        syncRegion();
}

void RegionEditor::cmdModifySongClick() {
    QTreeWidgetItem *row = m_list->currentItem();
    if (!row || !row->isSelected()) {
        const QList<QTreeWidgetItem *> selected = m_list->selectedItems();
        row = selected.isEmpty() ? nullptr : selected.first();
    }
    modifyRow(row);
}

void RegionEditor::modifyRow(QTreeWidgetItem *row) {
    if (!row)
        return;
    Song song = rowSong(row);
    SongDialog dialog(m_dialogs, window());
    if (!dialog.editSong(song))
        return;
    // The file may have changed: its colour is asked again.
    showSongRow(row, song);
    syncRegion();
}

} // namespace kolva
