// fTask's behaviour: opening, the list operations, showing a task, the save
// and the two prompts, the region editors and the wheel hook.
#include "ui/editor/TaskEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "Version.h"
#include "model/PlayDays.h"
#include "model/TaskFile.h"
#include "model/TaskValidation.h"
#include "ui/editor/HolidayDialog.h"
#include "ui/editor/OutputDeviceBox.h"
#include "ui/editor/PagedScrollArea.h"
#include "ui/editor/RegionEditor.h"
#include "ui/widgets/Dialogs.h"

namespace kolva {

namespace {

const QString kTitle = QStringLiteral(KOLVA_TITLE);
const QString kSavePrompt = QStringLiteral("当前任务已经更改，是否保存?");

QIcon dotIcon(const QColor &colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(colour.darker(140));
    p.setBrush(colour);
    p.drawEllipse(QRectF(3, 3, 10, 10));
    return QIcon(pixmap);
}

QString keyOf(int taskId) {
    return QStringLiteral("Key") + QString::number(taskId);
}

int idOfKey(const QString &key) {
    if (!key.startsWith(QLatin1String("Key")))
        return -1;
    bool ok = false;
    const int id = key.mid(3).toInt(&ok);
    return ok ? id : -1;
}

} // namespace

TaskEditor::TaskEditor(const QString &taskFile, Dialogs &dialogs, MediaLengths &lengths,
                       QWidget *parent)
    : QDialog(parent), m_taskFile(taskFile),
      m_holidayFile(QFileInfo(taskFile).dir().filePath(QStringLiteral("holidays.txt"))),
      m_dialogs(dialogs), m_lengths(lengths), m_enabledIcon(dotIcon(QColor(0x30, 0xa0, 0x40))),
      m_disabledIcon(dotIcon(QColor(0xa0, 0xa0, 0xa0))) {
    buildWidgets();
    // Opening: nothing counts as an edit while the window fills itself.
    m_loading = true;
    const bool exists = QFileInfo::exists(m_taskFile);
    QString reason;
    const bool unreadable = exists && !loadTasks(m_taskFile, m_tasks, &reason);
    setChanged(false);
    m_volumeModeBox->clear();
    m_volumeModeBox->addItem(QStringLiteral("1 - 默认音量"));
    m_volumeModeBox->addItem(QStringLiteral("2 - 自定义音量(0-100)"));
    loadTaskList();
    hookWheel();
    m_loading = false;
    if (unreadable) {
        // Said first, so nobody edits an empty list by surprise; the file is
        // kept under another name before anything is written over it.
        QTimer::singleShot(0, this, [this, reason] {
            m_dialogs.information(
                this, kTitle,
                reason + QStringLiteral("\r\n第一次保存前，它会被另存一份，不会丢失。"));
        });
    }
}

TaskEditor::~TaskEditor() = default;

void TaskEditor::loadTaskList() {
    m_list->clear();
    if (m_tasks.isEmpty()) {
        m_bg->hide();
        showNothing();
        return;
    }
    for (const Task &task : m_tasks) {
        auto *row = new QTreeWidgetItem(m_list);
        fillRow(row, task, true);
    }
    QTreeWidgetItem *first = m_list->topLevelItem(0);
    m_list->setCurrentItem(first);
    showRow(first);
}

void TaskEditor::fillRow(QTreeWidgetItem *row, const Task &task, bool fullStartTime) {
    const int image = task.Enabled ? 1 : 2;
    row->setData(0, KeyRole, keyOf(task.TaskID));
    row->setData(0, ImageIndexRole, image);
    row->setIcon(0, image == 1 ? m_enabledIcon : m_disabledIcon);
    row->setText(0, QString());
    row->setData(0, Qt::AccessibleTextRole,
                 task.Enabled ? QStringLiteral("启用") : QStringLiteral("停用"));
    row->setText(1, QLatin1Char(' ') + (fullStartTime ? task.StartTime : task.StartTime.left(5)));
    row->setText(2, QLatin1Char(' ') + task.Title);
}

QTreeWidgetItem *TaskEditor::rowOfKey(const QString &key) const {
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->data(0, KeyRole).toString() == key)
            return m_list->topLevelItem(i);
    }
    return nullptr;
}

