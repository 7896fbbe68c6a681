// The program's entry: one running copy per installation folder, then the
// object graph of the main window (built in runApplication).
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <cstdio>

#include "Version.h"
#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "base/AppPaths.h"
#include "main/Application.h"
#include "main/RemoteMain.h"

int main(int argc, char **argv) {
    // kolva --play-task NAME and the like talk to the running copy and end.
    if (const std::optional<int> code = kolva::runRemoteCommand(argc, argv))
        return *code;
    // Options for a terminal or a remote shell run before any window system
    // is touched, and never look at a running copy's lock.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const kolva::CommandLine command = kolva::CommandLine::parse(arguments, QDate::currentDate());
    if (command.action != kolva::CommandLine::Action::Run)
        return kolva::runCommand(command, argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral(KOLVA_TITLE));
    QApplication::setApplicationVersion(QStringLiteral(KOLVA_VERSION_TEXT));
    // Qt's own dialogs and buttons speak Chinese (确定, 是(Y), 否(N), 取消)
    // whatever the desktop's language: the whole interface is Chinese.
    QTranslator qtChinese;
    if (qtChinese.load(QStringLiteral("qtbase_zh_CN"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtChinese);
    else
        fprintf(stderr, "qtbase_zh_CN.qm not found: Qt's dialogs stay in English\n");
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));

    // The folder decides whether written files stay beside the program or
    // go to the user's data folder (an installation owned by root).
    const kolva::AppPaths paths =
        kolva::AppPaths::forFolder(QCoreApplication::applicationDirPath());
    kolva::SingleInstance instance(paths.appPath);
    if (!instance.tryAcquire()) {
        // Also on stderr, for whoever started it from a terminal or a script.
        fprintf(stderr, "%s\n", qPrintable(kolva::SingleInstance::alreadyRunningText()));
        QMessageBox::information(nullptr, QStringLiteral(KOLVA_TITLE),
                                 kolva::SingleInstance::alreadyRunningText());
        return 0;
    }
    const QString problem = paths.prepareWritableFolder();
    if (!problem.isEmpty()) {
        // The program still runs (and plays what it can read); the user must
        // know that nothing it writes will be kept.
        fprintf(stderr, "%s\n", qPrintable(problem));
        QMessageBox::warning(nullptr, QStringLiteral(KOLVA_TITLE), problem);
    }
    return kolva::runApplication(app, paths);
}
