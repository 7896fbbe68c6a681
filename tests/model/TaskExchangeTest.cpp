// The text form of a Task for the detail view: the documented example, a
// round trip, and malformed texts that must be refused whole.
#include <gtest/gtest.h>

#include "model/TaskExchange.h"

using namespace kolva;

TEST(TaskExchangeTest, ReadsTheExampleRegionAndRoundTrips) {
    const QString example =
        QStringLiteral("A|-1|1|0||0|1|0@SONGINFO@@SONGINFO@@SONGINFO@D:\\a.mp3@SONGINFO@0");
    const auto read = readTaskExchange(QStringLiteral("T|80|08:00:00||00:10:00|7|False|True"),
                                       {QStringLiteral("1"), example});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Title, "T");
    EXPECT_EQ(read->Volume, 80);
    EXPECT_EQ(read->TaskID, 7);
    EXPECT_FALSE(read->Enabled);
    EXPECT_TRUE(read->PowerOff);
    ASSERT_EQ(read->Regions.size(), 1);
    const Region &r = read->Regions[0];
    EXPECT_EQ(r.Title, "A");
    EXPECT_EQ(r.Volume, -1);
    EXPECT_EQ(r.Sort, 1);
    ASSERT_EQ(r.Songs.size(), 1);
    EXPECT_EQ(r.Songs[0].SongFile, "D:\\a.mp3");
    EXPECT_EQ(regionExchangeTexts(*read), (QStringList{"1", example}));
    EXPECT_EQ(taskExchangeText(*read), "T|80|08:00:00||00:10:00|7|False|True");

    const auto none = readTaskExchange(QStringLiteral("X|100||||0|True|False"), {"0"});
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->Regions.isEmpty());
}

TEST(TaskExchangeTest, RefusesMalformedTextsWithAReason) {
    const QString task = QStringLiteral("T|80|08:00:00|||7|True|False");
    const QString song = QStringLiteral("0@SONGINFO@@SONGINFO@@SONGINFO@/a.mp3@SONGINFO@0");
    const struct {
        QString task;
        QStringList regions;
    } cases[] = {
        {QStringLiteral("T|loud|08:00:00|||7|True|False"), {"0"}}, // volume not a number
        {QStringLiteral("T|80|08:00:00"), {"0"}},                  // fields missing
        {QStringLiteral("T|80|||||maybe|False"), {"0"}},           // not a Boolean
        {task, {"2", "A|-1|0|0||0|0|"}},                           // fewer regions than counted
        {task, {"1", "A|-1|x|0||0|0|"}},                           // sort not a number
        {task, {"1", "A|-1|0|0||0|2|" + song}},                    // fewer songs than counted
        {task, {"1", "A|-1|0|0||0|1|0@SONGINFO@/a.mp3"}},          // song fields missing
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_FALSE(readTaskExchange(c.task, c.regions, &error))
            << c.task.toStdString() << " / " << c.regions.join(" ; ").toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}