QTreeWidgetItem *TaskEditor::selectedRow() const {
    QTreeWidgetItem *row = m_list->currentItem();
    return row && row->isSelected() ? row : nullptr;
}

int TaskEditor::findTaskIndex(int taskId) const {
    for (int i = 0; i < m_tasks.size(); ++i) {
        if (m_tasks[i].TaskID == taskId)
            return i;
    }
    return -1;
}

// --- Showing a task ------------------------------------------------------------

void TaskEditor::rowClicked(QTreeWidgetItem *row) {
    if (!row)
        return;
    const int index = findTaskIndex(idOfKey(row->data(0, KeyRole).toString()));
    if (index < 0)
        return;
    if (isChanged() && !askToSave(false)) {
        // Cancelled, or the save refused the values: the shown task stays
        // with its edits, and the list marks it again.
        if (QTreeWidgetItem *shown = rowOfKey(m_shownKey))
            m_list->setCurrentItem(shown);
        return;
    }
    showRow(row);
}

void TaskEditor::showHighlightedRow() {
    // The highlight and the form never differ for long: a row the user moved
    // to is shown (through the prompt), or the highlight goes back.
    QTreeWidgetItem *row = m_list->currentItem();
    if (row && row->data(0, KeyRole).toString() != m_shownKey)
        rowClicked(row);
}

void TaskEditor::showRow(QTreeWidgetItem *row) {
    const int index = findTaskIndex(idOfKey(row->data(0, KeyRole).toString()));
    if (index < 0)
        return;
    m_shownKey = row->data(0, KeyRole).toString();
    const bool wasLoading = m_loading;
    m_loading = true;
    displayTask(m_tasks[index]);
    m_content->setEnabled(true);
    m_loading = wasLoading;
    setChanged(false);
}

void TaskEditor::showNothing() {
    m_shownKey.clear();
    setChanged(false);
    m_content->setEnabled(false);
}

void TaskEditor::displayTask(const Task &task) {
    const TaskForm form = taskFormOf(task);
    m_titleEdit->setText(form.title);
    m_volumeModeBox->setCurrentIndex(form.ownVolume ? 1 : 0);
    m_volumeEdit->setText(form.ownVolume ? form.volume : QStringLiteral("-1"));
    m_volumeEdit->setVisible(form.ownVolume);
    m_startTimeEdit->setText(form.startTime);
    m_durationEdit->setText(form.duration);
    m_stopTimeEdit->setText(form.stopTime);
    (form.stopTimeMode ? m_stopTimeOption : m_durationOption)->setChecked(true);
    m_durationEdit->setEnabled(!form.stopTimeMode);
    m_stopTimeEdit->setEnabled(form.stopTimeMode);
    for (int i = 0; i < 7; ++i)
        m_dayBoxes[i]->setChecked(form.days & weekdayBit(i + 1));
    m_holidays->setChecked(form.holidays);
    m_catchUp->setCurrentIndex(int(form.catchUp));
    m_catchUpMinutes->setText(form.catchUpMinutes);
    m_catchUpMinutes->setVisible(form.catchUp == TaskForm::CatchUp::Minutes);
    m_deviceBox->showDevice(form.device);
    m_powerOffBox->setChecked(form.powerOff);
    m_enabledBox->setChecked(form.enabled);
    showRegions(task.Regions);
}

// --- Changed state ---------------------------------------------------------------

void TaskEditor::markChanged() {
    if (!m_loading && !m_shownKey.isEmpty())
        setChanged(true);
}

uint8_t TaskEditor::shownDays() const {
    uint8_t days = 0;
    for (int i = 0; i < 7; ++i) {
        if (m_dayBoxes[i]->isChecked())
            days |= weekdayBit(i + 1);
    }
    return days;
}

