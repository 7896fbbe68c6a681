#pragma once
// The task editor's "输出设备:" choice: 默认 (the program-wide output) and
// each device there now by its description; the task's stored device, when
// it is not there, as "「名称」(未连接)" (never dropped, so a save keeps it).
// Holds the chosen stable name itself; the list follows devices as they
// come and go.
//
// Thread: UI thread.

#include <QComboBox>
#include <QPointer>

class QLabel;

namespace kolva {

class OutputDeviceList;

class OutputDeviceBox : public QComboBox {
    Q_OBJECT
public:
    explicit OutputDeviceBox(QWidget *parent = nullptr);

    // The devices to offer (none set: only 默认 and the stored one).
    void setDevices(const OutputDeviceList *devices);
    // The task's device ("" = 默认), when a task is shown.
    void showDevice(const QString &stableName);
    const QString &device() const { return m_device; }
    // Its caption "输出设备:", buddied to the box.
    QLabel *makeLabel(QWidget *parent);

signals:
    // The user chose another entry.
    void deviceChosen();

private:
    void fill();

    QPointer<const OutputDeviceList> m_devices;
    QString m_device;
    bool m_filling = false;
};

} // namespace kolva
