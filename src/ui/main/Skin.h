#pragma once
// Skins: a ".she" file is a Qt style sheet (UTF-8 text) that the whole
// application takes at once. The default skin AppPath/user/compact.she.dll is
// applied at start; the user may pick another file with cmdSkin, which is not
// remembered. A file that is missing, unreadable or not a usable style sheet
// leaves the look as it is, without a message.

#include <QString>

class QApplication;

namespace kolva {

class Skin {
public:
    // Reads and checks the file and, when usable, applies it to the whole
    // application. Returns whether the skin was applied.
    static bool apply(QApplication &app, const QString &filePath);

    // A light structural check of a style sheet: text only, comments and
    // strings closed, rules of the form "selectors { name: value; ... }"
    // without nesting. Qt itself would silently ignore a sheet it cannot
    // parse, leaving a half-styled window; a refused file keeps the old look.
    static bool isUsableStyleSheet(const QString &text);
};

} // namespace kolva
