// fTask's widgets: the list pane with its button bar, the splitter and the
// editor pane with the scrolling content panel. Sizes given in twips are
// turned into pixels of the screen the window is on.
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/PlayDays.h"
#include "model/TaskValidation.h"
#include "ui/editor/OutputDeviceBox.h"
#include "ui/editor/PagedScrollArea.h"
#include "ui/editor/TaskEditor.h"
#include "ui/widgets/CaptionFit.h"

namespace kolva {

namespace {

// A picture of one glyph for the picture buttons.
QIcon glyphIcon(const QString &glyph, const QColor &colour) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = p.font();
    font.setPixelSize(20);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
}

QToolButton *pictureButton(const char *objectName, const QString &tip, const QIcon &icon,
                           QWidget *parent) {
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(objectName));
    b->setIcon(icon);
    b->setIconSize(QSize(24, 24));
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setAutoRaise(true);
    return b;
}

QLineEdit *namedBox(const char *objectName, const QString &name, QWidget *parent) {
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(objectName));
    e->setAccessibleName(name);
    return e;
}

} // namespace

int TaskEditor::twips(int value) const {
    return qRound(value * logicalDpiX() / 1440.0);
}

void TaskEditor::buildWidgets() {
    setObjectName(QStringLiteral("fTask"));
    setWindowTitle(QStringLiteral("任务列表"));
    setSizeGripEnabled(true);
    resize(960, 640);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(qMax(4, twips(60)));
    QWidget *left = buildListPane();
    QWidget *right = buildEditorPane();
    m_splitter->addWidget(left);
    m_splitter->addWidget(right);
    // The bar stops 300 twips short of either edge (the editor pane also
    // keeps the room of its rows, fitPanes).
    left->setMinimumWidth(twips(300) + 1);
    right->setMinimumWidth(twips(300));
    m_splitter->setStretchFactor(1, 1);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);

    auto *save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, [this] {
        if (isChanged())
            cmdSaveTaskClick();
    });

    setTabOrder(m_taskButtons[0], m_taskButtons[1]);
    setTabOrder(m_taskButtons[1], m_taskButtons[2]);
    setTabOrder(m_taskButtons[2], m_taskButtons[3]);
    setTabOrder(m_taskButtons[3], m_list);
    setTabOrder(m_list, m_titleEdit);
    fitPanes();
}

QWidget *TaskEditor::buildListPane() {
    auto *pane = new QWidget(this);
    pane->setObjectName(QStringLiteral("Picture1"));
    auto *bar = new QWidget(pane);
    bar->setObjectName(QStringLiteral("Picture3"));
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 4, 4, 4);
    const QColor ink(0x20, 0x50, 0x90);
    const char *names[4] = {"cmdAddTask", "cmdRemoveTask", "cmdMoveUpTask", "cmdMoveDownTask"};
    const QString tips[4] = {QStringLiteral("添加任务"), QStringLiteral("删除任务"),
                             QStringLiteral("上移"), QStringLiteral("下移")};
    const QString glyphs[4] = {QStringLiteral("+"), QStringLiteral("−"), QStringLiteral("↑"),
                               QStringLiteral("↓")};
    for (int i = 0; i < 4; ++i) {
        m_taskButtons[i] = pictureButton(names[i], tips[i], glyphIcon(glyphs[i], ink), bar);
        barLayout->addWidget(m_taskButtons[i]);
    }
    barLayout->addStretch();
    connect(m_taskButtons[0], &QToolButton::clicked, this, &TaskEditor::cmdAddTaskClick);
    connect(m_taskButtons[1], &QToolButton::clicked, this, &TaskEditor::cmdRemoveTaskClick);
    connect(m_taskButtons[2], &QToolButton::clicked, this, &TaskEditor::cmdMoveUpTaskClick);
    connect(m_taskButtons[3], &QToolButton::clicked, this, &TaskEditor::cmdMoveDownTaskClick);

    m_list = new QTreeWidget(pane);
    m_list->setObjectName(QStringLiteral("lvwTaskList"));
    m_list->setAccessibleName(QStringLiteral("任务列表"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Rows are never renamed in place; whole rows highlight, grid-like rows.
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setAlternatingRowColors(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setColumnCount(3);
    m_list->setHeaderLabels(
        {QStringLiteral("   index"), QStringLiteral("开启时间"), QStringLiteral("      任务列表")});
    m_list->header()->setStretchLastSection(false);
    m_list->setColumnWidth(0, twips(600));
    m_list->setColumnWidth(1, twips(1200));
    m_list->setColumnWidth(2, twips(3500));
    keepCaptionsWhole(m_list->header());
    connect(m_list, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *row) { rowClicked(row); });
    connect(m_list, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *row) { rowClicked(row); });
    // The highlight moved by the keyboard (or an assistive technology) shows
    // its task as a click does. The prompt is modal, so it comes after the
    // key press or the call that moved the highlight has returned.
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this] { QTimer::singleShot(0, this, &TaskEditor::showHighlightedRow); });

    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_list, 1);
    return pane;
}