void TaskEditor::setPlayDays(uint8_t days) {
    if (days == shownDays())
        return;
    for (int i = 0; i < 7; ++i)
        m_dayBoxes[i]->setChecked(days & weekdayBit(i + 1));
    markChanged();
}

void TaskEditor::cmdHolidaysClick() {
    HolidayDialog dialog(m_holidayFile, m_dialogs, this);
    dialog.exec();
}

void TaskEditor::setChanged(bool changed) {
    m_changed = changed && !m_shownKey.isEmpty();
    m_cmdSaveTask->setEnabled(m_changed);
}

bool TaskEditor::askToSave(bool withIcon) {
    switch (m_dialogs.question(this, kTitle, kSavePrompt, withIcon)) {
    case Dialogs::Answer::Yes:
        return cmdSaveTaskClick();
    case Dialogs::Answer::No:
        setChanged(false);
        return true;
    case Dialogs::Answer::Cancel:
        break;
    }
    return false;
}

// --- The list operations ---------------------------------------------------------

void TaskEditor::cmdAddTaskClick() {
    int id = 0;
    if (!m_tasks.isEmpty()) {
        for (const Task &t : m_tasks)
            id = qMax(id, t.TaskID);
        id = qMax(1, id + 1);
    }
    Task task = newTask();
    task.Title = QStringLiteral("新任务");
    task.StartTime = QStringLiteral("00:00:00");
    task.TaskID = id;
    m_tasks.append(task);
    auto *row = new QTreeWidgetItem(m_list);
    fillRow(row, task, true);
    m_bg->show();
    saveTaskFile();
    // With no task behind the form, the new one is shown at once, so a save
    // can only ever write into the task the form shows.
    if (m_shownKey.isEmpty()) {
        m_list->setCurrentItem(row);
        showRow(row);
    }
}

void TaskEditor::cmdRemoveTaskClick() {
    QTreeWidgetItem *row = selectedRow();
    if (!row)
        return;
    const QString key = row->data(0, KeyRole).toString();
    const int index = findTaskIndex(idOfKey(key));
    if (index >= 0)
        m_tasks.remove(index);
    delete row;
    if (m_list->topLevelItemCount() == 0)
        m_bg->hide();
    if (key == m_shownKey)
        showNothing(); // the edits of a removed task have nowhere to go
    saveTaskFile();
}

void TaskEditor::cmdMoveUpTaskClick() {
    QTreeWidgetItem *row = selectedRow();
    if (!row)
        return;
    const int r = m_list->indexOfTopLevelItem(row) + 1;
    if (r == 1)
        return;
    moveTaskDown(r - 1, r - 1);
    saveTaskFile();
}

void TaskEditor::cmdMoveDownTaskClick() {
    QTreeWidgetItem *row = selectedRow();
    if (!row)
        return;
    const int r = m_list->indexOfTopLevelItem(row) + 1;
    moveTaskDown(r, r + 1);
    saveTaskFile(); // also on the last row, where nothing moved
}

void TaskEditor::moveTaskDown(int row, int rowToSelect) {
    if (row >= m_list->topLevelItemCount())
        return;
    QTreeWidgetItem *item = m_list->topLevelItem(row - 1);
    const int p = findTaskIndex(idOfKey(item->data(0, KeyRole).toString()));
    if (p < 0 || p + 1 >= m_tasks.size())
        return;
    std::swap(m_tasks[p], m_tasks[p + 1]);
    m_list->takeTopLevelItem(row - 1);
    m_list->insertTopLevelItem(row, item);
    // The moved row shows hours and minutes only until it is saved or the
    // editor opens again.
    fillRow(item, m_tasks[p + 1], false);
    m_list->clearSelection();
    if (QTreeWidgetItem *select = m_list->topLevelItem(rowToSelect - 1)) {
        m_list->setCurrentItem(select);
        select->setSelected(true);
    }
}

// --- Save ----------------------------------------------------------------------------

