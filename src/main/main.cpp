// The program's entry: one running copy per installation folder, then the
// object graph of the main window (built in runApplication).
#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "Version.h"
#include "app/SingleInstance.h"
#include "base/AppPaths.h"
#include "main/Application.h"

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral(KOLVA_TITLE));
    QApplication::setApplicationVersion(QStringLiteral(KOLVA_VERSION_TEXT));

    const kolva::AppPaths paths{QCoreApplication::applicationDirPath()};
    kolva::SingleInstance instance(paths.appPath);
    if (!instance.tryAcquire()) {
        // Also on stderr, for whoever started it from a terminal or a script.
        fprintf(stderr, "%s\n", qPrintable(kolva::SingleInstance::alreadyRunningText()));
        QMessageBox::information(nullptr, QStringLiteral(KOLVA_TITLE),
                                 kolva::SingleInstance::alreadyRunningText());
        return 0;
    }
    return kolva::runApplication(app, paths);
}
