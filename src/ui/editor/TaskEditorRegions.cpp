// fTask's region editors. A region editor is a set of some twenty widgets
// with a song list, a few milliseconds to build; a task of a hundred regions
// would hold the window for half a second or more. So a shown task first
// gets one slot a region: an editor is built at once for the regions in view,
// the others stand as spacers of an editor's height (the content panel has
// its full height and the scroll bar its full range from the start) and are
// built in slices of a few milliseconds whenever the event loop is idle, or
// at once when they scroll into view. Until its editor exists, a region's
// record is the slot's, and the save writes it from there.
//
// Editors of a task shown before are kept hidden and filled again for the
// next one, so showing another task neither builds nor destroys a hundred of
// them in one go.
//
// Thread: UI thread.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLayout>
#include <QLineEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/editor/PagedScrollArea.h"
#include "ui/editor/RegionEditor.h"
#include "ui/editor/TaskEditor.h"

namespace kolva {

namespace {

// The longest a background slice holds the UI thread (one editor more may
// finish after it). The turn also lays out and paints what the slice built,
// and the event loop may run two slices in one turn, so it stays well under
// the 20 ms a turn may take.
constexpr qint64 kSliceNs = 4'000'000;

} // namespace

void TaskEditor::showRegions(const QVector<Region> &regions) {
    // One repaint and one layout pass for the whole set, not one a region.
    m_content->setUpdatesEnabled(false);
    clearRegionEditors();
    m_slots.reserve(regions.size());
    for (int j = 0; j < regions.size(); ++j)
        m_slots.append({j + 1, regions[j], nullptr});
    if (!m_slots.isEmpty()) {
        buildRegionEditor(0); // also gives the height of one editor
        // A spacer gets no layout spacing of its own, an editor does: each
        // spacer carries it, so a built editor takes exactly its place.
        for (int i = 1; i < m_slots.size(); ++i)
            m_regionLayout->addSpacing(m_regionHeight + m_regionLayout->spacing());
    }
    m_content->setUpdatesEnabled(true);
    m_bg->verticalScrollBar()->setValue(0);
    buildVisibleRegions();
    if (builtRegionCount() < m_slots.size())
        m_regionFill->start();
}

RegionEditor *TaskEditor::buildRegionEditor(int index) {
    RegionSlot &slot = m_slots[index];
    if (slot.editor)
        return slot.editor;
    RegionEditor *editor = m_spareRegions.isEmpty() ? newRegionEditor() : m_spareRegions.takeLast();
    editor->setObjectName(QStringLiteral("ctlR_%1").arg(slot.number));
    editor->createRegion(slot.number, slot.region);
    // Layout item i stands for slot i: a spacer until now, or nothing yet
    // when the slot was just appended.
    if (index < m_regionLayout->count())
        delete m_regionLayout->takeAt(index);
    m_regionLayout->insertWidget(index, editor);
    slot.editor = editor;
    editor->show();
    if (m_regionHeight == 0) {
        editor->ensurePolished();
        m_regionHeight = editor->sizeHint().height();
    }
    linkTabOrder(index);
    return editor;
}

RegionEditor *TaskEditor::newRegionEditor() {
    auto *editor = new RegionEditor(m_dialogs, m_lengths, m_content);
    // Every editor keeps the height of its placeholder: a content panel a
    // few pixels short for a moment would otherwise squeeze (resize and lay
    // out again) every built editor at each new one.
    editor->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(editor, &RegionEditor::RegionChanged, this, &TaskEditor::markChanged);
    connect(editor, &RegionEditor::RegionRemoved, this, [this, editor] { regionRemoved(editor); });
    return editor;
}

void TaskEditor::fitPanes() {
    // The editor pane keeps the room a region's rows need (none of their
    // captions or boxes is cut), and the window opens wide enough for it
    // beside the whole list. The editor measured waits among the spares.
    RegionEditor *sample = newRegionEditor();
    sample->hide();
    sample->ensurePolished();
    m_spareRegions.append(sample);
    const QMargins margins = m_content->layout()->contentsMargins();
    const int editorPane = sample->minimumSizeHint().width() + margins.left() + margins.right() +
                           vsc()->sizeHint().width();
    m_bg->parentWidget()->setMinimumWidth(editorPane);
    const int listPane = m_list->header()->length() + 24; // with its frame and scroll bar
    resize(qMax(width(), listPane + m_splitter->handleWidth() + editorPane), height());
    m_splitter->setSizes({listPane, width() - listPane - m_splitter->handleWidth()});
}

void TaskEditor::linkTabOrder(int index) {
    // Tab goes through the regions in display order, then to 添加区间 and
    // 保存任务, whatever order their editors were built in.
    QWidget *previous = m_powerOffBox; // the last control of the task's own fields
    for (int j = index - 1; j >= 0; --j) {
        if (m_slots[j].editor) {
            previous = m_slots[j].editor->focusOrder().constLast();
            break;
        }
    }
    for (QWidget *w : m_slots[index].editor->focusOrder()) {
        setTabOrder(previous, w);
        previous = w;
    }
    for (int j = index + 1; j < m_slots.size(); ++j) {
        if (m_slots[j].editor)
            return;
    }
    setTabOrder(previous, m_picAddNew);
    setTabOrder(m_picAddNew, m_cmdSaveTask);
}

void TaskEditor::buildVisibleRegions() {
    if (m_slots.isEmpty() || m_buildingVisible)
        return;
    // Laying out may move the scroll bar, which calls here again.
    m_buildingVisible = true;
    m_content->layout()->activate();
    // Before the panel has its full height (while the window is first
    // shown) the places are squeezed together and say nothing.
    if (!m_content->isVisible() ||
        m_content->height() < m_content->layout()->minimumSize().height()) {
        m_buildingVisible = false;
        return;
    }
    const int top = m_bg->verticalScrollBar()->value();
    const int bottom = top + m_bg->viewport()->height();
    for (int i = 0; i < m_slots.size(); ++i) {
        if (m_slots[i].editor)
            continue;
        const QRect area = m_regionLayout->itemAt(i)->geometry();
        if (area.isEmpty() || area.bottom() < top)
            continue;
        if (area.top() > bottom)
            break;
        buildRegionEditor(i);
    }
    m_buildingVisible = false;
}

void TaskEditor::buildRegionsSlice() {
    QElapsedTimer slice;
    slice.start();
    for (int i = 0; i < m_slots.size(); ++i) {
        if (m_slots[i].editor)
            continue;
        buildRegionEditor(i);
        if (slice.nsecsElapsed() > kSliceNs)
            return; // the timer comes back once the event loop had its turn
    }
    m_regionFill->stop();
}

int TaskEditor::builtRegionCount() const {
    int built = 0;
    for (const RegionSlot &slot : m_slots)
        built += slot.editor ? 1 : 0;
    return built;
}

QList<RegionEditor *> TaskEditor::regionEditors() {
    QList<RegionEditor *> editors;
    for (int i = 0; i < m_slots.size(); ++i)
        editors.append(buildRegionEditor(i));
    m_regionFill->stop();
    return editors;
}

void TaskEditor::clearRegionEditors() {
    m_regionFill->stop();
    for (const RegionSlot &slot : std::as_const(m_slots)) {
        if (slot.editor) {
            slot.editor->hide();
            m_spareRegions.append(slot.editor);
        }
    }
    while (QLayoutItem *item = m_regionLayout->takeAt(0))
        delete item; // the item only: editors wait among the spares
    m_slots.clear();
}

void TaskEditor::picAddNewClick() {
    if (m_shownKey.isEmpty())
        return;
    int number = 1;
    for (const RegionSlot &slot : std::as_const(m_slots))
        number = qMax(number, slot.number + 1);
    Region region = newRegion();
    region.Title = QStringLiteral("区间") + QString::number(number);
    m_slots.append({number, region, nullptr});
    RegionEditor *editor = buildRegionEditor(int(m_slots.size()) - 1);
    markChanged();
    scrollToEnd();
    editor->titleBox()->setFocus();
}

void TaskEditor::regionRemoved(RegionEditor *editor) {
    for (int i = 0; i < m_slots.size(); ++i) {
        if (m_slots[i].editor != editor)
            continue;
        m_regionLayout->removeWidget(editor); // item i goes with it
        m_slots.remove(i);
        editor->hide();
        editor->deleteLater(); // it is still inside its own signal
        markChanged();
        return;
    }
}

} // namespace kolva
