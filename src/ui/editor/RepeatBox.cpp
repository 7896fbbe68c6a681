#include "ui/editor/RepeatBox.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <algorithm>

namespace kolva {

RepeatBox::RepeatBox(const QString &unit, const QString &countName, QWidget *parent)
    : QWidget(parent), m_loop(new QCheckBox(QStringLiteral("循环"), this)),
      m_count(new QSpinBox(this)), m_unit(new QLabel(unit, this)) {
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(m_loop);
    row->addWidget(m_count);
    row->addWidget(m_unit);
    m_loop->setAccessibleName(QStringLiteral("循环"));
    m_count->setRange(1, MaxCount);
    m_count->setAccessibleName(countName);
    m_count->setToolTip(countName + QStringLiteral("(1-999)，勾选\"循环\"则一直播放"));
    m_unit->setBuddy(m_count);

    connect(m_loop, &QCheckBox::clicked, this, [this](bool checked) {
        m_repeat = checked ? -1 : 0;
        m_filling = true;
        m_count->setValue(1);
        m_filling = false;
        showCount();
        emit edited();
    });
    connect(m_count, &QSpinBox::valueChanged, this, [this](int n) {
        if (m_filling)
            return;
        m_repeat = n >= 2 ? n : 0;
        emit edited();
    });
    setRepeat(0);
}

void RepeatBox::setRepeat(int32_t stored) {
    m_repeat = stored;
    m_filling = true;
    m_loop->setChecked(stored < 0);
    m_count->setValue(std::clamp<int32_t>(stored, 1, MaxCount));
    m_filling = false;
    showCount();
}

void RepeatBox::showCount() {
    const bool endless = m_loop->isChecked();
    m_count->setVisible(!endless);
    m_unit->setVisible(!endless);
}

} // namespace kolva
