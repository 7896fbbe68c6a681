#include "ui/editor/OutputDeviceBox.h"

#include <QLabel>

#include "playback/OutputDevices.h"

namespace kolva {

OutputDeviceBox::OutputDeviceBox(QWidget *parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("cboDevice"));
    setAccessibleName(QStringLiteral("输出设备"));
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (m_filling || index < 0)
            return;
        const QString chosen = itemData(index).toString();
        if (chosen == m_device)
            return;
        m_device = chosen;
        emit deviceChosen();
    });
    fill();
}

QLabel *OutputDeviceBox::makeLabel(QWidget *parent) {
    auto *label = new QLabel(QStringLiteral("输出设备:"), parent);
    label->setBuddy(this);
    return label;
}

void OutputDeviceBox::setDevices(const OutputDeviceList *devices) {
    if (m_devices)
        disconnect(m_devices, nullptr, this, nullptr);
    m_devices = devices;
    if (devices)
        connect(devices, &OutputDeviceList::changed, this, &OutputDeviceBox::fill);
    fill();
}

void OutputDeviceBox::showDevice(const QString &stableName) {
    m_device = stableName;
    fill();
}

void OutputDeviceBox::fill() {
    m_filling = true;
    clear();
    addItem(QStringLiteral("默认"), QString());
    bool listed = m_device.isEmpty();
    if (m_devices) {
        for (const OutputDevice &d : m_devices->devices()) {
            addItem(d.description.isEmpty() ? d.name : d.description, d.name);
            listed = listed || d.name == m_device;
        }
    }
    if (!listed)
        addItem(OutputDeviceList::absentText(m_devices ? m_devices->describe(m_device) : m_device),
                m_device);
    setCurrentIndex(findData(m_device));
    m_filling = false;
}

} // namespace kolva
