#pragma once
// "声音输出": the program-wide output device. "系统默认" first, then each
// device there now by its description, and the stored one as
// "「名称」(未连接)" while it is not there; "试听" plays a short tone on the
// selected one; "设备不在时改用系统默认输出". The choice is held typed
// (chosen()), never read back from the list; the window stores it when the
// dialog is accepted. The list follows devices as they come and go.
//
// Thread: UI thread.

#include <QDialog>
#include <functional>

#include "app/OutputSettings.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace kolva {

class OutputDeviceList;

class OutputDialog : public QDialog {
    Q_OBJECT
public:
    // Plays the test tone on a device ("" = the system default); false when
    // it cannot be played there.
    using TonePlayer = std::function<bool(const QString &device)>;

    OutputDialog(const OutputDeviceList &devices, TonePlayer tone, QWidget *parent = nullptr);

    // Shows this choice (when the dialog opens).
    void showSettings(const OutputSettings &settings);
    const OutputSettings &chosen() const { return m_chosen; }

    // "试听" (public for the tests).
    void playTone();

    QListWidget *deviceList() const { return m_list; }
    QPushButton *toneButton() const { return m_tone; }
    QCheckBox *fallBackBox() const { return m_fallBack; }
    QLabel *toneLine() const { return m_toneLine; }

private:
    void fillList();
    void rowChosen(int row);

    const OutputDeviceList &m_devices;
    TonePlayer m_playTone;
    OutputSettings m_chosen;
    bool m_filling = false;
    QListWidget *m_list = nullptr;
    QPushButton *m_tone = nullptr;
    QCheckBox *m_fallBack = nullptr;
    QLabel *m_toneLine = nullptr;
};

} // namespace kolva
