// Start-up of the whole program in one process, built exactly as main()
// builds it: prints wall-clock stamps (ns since the epoch) when the window
// is first exposed and when the schedule is on, so that a script can measure
// from the moment it launched the process. Then, optionally, resident memory
// and CPU time over an idle period.
//   startup_bench APP_DIR [IDLE_SECONDS]
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>
#include <time.h>

#include "app/MainController.h"
#include "main/Application.h"
#include "ui/main/MainWindow.h"

namespace {

long long nowNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Notes the first expose of the window.
class ExposeWatch : public QObject {
public:
    long long exposedNs = 0;
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (!exposedNs && (event->type() == QEvent::Expose || event->type() == QEvent::Paint))
            exposedNs = nowNs();
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char **argv) {
    const long long mainNs = nowNs();
    QApplication app(argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: startup_bench APP_DIR [IDLE_SECONDS]\n");
        return 2;
    }
    const int idleSeconds = argc > 2 ? atoi(argv[2]) : 0;
    kolva::Application application(app, kolva::AppPaths{QString::fromLocal8Bit(argv[1])});
    ExposeWatch watch;
    application.window().installEventFilter(&watch);
    QApplication::setQuitOnLastWindowClosed(false);

    long long scheduleNs = 0;
    QObject::connect(&application.window(), &kolva::MainWindow::startUpFinished, [&] {
        scheduleNs = nowNs();
        printf("main_ns=%lld\n", mainNs);
        printf("shown_ns=%lld\n", watch.exposedNs);
        printf("schedule_ns=%lld\n", scheduleNs);
        printf("schedule_on=%d\n", application.controller().scheduleOn() ? 1 : 0);
        printf("tasks=%lld\n", static_cast<long long>(application.controller().tasks().size()));
        fflush(stdout);
        // Let the decoders load and the first timers run before measuring.
        QTimer::singleShot(2000, &app, [&] {
            printf("rss_kb=%ld\n", residentKb());
            fflush(stdout);
            if (idleSeconds <= 0) {
                app.quit();
                return;
            }
            const double cpuStart = cpuSeconds();
            QElapsedTimer wall;
            wall.start();
            QTimer::singleShot(idleSeconds * 1000, &app, [&, cpuStart, wall] {
                const double cpu = cpuSeconds() - cpuStart;
                printf("idle_wall_s=%.2f\nidle_cpu_s=%.3f\nidle_cpu_pct=%.3f\n",
                       wall.elapsed() / 1000.0, cpu, 100.0 * cpu / (wall.elapsed() / 1000.0));
                printf("rss_after_idle_kb=%ld\n", residentKb());
                app.quit();
            });
        });
    });
    return application.exec();
}
