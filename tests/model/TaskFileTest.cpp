#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include "model/TaskFile.h"

using namespace kolva;

namespace {

QByteArray utf16le(const QString &text) {
    QByteArray b("\xFF\xFE", 2);
    for (QChar c : text) {
        b.append(char(c.unicode() & 0xFF));
        b.append(char(c.unicode() >> 8));
    }
    return b;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

TaskList sampleList() {
    Task t = newTask();
    t.Title = ""; // written as 任务
    t.Volume = -1;
    t.StartTime = "08:00:00";
    t.StopTime = "09:30:00";
    t.Enabled = false;
    t.PowerOff = true;
    Region r = newRegion();
    r.Title = ""; // written as 区间
    r.Sort = 1;
    r.Repeat = -1;
    r.Duration = "00:10:00";
    Song a;
    a.SongFile = "/音乐/铃声 1.mp3";
    a.Repeat = 2;
    a.StartTime = "00:00:05";
    a.Duration = "00:00:10";
    Song b;
    b.SongFile = "/music/b.wav";
    r.Songs = {a, b};
    Region empty = newRegion();
    empty.Title = "空";
    t.Regions = {r, empty};
    Task t2 = newTask();
    t2.Title = "下课";
    t2.StartTime = "10:00:00";
    return {t, t2};
}

// The file as the original program wrote it for sampleList(), line for line.
const char16_t *kExpected =
    u"<?xml version=\"1.0\"?>\r\n"
    u"<!--请以Unicode格式保存本文档-->\r\n"
    u"<Tasklist>\r\n"
    u"\t<Task Enabled=\"False\" Title=\"任务\" Volume=\"-1\" StartTime=\"08:00:00\" Duration=\"\" "
    u"StopTime=\"09:30:00\" PowerOff=\"True\">\r\n"
    u"\t\t<Region Title=\"区间\" Volume=\"-1\" Sort=\"1\" Repeat=\"-1\" Duration=\"00:10:00\">\r\n"
    u"\t\t\t<Song Repeat=\"2\" StartTime=\"00:00:05\" Duration=\"00:00:10\" SongFile=\"/音乐/铃声 "
    u"1.mp3\"/>\r\n"
    u"\t\t\t<Song Repeat=\"0\" StartTime=\"\" Duration=\"\" SongFile=\"/music/b.wav\"/>\r\n"
    u"\t\t</Region>\r\n"
    u"\t\t<Region Title=\"空\" Volume=\"-1\" Sort=\"0\" Repeat=\"0\" Duration=\"\">\r\n"
    u"\t\t</Region>\r\n"
    u"\t</Task>\r\n"
    u"\t<Task Enabled=\"True\" Title=\"下课\" Volume=\"100\" StartTime=\"10:00:00\" Duration=\"\" "
    u"StopTime=\"\" PowerOff=\"False\">\r\n"
    u"\t</Task>\r\n"
    u"</Tasklist>";

class TaskFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("task.xtask.dll"); }
};

} // namespace

TEST_F(TaskFileTest, SaveWritesTheExactBytes) {
    ASSERT_TRUE(saveTasks(path(), sampleList()));
    const QByteArray bytes = readAll(path());
    EXPECT_EQ(bytes, utf16le(QString::fromUtf16(kExpected)));
    EXPECT_TRUE(bytes.startsWith(QByteArray("\xFF\xFE<\x00", 4)));

    ASSERT_TRUE(saveTasks(path(), {}));
    EXPECT_EQ(readAll(path()), utf16le(QStringLiteral(
                                   "<?xml version=\"1.0\"?>\r\n<!--请以Unicode格式保存本文档-->\r\n"
                                   "<Tasklist>\r\n</Tasklist>")));
}

