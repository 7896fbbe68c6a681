#pragma once
// The program-wide sound output, kept in user/settings.ini (UTF-8):
//
//   [Output]
//   Device=alsa_output.usb-…       (empty or missing: the system default)
//   Description=USB 音箱            (shown while the device is not there)
//   FallBackToDefault=true         ("设备不在时改用系统默认输出")
//
// Read at start; written whole and atomically by the "声音输出" dialog. Lines
// of other sections, and comments, are kept as they are.

#include <QString>

namespace kolva {

struct OutputSettings {
    QString device; // stable name; "" = 系统默认
    QString description;
    bool fallBackToDefault = true;
    bool operator==(const OutputSettings &other) const = default;
};

// Reads the file into *settings. A missing file gives the defaults and
// false with *error empty; an unreadable one (not a file, no permission,
// not UTF-8) gives the defaults and false with a Chinese *error.
bool loadOutputSettings(const QString &path, OutputSettings *settings, QString *error);
// The file's text with the [Output] section set to `settings`, the rest of
// `previous` (the file as it was, may be empty) kept.
QString outputSettingsText(const QString &previous, const OutputSettings &settings);
// Writes the settings atomically; false with a Chinese *error.
bool saveOutputSettings(const QString &path, const OutputSettings &settings, QString *error);

} // namespace kolva
