#include "ui/main/OutputDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "playback/OutputDevices.h"

namespace kolva {

namespace {
constexpr int NameRole = Qt::UserRole + 1;
} // namespace

OutputDialog::OutputDialog(const OutputDeviceList &devices, TonePlayer tone, QWidget *parent)
    : QDialog(parent), m_devices(devices), m_playTone(std::move(tone)) {
    setObjectName(QStringLiteral("fOutput"));
    setWindowTitle(QStringLiteral("声音输出"));
    setWindowModality(Qt::WindowModal);

    auto *caption = new QLabel(QStringLiteral("输出设备(&D):"), this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstOutputDevices"));
    m_list->setAccessibleName(QStringLiteral("输出设备"));
    m_list->setMinimumSize(360, 160);
    caption->setBuddy(m_list);

    m_tone = new QPushButton(QStringLiteral("试听(&T)"), this);
    m_tone->setObjectName(QStringLiteral("cmdTestTone"));
    m_tone->setAccessibleName(QStringLiteral("试听"));
    m_tone->setAutoDefault(false);
    m_toneLine = new QLabel(this);
    m_toneLine->setObjectName(QStringLiteral("lblTestTone"));
    m_toneLine->setAccessibleName(QStringLiteral("试听结果"));
    m_toneLine->setWordWrap(true);

    m_fallBack = new QCheckBox(QStringLiteral("设备不在时改用系统默认输出"), this);
    m_fallBack->setObjectName(QStringLiteral("chkFallBack"));
    m_fallBack->setAccessibleName(QStringLiteral("设备不在时改用系统默认输出"));

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("cmdOutputOk"));
    ok->setAccessibleName(QStringLiteral("确定"));
    ok->setDefault(true);
    cancel->setObjectName(QStringLiteral("cmdOutputCancel"));
    cancel->setAccessibleName(QStringLiteral("取消"));

    auto *toneRow = new QHBoxLayout;
    toneRow->addWidget(m_tone);
    toneRow->addWidget(m_toneLine, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(m_list, 1);
    layout->addLayout(toneRow);
    layout->addWidget(m_fallBack);
    layout->addWidget(buttons);

    connect(m_list, &QListWidget::currentRowChanged, this, &OutputDialog::rowChosen);
    connect(m_tone, &QPushButton::clicked, this, &OutputDialog::playTone);
    connect(m_fallBack, &QCheckBox::toggled, this,
            [this](bool on) { m_chosen.fallBackToDefault = on; });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&m_devices, &OutputDeviceList::changed, this, &OutputDialog::fillList);
}

void OutputDialog::showSettings(const OutputSettings &settings) {
    m_chosen = settings;
    m_toneLine->clear();
    m_fallBack->setChecked(settings.fallBackToDefault);
    fillList();
    m_list->setFocus();
}

void OutputDialog::fillList() {
    m_filling = true;
    m_list->clear();
    auto add = [this](const QString &text, const QString &name) {
        auto *item = new QListWidgetItem(text, m_list);
        item->setData(NameRole, name);
        if (name == m_chosen.device)
            m_list->setCurrentItem(item);
    };
    add(QStringLiteral("系统默认"), QString());
    for (const OutputDevice &device : m_devices.devices())
        add(device.description.isEmpty() ? device.name : device.description, device.name);
    // The stored device stays in the list while it is away.
    if (!m_chosen.device.isEmpty() && !m_devices.isPresent(m_chosen.device))
        add(OutputDeviceList::absentText(m_devices.describe(m_chosen.device)), m_chosen.device);
    m_filling = false;
}

void OutputDialog::rowChosen(int row) {
    if (m_filling || row < 0)
        return;
    m_chosen.device = m_list->item(row)->data(NameRole).toString();
    m_chosen.description =
        m_chosen.device.isEmpty() ? QString() : m_devices.describe(m_chosen.device);
    m_toneLine->clear();
}

void OutputDialog::playTone() {
    const bool played = m_playTone && m_playTone(m_chosen.device);
    if (played)
        m_toneLine->setText(QStringLiteral("正在播放试听音…"));
    else if (m_chosen.device.isEmpty())
        m_toneLine->setText(QStringLiteral("系统默认输出无法播放"));
    else
        m_toneLine->setText(
            QStringLiteral("声音输出设备「%1」不在").arg(m_devices.describe(m_chosen.device)));
}

} // namespace kolva