bool TaskEditor::cmdSaveTaskClick() {
    const int index = findTaskIndex(idOfKey(m_shownKey));
    if (m_shownKey.isEmpty() || index < 0)
        return false;
    TaskForm form;
    form.title = m_titleEdit->text();
    form.ownVolume = m_volumeModeBox->currentIndex() == 1;
    form.volume = m_volumeEdit->text();
    form.startTime = m_startTimeEdit->text();
    form.stopTimeMode = m_stopTimeOption->isChecked();
    form.duration = m_durationEdit->text();
    form.stopTime = m_stopTimeEdit->text();
    form.days = shownDays();
    form.holidays = m_holidays->isChecked();
    form.catchUp = TaskForm::CatchUp(m_catchUp->currentIndex());
    form.catchUpMinutes = m_catchUpMinutes->text();
    form.device = m_deviceBox->device();
    form.enabled = m_enabledBox->isChecked();
    form.powerOff = m_powerOffBox->isChecked();
    // Regions never scrolled into view are written from their records.
    for (const RegionSlot &slot : std::as_const(m_slots))
        form.regions.append({slot.number, slot.editor ? slot.editor->getRegion() : slot.region});

    const QString errors = validateTask(form);
    // Valid times show in their normalised form, also when the save is refused.
    const std::pair<QLineEdit *, const QString &> times[] = {{m_startTimeEdit, form.startTime},
                                                             {m_durationEdit, form.duration},
                                                             {m_stopTimeEdit, form.stopTime}};
    for (const auto &[box, text] : times) {
        if (box->text() != text)
            box->setText(text);
    }
    if (!errors.isEmpty()) {
        m_dialogs.information(this, kTitle, errors);
        return false;
    }
    applyTaskForm(form, m_tasks[index]);
    if (QTreeWidgetItem *row = rowOfKey(m_shownKey))
        fillRow(row, m_tasks[index], true);
    if (!saveTaskFile())
        return false; // the record holds the values; the user can save again
    setChanged(false);
    return true;
}

bool TaskEditor::saveTaskFile() {
    // A file that cannot be read (the one named at opening, or one broken by
    // hand since) is kept under a name no later save reuses before the list
    // is written: the save says where, once.
    QString error, kept;
    const bool saved = saveTasks(m_taskFile, m_tasks, &error, &kept);
    if (!kept.isEmpty()) {
        m_dialogs.information(this, kTitle,
                              QStringLiteral("原任务列表文件无法读取，已另存为 %1")
                                  .arg(QDir::toNativeSeparators(kept)));
    }
    if (saved)
        return true;
    m_dialogs.information(this, kTitle,
                          QStringLiteral("任务列表没有保存，请检查后再保存一次。\r\n") + error);
    return false;
}

// --- Region editors (the rest in TaskEditorRegions.cpp) ---------------------------

void TaskEditor::scrollToEnd() {
    // The content panel takes its new height once the layout has run.
    m_content->layout()->activate();
    m_content->adjustSize();
    QTimer::singleShot(0, this, [this] {
        QScrollBar *bar = m_bg->verticalScrollBar();
        bar->setValue(bar->maximum());
    });
}

// --- Wheel and close -----------------------------------------------------------------

void TaskEditor::vscScroll(bool isUp) {
    QScrollBar *bar = m_bg->verticalScrollBar();
    const int largeChange = qRound(bar->maximum() / 3.0);
    bar->setValue(isUp ? qMax(0, bar->value() - largeChange)
                       : qMin(bar->maximum(), bar->value() + largeChange));
}

bool TaskEditor::isWheelHooked() const {
    return m_bg->hasPager();
}

void TaskEditor::hookWheel() {
    m_bg->setPager([this](bool isUp) { vscScroll(isUp); });
}

void TaskEditor::unhookWheel() {
    m_bg->setPager({});
}

void TaskEditor::reject() {
    if (isChanged() && !askToSave(true))
        return; // cancelled, or the save did not go through: stay open
    unhookWheel();
    QDialog::reject();
}

} // namespace kolva
