#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "platform/single_instance.h"

namespace codalume {
namespace {

using State = SingleInstanceLock::State;

TEST(SingleInstanceLockTest, OneHolderAtATime) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("codalume.lock"));
    auto first = std::make_unique<SingleInstanceLock>(path);
    EXPECT_EQ(first->state(), State::Acquired);
    {
        SingleInstanceLock second(path);
        EXPECT_EQ(second.state(), State::HeldElsewhere);
        EXPECT_TRUE(second.error().isEmpty());
    }
    // A refused second start must not have released the first one's lock.
    EXPECT_EQ(SingleInstanceLock(path).state(), State::HeldElsewhere);
    first.reset();
    EXPECT_EQ(SingleInstanceLock(path).state(), State::Acquired);
}

TEST(SingleInstanceLockTest, UnusableLockFilesAreReportedNotFatal) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    QFile::link(dir.filePath(QStringLiteral("target")), dir.filePath(QStringLiteral("link")));
    struct Case {
        const char *name;
        QString path;
    };
    const std::vector<Case> cases = {
        {"a folder", dir.filePath(QStringLiteral("folder"))},
        {"a missing folder", dir.filePath(QStringLiteral("missing/codalume.lock"))},
        {"a symbolic link", dir.filePath(QStringLiteral("link"))},
        {"under /proc", QStringLiteral("/proc/self/codalume.lock")},
    };
    for (const Case &c : cases) {
        SingleInstanceLock lock(c.path);
        EXPECT_EQ(lock.state(), State::Unavailable) << c.name;
        EXPECT_FALSE(lock.error().isEmpty()) << c.name;
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("target"))));
}

}  // namespace
}  // namespace codalume
