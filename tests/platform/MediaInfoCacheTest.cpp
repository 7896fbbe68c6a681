// Media lengths asked without blocking: answers come later on the UI thread,
// one discovery per path, and a path that cannot be read never holds the
// caller.
#include <gtest/gtest.h>

#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTimer>
#include <sys/stat.h>

#include "platform/MediaInfoCache.h"
#include "platform/PlayerHarness.h"
#include "support/MediaGen.h"

using namespace kolva;
using namespace kolva::test;

namespace {

struct Answers {
    explicit Answers(MediaInfoCache &cache) {
        QObject::connect(&cache, &MediaLengths::lengthKnown, &cache,
                         [this](const QString &path, double seconds) {
                             seconds_[path] = seconds;
                             ++count[path];
                         });
    }
    QHash<QString, double> seconds_;
    QHash<QString, int> count;
};

} // namespace

TEST(MediaInfoCacheTest, AnswersLaterForMediaMissingCorruptAndNeverAnsweringFifo) {
    MediaGen gen;
    QTemporaryDir dir;
    const QString wav = gen.make("len_wav", {{440, 0.5}});
    const QString ogg = gen.make("len_ogg", {{440, 0.7}}, MediaFormat::Ogg);
    const QString corrupt = gen.makeCorrupt("len_corrupt");
    const QString missing = dir.filePath("missing.mp3");
    const QString fifo = dir.filePath("fifo.mp3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_FALSE(wav.isEmpty());

    MediaInfoCache cache(3000);
    Answers answers(cache);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);

    // No one ever writes to the FIFO: opening it would wait for ever.
    const QStringList paths{fifo, missing, corrupt, wav, ogg};
    for (const QString &p : paths) {
        if (!p.isEmpty()) {
            EXPECT_EQ(cache.lookup(p), std::nullopt) << p.toStdString();
        }
    }
    EXPECT_TRUE(answers.count.isEmpty()) << "never answered from inside lookup";
    ASSERT_TRUE(waitUntil([&] { return cache.pending() == 0; }, 8000));
    EXPECT_GT(ticks, 0);

    const QHash<QString, double> expected{
        {fifo, 0}, {missing, 0}, {corrupt, 0}, {wav, 0.5}, {ogg, 0.7}};
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        if (it.key().isEmpty() || (it.key() == ogg && ogg.isEmpty()))
            continue;
        EXPECT_EQ(answers.count.value(it.key()), 1) << it.key().toStdString();
        EXPECT_NEAR(answers.seconds_.value(it.key(), -1), it.value(), 0.05)
            << it.key().toStdString();
        EXPECT_NEAR(cache.lookup(it.key()).value_or(-1), it.value(), 0.05)
            << "known now, answered at once: " << it.key().toStdString();
    }
}

TEST(MediaInfoCacheTest, OneDiscoveryForManyRequestsAndAgainOnlyWhenTheFileChanged) {
    MediaGen gen;
    QTemporaryDir dir;
    const QString path = dir.filePath("song.wav");
    ASSERT_TRUE(MediaGen::writeWav(path, {{440, 0.4}}));

    MediaInfoCache cache(3000, /*recheckMs=*/0);
    Answers answers(cache);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(cache.lookup(path), std::nullopt);
    ASSERT_TRUE(waitUntil([&] { return cache.pending() == 0; }));
    EXPECT_EQ(cache.discoveries(), 1);
    EXPECT_EQ(answers.count.value(path), 1);

    // Unchanged: the recheck only looks at size and time.
    EXPECT_NEAR(cache.lookup(path).value_or(-1), 0.4, 0.05);
    ASSERT_TRUE(waitUntil([&] { return cache.pending() == 0; }));
    EXPECT_EQ(cache.discoveries(), 1);
    EXPECT_EQ(answers.count.value(path), 1);

    // Rewritten longer: the old answer at once, the new one following.
    ASSERT_TRUE(MediaGen::writeWav(path, {{440, 0.9}}));
    EXPECT_NEAR(cache.lookup(path).value_or(-1), 0.4, 0.05);
    ASSERT_TRUE(waitUntil([&] { return cache.pending() == 0; }));
    EXPECT_EQ(cache.discoveries(), 2);
    EXPECT_NEAR(answers.seconds_.value(path), 0.9, 0.05);
}
