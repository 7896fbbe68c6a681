#include "app/RemoteCommand.h"

#include "Version.h"
#include "app/RemoteFacade.h"
#include "model/ClockTime.h"

namespace kolva {

namespace {

struct Option {
    const char *name;   // "--stop"
    const char *method; // "Stop"
    bool takesValue;
};
constexpr Option kOptions[] = {
    {"--play-task", "PlayTask", true}, {"--stop", "Stop", false},
    {"--pause", "Pause", false},       {"--resume", "Resume", false},
    {"--reload", "Reload", false},     {"--schedule", "SetSchedule", true},
    {"--status", "Status", false},
};

// The option an argument names ("--play-task" or "--play-task=NAME").
const Option *optionOf(const QString &argument) {
    for (const Option &o : kOptions) {
        const QLatin1String name(o.name);
        if (argument == name || (o.takesValue && argument.startsWith(name + QLatin1Char('='))))
            return &o;
    }
    return nullptr;
}

QString stateWord(const QString &state) {
    if (state == QLatin1String("Playing"))
        return QStringLiteral("播放");
    if (state == QLatin1String("Paused"))
        return QStringLiteral("暂停");
    return QStringLiteral("停止");
}

} // namespace

std::optional<RemoteRequest> parseRemoteRequest(const QStringList &arguments) {
    int at = -1;
    for (int i = 0; i < arguments.size() && at < 0; ++i) {
        if (optionOf(arguments[i]))
            at = i;
    }
    if (at < 0)
        return std::nullopt;
    const Option &option = *optionOf(arguments[at]);
    const QString name = QLatin1String(option.name);
    RemoteRequest request;
    request.method = QLatin1String(option.method);
    QStringList rest = arguments;
    rest.removeAt(at);
    QString value;
    bool hasValue = false;
    if (arguments[at].startsWith(name + QLatin1Char('='))) {
        value = arguments[at].mid(name.size() + 1);
        hasValue = true;
    } else if (option.takesValue && at < rest.size() && !optionOf(rest[at])) {
        value = rest.takeAt(at);
        hasValue = true;
    }
    if (option.takesValue && !hasValue) {
        request.usageError = QStringLiteral("%1 需要一个参数").arg(name);
    } else if (!rest.isEmpty()) {
        request.usageError = QStringLiteral("多余的参数：%1").arg(rest.join(QLatin1Char(' ')));
    } else if (request.method == QLatin1String("PlayTask")) {
        if (value.isEmpty())
            request.usageError = QStringLiteral("--play-task 需要任务的标题或编号");
        request.arguments << value;
    } else if (request.method == QLatin1String("SetSchedule")) {
        if (value != QLatin1String("on") && value != QLatin1String("off"))
            request.usageError = QStringLiteral("--schedule 只接受 on 或 off");
        request.arguments << (value == QLatin1String("on"));
    }
    return request;
}

QString remoteUsageText() {
    return QStringLiteral("  --play-task 名称   立即播放标题（或编号）为「名称」的任务\n"
                          "  --stop             停止正在播放的任务（定时保持不变）\n"
                          "  --pause            暂停正在播放的任务\n"
                          "  --resume           继续播放暂停的任务\n"
                          "  --reload           重新读取任务列表和节假日\n"
                          "  --schedule on|off  开启或停止定时\n"
                          "  --status           显示定时、两个播放器和今天的下一个任务\n"
                          "以上选项交给正在运行的" KOLVA_TITLE "执行，不会另外启动程序。\n"
                          "退出码：0 完成，1 被拒绝，2 参数错误，3 程序没有运行，4 没有会话总线");
}

QString notRunningText() {
    return QStringLiteral(KOLVA_TITLE "没有运行");
}

RemoteOutcome remoteOutcome(const RemoteRequest &request, const RemoteReply &reply) {
    if (!request.usageError.isEmpty())
        return {RemoteExitUsage,
                request.usageError + QStringLiteral("\n用法：\n") + remoteUsageText()};
    switch (reply.kind) {
    case RemoteReply::NotRunning:
        return {RemoteExitNotRunning, notRunningText()};
    case RemoteReply::NoBus:
        return {RemoteExitNoBus,
                QStringLiteral("无法连接会话总线（D-Bus），联系不到" KOLVA_TITLE "：") +
                    reply.message};
    case RemoteReply::Refused:
        return {RemoteExitRefused, reply.message};
    case RemoteReply::Done:
        break;
    }
    const QString &method = request.method;
    const QString argument = request.arguments.value(0).toString();
    if (method == QLatin1String("PlayTask")) {
        if (!reply.value.toBool())
            return {RemoteExitRefused, RemoteFacade::noSuchTaskText(argument)};
        return {RemoteExitDone, QStringLiteral("已开始播放「%1」").arg(argument)};
    }
    if (method == QLatin1String("Status"))
        return {RemoteExitDone, remoteStatusText(reply.value.toMap())};
    if (method == QLatin1String("SetSchedule"))
        return {RemoteExitDone, request.arguments.value(0).toBool() ? QStringLiteral("定时已开启")
                                                                    : QStringLiteral("定时已停止")};
    if (method == QLatin1String("Stop"))
        return {RemoteExitDone, QStringLiteral("已停止播放")};
    if (method == QLatin1String("Pause"))
        return {RemoteExitDone, QStringLiteral("已暂停")};
    if (method == QLatin1String("Resume"))
        return {RemoteExitDone, QStringLiteral("已继续播放")};
    return {RemoteExitDone, QStringLiteral("已重新读取任务列表")};
}

QString remoteStatusText(const QVariantMap &status) {
    QStringList lines;
    lines << (status.value(QStringLiteral("schedule")).toBool() ? QStringLiteral("定时：开启")
                                                                : QStringLiteral("定时：停止"));
    const std::pair<const char *, const char *> players[] = {{"main.", "主播"},
                                                             {"insert.", "插播"}};
    for (const auto &[prefix, caption] : players) {
        const auto value = [&](const char *key) {
            return status.value(QLatin1String(prefix) + QLatin1String(key));
        };
        QString line = QString::fromUtf8(caption) + QStringLiteral("：") +
                       stateWord(value("state").toString());
        if (const QString task = value("task").toString();
            !task.isEmpty() || !value("song").toString().isEmpty()) {
            line += QStringLiteral("  任务：%1  区间：%2  歌曲：%3  位置：%4")
                        .arg(task, value("region").toString(), value("song").toString(),
                             formatMinutesSeconds(value("position").toDouble()));
        }
        lines << line;
    }
    const QString nextTime = status.value(QStringLiteral("next.time")).toString();
    lines << (nextTime.isEmpty()
                  ? QStringLiteral("今天没有要开始的任务了")
                  : QStringLiteral("下一个任务：%1 %2")
                        .arg(nextTime, status.value(QStringLiteral("next.task")).toString()));
    return lines.join(QLatin1Char('\n'));
}

} // namespace kolva