TEST_F(TaskFileTest, RoundTripRenumbersAndKeepsFields) {
    ASSERT_TRUE(saveTasks(path(), sampleList()));
    TaskList loaded;
    ASSERT_TRUE(loadTasks(path(), loaded));
    ASSERT_EQ(loaded.size(), 2);
    const Task &t = loaded[0];
    EXPECT_EQ(t.Title, "任务");
    EXPECT_EQ(t.Volume, -1);
    EXPECT_FALSE(t.Enabled);
    EXPECT_TRUE(t.PowerOff);
    EXPECT_EQ(t.StopTime, "09:30:00");
    ASSERT_EQ(t.Regions.size(), 2);
    EXPECT_EQ(t.Regions[0].Title, "区间");
    EXPECT_EQ(t.Regions[0].Repeat, -1);
    EXPECT_EQ(t.Regions[0].Sort, 1);
    ASSERT_EQ(t.Regions[0].Songs.size(), 2);
    EXPECT_EQ(t.Regions[0].Songs[0].SongFile, "/音乐/铃声 1.mp3");
    EXPECT_EQ(t.Regions[0].Songs[1].SongID, 1);
    EXPECT_EQ(t.Regions[0].Songs[1].ParentRegionID, 0);
    EXPECT_EQ(t.Regions[1].RegionID, 1);
    EXPECT_EQ(t.Regions[1].ParentTaskID, 0);
    EXPECT_TRUE(t.Regions[1].Songs.isEmpty());
    EXPECT_EQ(loaded[1].TaskID, 1);
    EXPECT_EQ(loaded[1].Regions.size(), 0);
}

TEST_F(TaskFileTest, ReservedCharactersSurviveSaveAndLoad) {
    const QString nasty = "a\"b&c<d>e\tf\r\ng'h &amp; ]]> 👍";
    Task t = newTask();
    t.Title = nasty;
    Region r = newRegion();
    r.Title = nasty;
    Song s;
    s.SongFile = "/tmp/" + nasty + ".mp3";
    r.Songs = {s};
    t.Regions = {r};
    ASSERT_TRUE(saveTasks(path(), {t}));
    TaskList loaded;
    ASSERT_TRUE(loadTasks(path(), loaded));
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(loaded[0].Title, nasty);
    EXPECT_EQ(loaded[0].Regions[0].Title, nasty);
    EXPECT_EQ(loaded[0].Regions[0].Songs[0].SongFile, s.SongFile);

    // Characters XML cannot hold are dropped rather than breaking the file.
    t.Title = QString("x") + QChar(0x01) + QChar(0xD800) + "y";
    ASSERT_TRUE(saveTasks(path(), {t}));
    ASSERT_TRUE(loadTasks(path(), loaded));
    EXPECT_EQ(loaded[0].Title, "xy");
}

TEST_F(TaskFileTest, ReadingDefaultsAndLenientValues) {
    writeBytes(path(),
               utf16le(QStringLiteral(
                   "<?xml version=\"1.0\"?>\r\n<!--请以Unicode格式保存本文档-->\r\n<Tasklist>\r\n"
                   "\t<Task PowerOff=\"TRUE\" Enabled=\"FALSE\" Volume=\"\" Title=\"\">\r\n"
                   "\t\t<Region Volume=\"\" Sort=\"\" "
                   "Repeat=\"\"><Song/><Other><Song/></Other></Region>\r\n"
                   "\t\t<Note>ignored</Note>\r\n"
                   "\t</Task>\r\n"
                   "\t<Task Enabled=\"no\" PowerOff=\"1\" Volume=\" 70%\">\r\n"
                   "\t\t<Region Volume=\"2.5\" Sort=\"abc\" Repeat=\"3.5\"><Song "
                   "Repeat=\"-1\"/></Region>\r\n"
                   "\t</Task>\r\n"
                   "\t<Extra><Task Title=\"nested, not a task\"/></Extra>\r\n"
                   "\t<Task/>\r\n"
                   "</Tasklist>")));
    TaskList l;
    ASSERT_TRUE(loadTasks(path(), l));
    ASSERT_EQ(l.size(), 3);
    EXPECT_FALSE(l[0].Enabled);
    EXPECT_TRUE(l[0].PowerOff);
    EXPECT_EQ(l[0].Volume, -1);
    EXPECT_EQ(l[0].Title, "");
    ASSERT_EQ(l[0].Regions.size(), 1);
    EXPECT_EQ(l[0].Regions[0].Volume, -1);
    EXPECT_EQ(l[0].Regions[0].Sort, 0);
    EXPECT_EQ(l[0].Regions[0].Repeat, 0);
    EXPECT_EQ(l[0].Regions[0].Songs.size(), 1); // the Song inside <Other> is not one
    EXPECT_TRUE(l[1].Enabled);
    EXPECT_FALSE(l[1].PowerOff);
    EXPECT_EQ(l[1].Volume, 70);
    EXPECT_EQ(l[1].Regions[0].Volume, 2); // halves go to the even neighbour
    EXPECT_EQ(l[1].Regions[0].Repeat, 4);
    EXPECT_EQ(l[1].Regions[0].Sort, 0);
    EXPECT_EQ(l[1].Regions[0].Songs[0].Repeat, -1);
    // An element lacking every attribute reads them as empty texts.
    EXPECT_TRUE(l[2].Enabled);
    EXPECT_EQ(l[2].Volume, -1);
    EXPECT_EQ(l[2].StartTime, "");
    EXPECT_EQ(l[2].TaskID, 2);
}

