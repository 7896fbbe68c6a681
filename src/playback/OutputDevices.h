#pragma once
// The sound output devices there are now, each by the stable name the sound
// server gives it (PulseAudio's or PipeWire's sink name, e.g.
// "alsa_output.usb-…": the same after a reboot, a re-plug or a renumbering)
// and its description for the user ("USB Audio 模拟立体声"). The platform's
// device watcher (platform/AudioDevices) writes the list as devices come and
// go; the output router, the "声音输出" dialog and the task editor read it.
// Tests write it by hand.
//
// Thread: UI thread.

#include <QHash>
#include <QObject>
#include <QString>
#include <QVector>

namespace kolva {

struct OutputDevice {
    QString name;        // stable name
    QString description; // for the user
    bool operator==(const OutputDevice &other) const = default;
};

class OutputDeviceList : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const QVector<OutputDevice> &devices() const { return m_devices; }
    bool isPresent(const QString &name) const;
    // The description of a device there now or seen earlier (also one only
    // remembered from the settings), else the stable name itself.
    QString describe(const QString &name) const;
    // The list now; `changed` when it differs from the one before.
    void setDevices(QVector<OutputDevice> devices);
    // A description known from elsewhere (the settings file) for a device
    // that may not be there.
    void remember(const QString &name, const QString &description);
    // How a list of choices shows a stored device that is not there now
    // (by its description): "「名称」(未连接)", never dropped.
    static QString absentText(const QString &description) {
        return QStringLiteral("「%1」(未连接)").arg(description);
    }

signals:
    void changed();

private:
    QVector<OutputDevice> m_devices;
    QHash<QString, QString> m_seen; // stable name -> last description
};

} // namespace kolva
