#include "ui/taskview/TaskRowsAccessible.h"

#include <QAccessibleWidget>
#include <QPointer>

#include "ui/taskview/TaskRows.h"
#include "ui/widgets/AccessibleActions.h"

namespace kolva {

namespace {

class RowAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    RowAccessible(TaskRows *rows, int index) : m_rows(rows), m_index(index) {}

    int index() const { return m_index; }
    const TaskRows *rows() const { return m_rows; }

    bool isValid() const override { return m_rows && m_index < m_rows->rows().size(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_rows ? m_rows->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override {
        return QAccessible::queryAccessibleInterface(m_rows.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text t) const override {
        if (!isValid())
            return QString();
        if (t == QAccessible::Name)
            return m_rows->rows()[m_index].text;
        if (t == QAccessible::Description)
            return m_rows->rowDescription(m_index);
        return QString();
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override {
        if (!isValid())
            return QRect();
        const QRect box = m_rows->rowRect(m_index);
        return QRect(m_rows->mapToGlobal(box.topLeft()), box.size());
    }
    QAccessible::Role role() const override {
        return clickable() ? QAccessible::Link : QAccessible::StaticText;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid())
            return s;
        s.readOnly = true;
        if (!m_rows->isVisible()) {
            s.invisible = true;
            return s;
        }
        // Rows scrolled out of the viewport are there, but off screen.
        const QWidget *viewport = m_rows->parentWidget();
        const QRect box = m_rows->rowRect(m_index);
        if (viewport && !QRect(QPoint(), viewport->size())
                             .intersects(QRect(m_rows->mapTo(viewport, box.topLeft()), box.size())))
            s.offscreen = true;
        if (clickable()) {
            s.focusable = true;
            s.linked = true;
            s.focused = m_rows->hasFocus() && m_rows->currentRow() == m_index;
        }
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ActionInterface && clickable())
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override {
        if (name != pressAction() || !isValid())
            return;
        // Playing starts after the reply (the player may take its time).
        runAfterReply(m_rows, [rows = m_rows, index = m_index] {
            if (rows)
                rows->activate(index);
        });
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    bool clickable() const {
        return isValid() && TaskRows::isClickable(m_rows->rows()[m_index].kind);
    }

    QPointer<TaskRows> m_rows;
    int m_index;
};

// The panel: a plain widget whose children are the rows, not child widgets.
class TaskRowsAccessible : public QAccessibleWidget {
public:
    explicit TaskRowsAccessible(TaskRows *rows) : QAccessibleWidget(rows, QAccessible::Pane) {}

    int childCount() const override { return int(rows()->rows().size()); }
    QAccessibleInterface *child(int index) const override { return rows()->accessibleRow(index); }
    int indexOfChild(const QAccessibleInterface *child) const override {
        const auto *row = dynamic_cast<const RowAccessible *>(child);
        return row && row->rows() == rows() ? row->index() : -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override {
        return rows()->accessibleRow(rows()->rowAt(rows()->mapFromGlobal(QPoint(x, y))));
    }
    QAccessibleInterface *focusChild() const override {
        return rows()->hasFocus() ? rows()->accessibleRow(rows()->currentRow()) : nullptr;
    }

private:
    TaskRows *rows() const { return static_cast<TaskRows *>(widget()); }
};

QAccessibleInterface *taskRowsFactory(const QString &, QObject *object) {
    if (auto *rows = qobject_cast<TaskRows *>(object))
        return new TaskRowsAccessible(rows);
    return nullptr;
}

} // namespace

void installTaskRowsAccessibility() {
    // Qt holds the factory for the process; adding it twice would ask twice.
    static const bool installed = (QAccessible::installFactory(taskRowsFactory), true);
    (void)installed;
}

QAccessibleInterface *newAccessibleRow(TaskRows *rows, int index) {
    return new RowAccessible(rows, index);
}

} // namespace kolva