TEST_F(TaskFileTest, HandWrittenOriginalFileLoads) {
    // As a user would keep it after editing in Notepad: comment line, tabs,
    // attributes in another order, lower-case booleans.
    writeBytes(path(),
               utf16le(QStringLiteral(
                   "<?xml version=\"1.0\"?>\r\n<!--请以Unicode格式保存本文档-->\r\n<Tasklist>\r\n"
                   "\t<Task Title=\"早操\" Enabled=\"true\" StartTime=\"07:30:00\" Volume=\"80\" "
                   "StopTime=\"\" Duration=\"00:20:00\" PowerOff=\"false\">\r\n"
                   "\t\t<Region Repeat=\"1\" Title=\"广播体操\" Sort=\"0\" Volume=\"-1\" "
                   "Duration=\"\">\r\n"
                   "\t\t\t<Song SongFile=\"D:\\music\\体操.mp3\" Repeat=\"0\" StartTime=\"\" "
                   "Duration=\"\"/>\r\n"
                   "\t\t</Region>\r\n\t</Task>\r\n</Tasklist>")));
    TaskList l;
    ASSERT_TRUE(loadTasks(path(), l));
    ASSERT_EQ(l.size(), 1);
    EXPECT_EQ(l[0].Title, "早操");
    EXPECT_EQ(l[0].Volume, 80);
    EXPECT_EQ(l[0].Duration, "00:20:00");
    EXPECT_EQ(l[0].Regions[0].Title, "广播体操");
    EXPECT_EQ(l[0].Regions[0].Songs[0].SongFile, "D:\\music\\体操.mp3");
}

TEST_F(TaskFileTest, BadFilesLeaveTheListAsItWas) {
    const TaskList before = sampleList();
    TaskList l = before;
    EXPECT_FALSE(loadTasks(dir.filePath("missing.dll"), l));
    EXPECT_EQ(l.size(), before.size());
    EXPECT_EQ(l[0].StopTime, before[0].StopTime);

    for (const QString &bad : {QStringLiteral("<Tasklist><Task></Tasklist>"), QStringLiteral(""),
                               QStringLiteral("not xml at all"),
                               QStringLiteral("<Tasklist><Task Title=\"a&b\"/></Tasklist>"),
                               QStringLiteral("<Tasklist/><Tasklist/>")}) {
        writeBytes(path(), utf16le(bad));
        l = before;
        EXPECT_FALSE(loadTasks(path(), l)) << bad.toStdString();
        EXPECT_EQ(l.size(), 2);
        EXPECT_EQ(l[1].Title, "下课");
    }

    // A well-formed file with another root is a valid, empty list.
    writeBytes(path(), utf16le(QStringLiteral("<Other><Task Title=\"x\"/></Other>")));
    l = before;
    EXPECT_TRUE(loadTasks(path(), l));
    EXPECT_TRUE(l.isEmpty());
}

