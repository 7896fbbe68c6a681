// The command line that drives the running copy: what it sends, what it
// prints and how it exits.

#include <gtest/gtest.h>

#include "app/RemoteCommand.h"

namespace kolva::test {
namespace {

TEST(RemoteCommand, ArgumentsBecomeOneRequestOrAUsageError) {
    const struct {
        QStringList args;
        const char *method; // nullptr: not a request to the running copy
        QVariantList sent;
        bool usageError;
    } cases[] = {
        {{}, nullptr, {}, false},
        {{"--preview"}, nullptr, {}, false}, // someone else's option
        {{"--play-task", "早操"}, "PlayTask", {"早操"}, false},
        {{"--play-task=早 操"}, "PlayTask", {"早 操"}, false},
        {{"--play-task"}, "PlayTask", {}, true},
        {{"--play-task="}, "PlayTask", {""}, true},
        {{"--stop"}, "Stop", {}, false},
        {{"--status"}, "Status", {}, false},
        {{"--schedule", "on"}, "SetSchedule", {true}, false},
        {{"--schedule=off"}, "SetSchedule", {false}, false},
        {{"--schedule", "maybe"}, "SetSchedule", {false}, true},
        {{"extra", "--status"}, "Status", {}, true},
    };
    for (const auto &c : cases) {
        const auto request = parseRemoteRequest(c.args);
        const QString what = c.args.join(' ');
        ASSERT_EQ(request.has_value(), c.method != nullptr) << what.toStdString();
        if (!request)
            continue;
        EXPECT_EQ(request->method, c.method) << what.toStdString();
        EXPECT_EQ(!request->usageError.isEmpty(), c.usageError) << what.toStdString();
        if (!c.usageError) {
            EXPECT_EQ(request->arguments, c.sent) << what.toStdString();
        }
    }
}

TEST(RemoteCommand, AnswersArePrintedInChineseWithTheirExitCodes) {
    const auto request = [](const QStringList &args) { return *parseRemoteRequest(args); };
    const RemoteReply done{RemoteReply::Done, true, {}};
    const struct {
        RemoteRequest request;
        RemoteReply reply;
        int exitCode;
        const char *text; // the start of what is printed
    } cases[] = {
        {request({"--play-task", "早操"}), done, 0, "已开始播放「早操」"},
        {request({"--play-task", "午休"}),
         {RemoteReply::Done, false, {}},
         1,
         "没有名为「午休」的任务"},
        {request({"--pause"}),
         {RemoteReply::Refused, {}, "没有正在播放的任务"},
         1,
         "没有正在播放的任务"},
        {request({"--stop"}), {RemoteReply::NotRunning, {}, {}}, 3, "KOLVA定时播放器没有运行"},
        {request({"--status"}), {RemoteReply::NoBus, {}, "no address"}, 4, "无法连接会话总线"},
        {request({"--schedule", "off"}), done, 0, "定时已停止"},
        {request({"--schedule"}), done, 2, "--schedule 需要一个参数\n用法："},
    };
    for (const auto &c : cases) {
        const RemoteOutcome outcome = remoteOutcome(c.request, c.reply);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.text;
        EXPECT_TRUE(outcome.text.startsWith(QString::fromUtf8(c.text)))
            << outcome.text.toStdString();
    }
}

TEST(RemoteCommand, StatusLinesNameWhatPlaysOnEachPlayer) {
    const QVariantMap status{
        {"schedule", true},          {"main.state", "Paused"},  {"main.task", "早操"},
        {"main.region", "铃声"},     {"main.song", "/m/a.wav"}, {"main.position", 65.2},
        {"insert.state", "Stopped"}, {"next.time", "12:00:00"}, {"next.task", "午休"}};
    EXPECT_EQ(remoteStatusText(status),
              "定时：开启\n"
              "主播：暂停  任务：早操  区间：铃声  歌曲：/m/a.wav  位置：01:05\n"
              "插播：停止\n"
              "下一个任务：12:00:00 午休");
    EXPECT_TRUE(remoteStatusText({{"schedule", false}}).endsWith("今天没有要开始的任务了"));
}

} // namespace
} // namespace kolva::test
