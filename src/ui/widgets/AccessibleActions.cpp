#include "ui/widgets/AccessibleActions.h"

#include <QAccessibleWidget>
#include <QCheckBox>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace kolva {

namespace {

// A caption without its mnemonic marks ("&&" is one "&").
QString withoutMnemonic(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            out += text.at(i);
        else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&'))
            out += text.at(++i);
    }
    return out;
}

// The interface of every button: what Qt's own says (role, states, name,
// accelerator), with press and toggle run as a click after the reply.
class ButtonAccessible final : public QAccessibleWidget {
public:
    explicit ButtonAccessible(QAbstractButton *button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    QAccessible::Role role() const override {
        if (button()->isCheckable())
            return button()->autoExclusive() ? QAccessible::RadioButton : QAccessible::CheckBox;
        return QAccessible::Button;
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        const QAbstractButton *b = button();
        s.checkable = b->isCheckable();
        s.checked = b->isChecked();
        if (const auto *box = qobject_cast<const QCheckBox *>(b))
            s.checkStateMixed = box->checkState() == Qt::PartiallyChecked;
        s.pressed = b->isDown();
        if (const auto *push = qobject_cast<const QPushButton *>(b))
            s.defaultButton = push->isDefault();
        if (const auto *tool = qobject_cast<const QToolButton *>(b))
            s.hotTracked = tool->autoRaise();
        return s;
    }

    QString text(QAccessible::Text t) const override {
        QString text;
        if (t == QAccessible::Name) {
            text = widget()->accessibleName();
            if (text.isEmpty())
                text = withoutMnemonic(button()->text());
        } else if (t == QAccessible::Accelerator) {
            const auto *push = qobject_cast<const QPushButton *>(button());
            text =
                push && push->isDefault()
                    ? QKeySequence(Qt::Key_Enter).toString(QKeySequence::NativeText)
                    : QKeySequence::mnemonic(button()->text()).toString(QKeySequence::NativeText);
        }
        return text.isEmpty() ? QAccessibleWidget::text(t) : text;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (widget()->isEnabled())
            names << (button()->isCheckable() ? toggleAction() : pressAction());
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override {
        if (name != pressAction() && name != toggleAction()) {
            QAccessibleWidget::doAction(name);
            return;
        }
        runAfterReply(button(), [button = QPointer<QAbstractButton>(button())] {
            if (button && button->isEnabled())
                button->click();
        });
    }

    QStringList keyBindingsForAction(const QString &name) const override {
        if (name == pressAction() || name == toggleAction()) {
            const QKeySequence key = button()->shortcut();
            return key.isEmpty() ? QStringList() : QStringList{key.toString()};
        }
        return QAccessibleWidget::keyBindingsForAction(name);
    }

private:
    QAbstractButton *button() const { return static_cast<QAbstractButton *>(widget()); }
};

QAccessibleInterface *buttonFactory(const QString &className, QObject *object) {
    // Asked for each class of the object, the most derived first: Qt's own
    // button classes get ours. Buttons with a menu keep Qt's (its menu
    // actions); the program has none.
    static const QStringList buttons{QStringLiteral("QPushButton"), QStringLiteral("QToolButton"),
                                     QStringLiteral("QCheckBox"), QStringLiteral("QRadioButton")};
    if (!object || !object->isWidgetType() || !buttons.contains(className))
        return nullptr;
    auto *button = qobject_cast<QAbstractButton *>(object);
    const auto *push = qobject_cast<QPushButton *>(object);
    const auto *tool = qobject_cast<QToolButton *>(object);
    if (!button || (push && push->menu()) || (tool && tool->menu()))
        return nullptr;
    return new ButtonAccessible(button);
}

} // namespace

void runAfterReply(QObject *context, std::function<void()> work) {
    QTimer::singleShot(0, context, std::move(work));
}

void installAccessibleButtons() {
    // Qt keeps the factories for the process; one is enough.
    static const bool installed = (QAccessible::installFactory(buttonFactory), true);
    (void)installed;
}

} // namespace kolva