TEST_F(TaskFileTest, HostileFilesAreReadSafely) {
    // Entity expansion bomb.
    QString bomb = "<?xml version=\"1.0\"?><!DOCTYPE Tasklist [<!ENTITY a \"aaaaaaaaaa\">";
    QString prev = "a";
    for (int i = 0; i < 9; ++i) {
        const QString name = QString("e%1").arg(i);
        bomb +=
            QString("<!ENTITY %1 \"&%2;&%2;&%2;&%2;&%2;&%2;&%2;&%2;&%2;&%2;\">").arg(name, prev);
        prev = name;
    }
    bomb += QString("]><Tasklist><Task Title=\"&%1;\"/></Tasklist>").arg(prev);
    writeBytes(path(), utf16le(bomb));
    TaskList l = sampleList();
    loadTasks(path(), l); // refused or read: it must return, and not with a gigabyte title
    ASSERT_FALSE(l.isEmpty());
    EXPECT_LT(l[0].Title.size(), 1 << 20);

    // Deep nesting is read without recursion.
    QString deep = "<Tasklist>";
    for (int i = 0; i < 200000; ++i)
        deep += "<x>";
    for (int i = 0; i < 200000; ++i)
        deep += "</x>";
    deep += "<Task Title=\"after\"/></Tasklist>";
    writeBytes(path(), deep.toUtf8());
    ASSERT_TRUE(loadTasks(path(), l));
    ASSERT_EQ(l.size(), 1);
    EXPECT_EQ(l[0].Title, "after");

    // Oversized files are refused unread (sparse file: no real disk use).
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_TRUE(f.resize(kMaxTaskFileBytes + 10));
    }
    l = sampleList();
    EXPECT_FALSE(loadTasks(path(), l));
    EXPECT_EQ(l.size(), 2);
}