QWidget *TaskEditor::buildEditorPane() {
    auto *pane = new QWidget(this);
    pane->setObjectName(QStringLiteral("Picture2"));
    m_bg = new PagedScrollArea(pane);
    m_bg->setObjectName(QStringLiteral("bg"));
    m_bg->setWidgetResizable(true);
    m_bg->setFrameShape(QFrame::NoFrame);
    m_bg->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_bg->verticalScrollBar()->setObjectName(QStringLiteral("vsc"));
    // No stop of its own on the way through the form (a focus nobody could
    // see): Tab goes from field to field and the area follows the focus.
    m_bg->setFocusPolicy(Qt::NoFocus);
    // Region editors are built as they come into view, and the rest while
    // the event loop is idle (TaskEditorRegions.cpp).
    connect(m_bg->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &TaskEditor::buildVisibleRegions);
    connect(m_bg->verticalScrollBar(), &QScrollBar::rangeChanged, this,
            &TaskEditor::buildVisibleRegions);
    m_regionFill = new QTimer(this);
    m_regionFill->setInterval(0);
    connect(m_regionFill, &QTimer::timeout, this, &TaskEditor::buildRegionsSlice);

    m_content = new QWidget;
    m_content->setObjectName(QStringLiteral("Picture4"));
    auto *content = new QVBoxLayout(m_content);
    content->setContentsMargins(twips(120), twips(120), twips(120), twips(120));

    m_lblTask = new QLabel(QStringLiteral("任务"), m_content);
    m_lblTask->setObjectName(QStringLiteral("lblTask"));
    QFont heading = m_lblTask->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.3);
    m_lblTask->setFont(heading);
    content->addWidget(m_lblTask);

    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    m_titleEdit = namedBox("Text1_0", QStringLiteral("标题"), m_content);
    m_lblTaskInListView = new QLabel(QStringLiteral("标题"), m_content);
    m_lblTaskInListView->setObjectName(QStringLiteral("lblTaskInListView"));
    m_lblTaskInListView->setBuddy(m_titleEdit);
    form->addRow(m_lblTaskInListView, m_titleEdit);

    m_volumeModeBox = new QComboBox(m_content);
    m_volumeModeBox->setObjectName(QStringLiteral("Combo1"));
    m_volumeModeBox->setAccessibleName(QStringLiteral("音量模式"));
    m_volumeEdit = namedBox("Text1_1", QStringLiteral("音量"), m_content);
    m_volumeEdit->setMaximumWidth(80);
    auto *volumeRow = new QHBoxLayout;
    volumeRow->addWidget(m_volumeModeBox);
    volumeRow->addWidget(m_volumeEdit);
    volumeRow->addStretch();
    auto *volumeLabel = new QLabel(QStringLiteral("音量"), m_content);
    volumeLabel->setBuddy(m_volumeModeBox);
    form->addRow(volumeLabel, volumeRow);

    m_startTimeEdit = namedBox("Text1_2", QStringLiteral("开始时间"), m_content);
    auto *startLabel = new QLabel(QStringLiteral("开始时间"), m_content);
    startLabel->setBuddy(m_startTimeEdit);
    auto *startRow = new QHBoxLayout;
    startRow->addWidget(m_startTimeEdit);
    auto *hint = new QLabel(QStringLiteral("格式(时:分:秒) 例如 08:30:30"), m_content);
    hint->setObjectName(QStringLiteral("lblTimeHint"));
    startRow->addWidget(hint);
    form->addRow(startLabel, startRow);

    // Play days under the start time: Monday to Sunday, the quick choices,
    // and whether the holiday calendar counts.
    static const char16_t dayNames[] = u"一二三四五六日";
    auto *daysRow = new QHBoxLayout;
    for (int i = 0; i < 7; ++i) {
        const QString name(QChar(dayNames[i]));
        m_dayBoxes[i] = new QCheckBox(name, m_content);
        m_dayBoxes[i]->setObjectName(QStringLiteral("chkDay%1").arg(i + 1));
        m_dayBoxes[i]->setAccessibleName(QStringLiteral("周") + name);
        daysRow->addWidget(m_dayBoxes[i]);
        connect(m_dayBoxes[i], &QCheckBox::clicked, this, &TaskEditor::markChanged);
    }
    m_everyDay = new QPushButton(QStringLiteral("每天"), m_content);
    m_everyDay->setObjectName(QStringLiteral("cmdEveryDay"));
    m_everyDay->setAccessibleName(QStringLiteral("每天"));
    m_workdays = new QPushButton(QStringLiteral("工作日"), m_content);
    m_workdays->setObjectName(QStringLiteral("cmdWorkdays"));
    m_workdays->setAccessibleName(QStringLiteral("工作日"));
    for (QPushButton *b : {m_everyDay, m_workdays}) {
        b->setAutoDefault(false);
        daysRow->addWidget(b);
    }
    daysRow->addStretch();
    connect(m_everyDay, &QPushButton::clicked, this, [this] { setPlayDays(kEveryDay); });
    connect(m_workdays, &QPushButton::clicked, this, [this] { setPlayDays(kWorkdays); });
    auto *daysLabel = new QLabel(QStringLiteral("播放日"), m_content);
    daysLabel->setBuddy(m_dayBoxes[0]);
    form->addRow(daysLabel, daysRow);

    m_holidays = new QCheckBox(QStringLiteral("节假日不播放(按调休安排)"), m_content);
    m_holidays->setObjectName(QStringLiteral("chkHolidays"));
    m_holidays->setAccessibleName(QStringLiteral("节假日不播放(按调休安排)"));
    connect(m_holidays, &QCheckBox::clicked, this, &TaskEditor::markChanged);
    m_cmdHolidays = new QPushButton(QStringLiteral("节假日…"), m_content);
    m_cmdHolidays->setObjectName(QStringLiteral("cmdHolidays"));
    m_cmdHolidays->setAccessibleName(QStringLiteral("节假日…"));
    m_cmdHolidays->setAutoDefault(false);
    connect(m_cmdHolidays, &QPushButton::clicked, this, &TaskEditor::cmdHolidaysClick);
    auto *holidaysRow = new QHBoxLayout;
    holidaysRow->addWidget(m_holidays);
    holidaysRow->addWidget(m_cmdHolidays);
    holidaysRow->addStretch();
    form->addRow(QString(), holidaysRow);

    // A start the PC missed (off, asleep, its clock moved): when it is made late.
    m_catchUp = new QComboBox(m_content);
    m_catchUp->setObjectName(QStringLiteral("cboCatchUp"));
    m_catchUp->setAccessibleName(QStringLiteral("错过后"));
    m_catchUp->addItems({QStringLiteral("1分钟内补播"), QStringLiteral("N分钟内补播"),
                         QStringLiteral("时段内补播"), QStringLiteral("不补播")});
    m_catchUpMinutes = namedBox("txtCatchUpMinutes", QStringLiteral("补播分钟数"), m_content);
    m_catchUpMinutes->setMaximumWidth(80);
    auto *catchUpUnit = new QLabel(QStringLiteral("分钟"), m_content);
    catchUpUnit->setBuddy(m_catchUpMinutes);
    auto *catchUpRow = new QHBoxLayout;
    catchUpRow->addWidget(m_catchUp);
    catchUpRow->addWidget(m_catchUpMinutes);
    catchUpRow->addWidget(catchUpUnit);
    catchUpRow->addStretch();
    auto *catchUpLabel = new QLabel(QStringLiteral("错过后:"), m_content);
    catchUpLabel->setBuddy(m_catchUp);
    form->addRow(catchUpLabel, catchUpRow);
    connect(m_catchUp, &QComboBox::currentIndexChanged, this, [this, catchUpUnit](int item) {
        const bool minutes = item == int(TaskForm::CatchUp::Minutes);
        m_catchUpMinutes->setVisible(minutes);
        catchUpUnit->setVisible(minutes);
    });
    connect(m_catchUp, &QComboBox::activated, this, &TaskEditor::markChanged);
    connect(m_catchUpMinutes, &QLineEdit::textChanged, this, &TaskEditor::markChanged);
    m_deviceBox = new OutputDeviceBox(m_content);
    form->addRow(m_deviceBox->makeLabel(m_content), m_deviceBox);
    connect(m_deviceBox, &OutputDeviceBox::deviceChosen, this, &TaskEditor::markChanged);


    // How the task ends: after a play time or at a time of day.
    m_durationOption = new QRadioButton(QStringLiteral("时长"), m_content);
    m_durationOption->setObjectName(QStringLiteral("Option1_0"));
    m_durationEdit = namedBox("Text1_3", QStringLiteral("时长"), m_content);
    form->addRow(m_durationOption, m_durationEdit);
    m_stopTimeOption = new QRadioButton(QStringLiteral("停止时间"), m_content);
    m_stopTimeOption->setObjectName(QStringLiteral("Option1_1"));
    m_stopTimeEdit = namedBox("Text1_4", QStringLiteral("停止时间"), m_content);
    form->addRow(m_stopTimeOption, m_stopTimeEdit);

    m_enabledBox = new QCheckBox(QStringLiteral("启用"), m_content);
    m_enabledBox->setObjectName(QStringLiteral("Check2"));
    m_powerOffBox = new QCheckBox(QStringLiteral("自动关机"), m_content);
    m_powerOffBox->setObjectName(QStringLiteral("Check1"));
    auto *checks = new QHBoxLayout;
    checks->addWidget(m_enabledBox);
    checks->addWidget(m_powerOffBox);
    checks->addStretch();
    form->addRow(QString(), checks);
    content->addLayout(form);

    m_regionLayout = new QVBoxLayout;
    m_regionLayout->setSpacing(twips(60));
    content->addLayout(m_regionLayout);

    const QColor ink(0x20, 0x50, 0x90);
    m_picAddNew = pictureButton("picAddNew", QStringLiteral("添加区间"),
                                glyphIcon(QStringLiteral("+"), ink), m_content);
    m_picAddNew->setText(QStringLiteral("添加区间"));
    m_picAddNew->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_cmdSaveTask = pictureButton("cmdSaveTask", QStringLiteral("保存任务"),
                                  style()->standardIcon(QStyle::SP_DialogSaveButton), m_content);
    m_cmdSaveTask->setText(QStringLiteral("保存任务"));
    m_cmdSaveTask->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_picAddNew);
    buttons->addStretch();
    buttons->addWidget(m_cmdSaveTask);
    content->addLayout(buttons);
    content->addStretch();
    m_bg->setWidget(m_content);

    connect(m_picAddNew, &QToolButton::clicked, this, &TaskEditor::picAddNewClick);
    connect(m_cmdSaveTask, &QToolButton::clicked, this, [this] { cmdSaveTaskClick(); });
    for (QLineEdit *box :
         {m_titleEdit, m_volumeEdit, m_startTimeEdit, m_durationEdit, m_stopTimeEdit})
        connect(box, &QLineEdit::textChanged, this, &TaskEditor::markChanged);
    connect(m_volumeModeBox, &QComboBox::activated, this, [this](int item) {
        m_volumeEdit->setText(item == 1 ? QStringLiteral("100") : QStringLiteral("-1"));
        m_volumeEdit->setVisible(item == 1);
        markChanged();
    });
    for (QRadioButton *option : {m_durationOption, m_stopTimeOption}) {
        connect(option, &QRadioButton::clicked, this, [this] {
            m_durationEdit->setEnabled(m_durationOption->isChecked());
            m_stopTimeEdit->setEnabled(m_stopTimeOption->isChecked());
            markChanged();
        });
    }
    connect(m_powerOffBox, &QCheckBox::clicked, this, &TaskEditor::markChanged);
    connect(m_enabledBox, &QCheckBox::clicked, this, &TaskEditor::markChanged);

    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_bg);
    return pane;
}

void TaskEditor::setOutputDevices(const OutputDeviceList *devices) {
    m_deviceBox->setDevices(devices);
}

QWidget *TaskEditor::bg() const {
    return m_bg;
}

QWidget *TaskEditor::contentPanel() const {
    return m_content;
}

QScrollBar *TaskEditor::vsc() const {
    return m_bg->verticalScrollBar();
}

} // namespace kolva