TEST_F(TaskFileTest, FailedSaveKeepsTheOldFileAndReportsIt) {
    ASSERT_TRUE(saveTasks(path(), sampleList()));
    const QByteArray good = readAll(path());

    // Disk full: the file size limit makes the write fail part-way.
    TaskList big;
    Task t = newTask();
    Region r = newRegion();
    Song s;
    s.SongFile = QString(200, QChar('x'));
    r.Songs.fill(s, 2000);
    t.Regions = {r};
    big = {t};
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool saved = saveTasks(path(), big, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(error.contains("无法保存任务文件")) << error.toStdString();
    EXPECT_EQ(readAll(path()), good);

    // A folder that cannot be written to (here: the folder is a file).
    const QString blocker = dir.filePath("notadir");
    writeBytes(blocker, "x");
    EXPECT_FALSE(saveTasks(blocker + "/task.xtask.dll", sampleList(), &error));
    EXPECT_FALSE(error.isEmpty());

    // Read-only folder (only meaningful when not running as root).
    if (::geteuid() != 0) {
        QDir(dir.path()).mkdir("ro");
        const QString ro = dir.filePath("ro/task.xtask.dll");
        ASSERT_TRUE(saveTasks(ro, sampleList()));
        QFile::setPermissions(dir.filePath("ro"), QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_FALSE(saveTasks(ro, {}, &error));
        QFile::setPermissions(dir.filePath("ro"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(readAll(ro), good);
    }

    // No temporary files are left behind.
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : left)
        EXPECT_FALSE(name.startsWith('.')) << name.toStdString();
}

TEST_F(TaskFileTest, PlayDaysAreWrittenOnlyWhenSetAndReadLeniently) {
    // A list that never used play days goes through load and save unchanged.
    const QByteArray original = utf16le(QString::fromUtf16(kExpected));
    writeBytes(path(), original);
    TaskList list;
    ASSERT_TRUE(loadTasks(path(), list));
    ASSERT_TRUE(saveTasks(path(), list));
    EXPECT_EQ(readAll(path()), original);

    // Set, they follow PowerOff: Days, then Holidays.
    list[0].Days = 0x1F;
    list[0].Holidays = true;
    list[1].Holidays = true;
    const QString text = taskFileText(list);
    EXPECT_TRUE(text.contains(u"PowerOff=\"True\" Days=\"1111100\" Holidays=\"True\">\r\n"));
    EXPECT_TRUE(text.contains(u"PowerOff=\"False\" Holidays=\"True\">\r\n"));
    ASSERT_TRUE(saveTasks(path(), list));
    TaskList back;
    ASSERT_TRUE(loadTasks(path(), back));
    EXPECT_EQ(back[0].Days, 0x1F);
    EXPECT_TRUE(back[0].Holidays);
    EXPECT_EQ(back[1].Days, 0x7F);

    const struct {
        const char *attributes;
        uint8_t days;
        bool holidays;
    } cases[] = {
        {"", 0x7F, false},
        {"Days=\"\" Holidays=\"\"", 0x7F, false},
        {"Days=\"0000011\" Holidays=\"true\"", 0x60, true},
        {"Days=\"0000000\"", 0x00, false},
        {"Days=\"111110\" Holidays=\"1\"", 0x7F, false},
        {"Days=\"11111x0\" Holidays=\"TRUE\"", 0x7F, true},
        {"Days=\"1111100 \"", 0x7F, false},
    };
    for (const auto &c : cases) {
        const QString file =
            QStringLiteral("<Tasklist><Task StartTime=\"08:00:00\" %1/></Tasklist>")
                .arg(QString::fromLatin1(c.attributes));
        TaskList read;
        ASSERT_TRUE(parseTaskFile(file.toUtf8(), read)) << c.attributes;
        ASSERT_EQ(read.size(), 1);
        EXPECT_EQ(read[0].Days, c.days) << c.attributes;
        EXPECT_EQ(read[0].Holidays, c.holidays) << c.attributes;
    }
}

TEST_F(TaskFileTest, CatchUpIsWrittenOnlyWhenNotDefaultAfterThePlayDays) {
    TaskList list{newTask(), newTask(), newTask()};
    list[0].CatchUp = 30;
    list[0].Holidays = true;
    list[1].CatchUp = kCatchUpWindow;
    const QString text = taskFileText(list);
    EXPECT_TRUE(text.contains(u"PowerOff=\"False\" Holidays=\"True\" CatchUp=\"30\">\r\n"));
    EXPECT_TRUE(text.contains(u"PowerOff=\"False\" CatchUp=\"Window\">\r\n"));
    EXPECT_EQ(text.count(u"CatchUp"), 2); // the default is not written
    const struct {
        const char *text;
        int32_t catchUp;
    } cases[] = {{"", 1},   {"0", 0}, {"window", kCatchUpWindow}, {"12.6", 13}, {"5000", 1440},
                 {"-3", 0}, {"x", 0}};
    for (const auto &c : cases)
        EXPECT_EQ(readCatchUp(QString::fromLatin1(c.text)), c.catchUp) << c.text;
}

TEST_F(TaskFileTest, AFailedLoadSaysWhyAndAMissingFileSaysNothing) {
    struct Case {
        QByteArray bytes;
        const char *place;
        const char *reason; // the kind of fault, in Chinese
    } cases[] = {
        {utf16le("<Tasklist><Task Title=\"a&b\"/></Tasklist>"), "第 1 行", "要写成 &amp;"},
        {utf16le("<?xml version=\"1.0\"?>\r\n<Tasklist>\r\n\t<Task>"), "第 3 行", "文件不完整"},
        {QByteArray("\xFF\xFE<\x00T\x00", 6) + QByteArray(1, 'a'), "第 1 行", "文件不完整"},
        {utf16le("<!DOCTYPE x [<!ENTITY e \"v\">]><Tasklist><Task Title=\"&f;\"/></Tasklist>"),
         "第 1 行", "实体 f 没有声明"},
        {"", "", "文件不完整"},
        {"<Tasklist>\xC3\x28</Tasklist>", "第 1 行", "文字编码不正确"},
        {"<!DOCTYPE t [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
         "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]><Tasklist><Task "
         "Title=\"&d;\"/></Tasklist>",
         "第 1 行", "实体展开后的内容超过了限制"},
        {"<Tasklist><Task></Region></Tasklist>", "第 1 行", "开始标签和结束标签不对应"},
        {"<Tasklist/><Tasklist/>", "第 1 行", "多余的内容"},
        {"<Tasklist><Task Title=\"a\" Title=\"b\"/></Tasklist>", "第 1 行", "属性 Title 重复出现"},
        {"<Tasklist>\x01</Tasklist>", "第 1 行", "不允许的字符"},
    };
    for (const Case &c : cases) {
        writeBytes(path(), c.bytes);
        TaskList l = sampleList();
        QString error;
        EXPECT_FALSE(loadTasks(path(), l, &error));
        EXPECT_TRUE(error.startsWith("任务列表文件无法读取：")) << error.toStdString();
        EXPECT_TRUE(error.contains(c.place)) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
        // Nothing in English but the names the file itself holds.
        EXPECT_FALSE(error.section(QStringLiteral("（"), 0, 0)
                         .contains(QRegularExpression(QStringLiteral("[A-Za-z]{6,}"))))
            << error.toStdString();
        EXPECT_EQ(l.size(), 2);
    }
    QDir(dir.path()).mkdir("folder.dll");
    QString error;
    TaskList l;
    EXPECT_FALSE(loadTasks(dir.filePath("folder.dll"), l, &error));
    EXPECT_TRUE(error.contains("不是普通文件")) << error.toStdString();
    error = "stale";
    EXPECT_FALSE(loadTasks(dir.filePath("missing.dll"), l, &error));
    EXPECT_TRUE(error.isEmpty());
}

TEST_F(TaskFileTest, SavesKeepThePreviousGoodFileAndNeverLoseAnUnreadableOne) {
    const QByteArray broken = utf16le("<Tasklist><Task Title=\"hand & written\"/></Tasklist>");
    writeBytes(path(), broken);
    QString kept;
    ASSERT_TRUE(saveTasks(path(), sampleList(), nullptr, &kept));
    EXPECT_TRUE(
        QRegularExpression("task\\.xtask\\.dll\\.unreadable-\\d{8}-\\d{6}$").match(kept).hasMatch())
        << kept.toStdString();
    EXPECT_EQ(readAll(kept), broken);
    EXPECT_FALSE(QFile::exists(path() + ".bak")); // an unreadable file is no good generation
    const QByteArray first = readAll(path());

    // The next save keeps the previous good bytes and renames nothing again.
    ASSERT_TRUE(saveTasks(path(), {}, nullptr, &kept));
    EXPECT_TRUE(kept.isEmpty());
    EXPECT_EQ(readAll(path() + ".bak"), first);
    ASSERT_TRUE(saveTasks(path(), sampleList()));
    EXPECT_EQ(readAll(path() + ".bak"), utf16le(taskFileText({})));
    EXPECT_EQ(readAll(path()), first);

    // A kept name that is taken is never overwritten.
    const QDateTime at(QDate(2026, 3, 4), QTime(5, 6, 7));
    for (const char *expected : {".unreadable-20260304-050607", ".unreadable-20260304-050607-2"}) {
        writeBytes(path(), expected);
        ASSERT_TRUE(keepUnreadableTaskFile(path(), at, &kept));
        EXPECT_EQ(kept, path() + expected);
        EXPECT_EQ(readAll(kept), QByteArray(expected));
    }
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(TaskFileTest, TheOutputDeviceIsWrittenLastAndOnlyWhenSet) {
    TaskList list(2, newTask());
    list[0].Holidays = true;
    list[0].Device = QStringLiteral("alsa_output.usb-Speaker_&_\"Co\"-00.analog-stereo");
    const QString text = taskFileText(list);
    EXPECT_TRUE(text.contains(u"Holidays=\"True\" Device=\"alsa_output.usb-Speaker_&amp;_&quot;"
                              u"Co&quot;-00.analog-stereo\">\r\n"));
    EXPECT_TRUE(text.contains(u"PowerOff=\"False\">\r\n")) << "no Device on the task without one";
    ASSERT_TRUE(saveTasks(path(), list));
    TaskList back;
    ASSERT_TRUE(loadTasks(path(), back));
    EXPECT_EQ(back[0].Device, list[0].Device);
    EXPECT_TRUE(back[1].Device.isEmpty());
}
