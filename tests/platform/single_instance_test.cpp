#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <optional>

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

// Whoever can write into the folder of the lock and the socket can put their own there: only
// a folder of this user closed to others is used, a link left in /tmp is not followed, and an
// unusable XDG_RUNTIME_DIR is not quietly replaced by /tmp.
TEST(RuntimeFolderTest, OnlyAPrivateFolderOfThisUserIsUsed) {
    QTemporaryDir dir;
    constexpr auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const auto folder = [&dir](const QString &name, QFile::Permissions mode) {
        const QString path = dir.filePath(name);
        QDir().mkpath(path);
        QFile::setPermissions(path, mode);
        return path;
    };
    const QString own = folder(QStringLiteral("own"), owner);
    const QString open = folder(QStringLiteral("open"), owner | QFile::WriteGroup);
    QFile(dir.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly);
    // What the fallback finds in a shared folder: a link to a private folder, or a folder
    // others may write to.
    const QString fallback = QStringLiteral("codalume-%1").arg(::geteuid());
    QDir().mkpath(dir.filePath(QStringLiteral("links")));
    QFile::link(own, dir.filePath(QStringLiteral("links/") + fallback));
    folder(QStringLiteral("loose/") + fallback, owner | QFile::WriteOther);
    struct Case {
        const char *name;
        std::optional<QString> runtime;  // XDG_RUNTIME_DIR; none: unset
        QString temporary;               // the shared folder of the fallback
        QString expected;                // empty: refused
    };
    const std::vector<Case> cases = {
        {"a private runtime folder", own, {}, own},
        {"a group-writable runtime folder", open, {}, {}},
        {"a file as runtime folder", dir.filePath(QStringLiteral("file")), {}, {}},
        {"a missing runtime folder", dir.filePath(QStringLiteral("missing")), {}, {}},
        {"unset: a new private folder", std::nullopt, dir.path(), dir.filePath(fallback)},
        {"unset: a link there", std::nullopt, dir.filePath(QStringLiteral("links")), {}},
        {"unset: a loose folder there", std::nullopt, dir.filePath(QStringLiteral("loose")), {}},
    };
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    for (const Case &c : cases) {
        if (c.runtime) {
            qputenv("XDG_RUNTIME_DIR", c.runtime->toLocal8Bit());
        } else {
            qunsetenv("XDG_RUNTIME_DIR");
        }
        const RuntimeFolder result = runtimeFolder(c.temporary);
        EXPECT_EQ(result.path, c.expected) << c.name;
        EXPECT_EQ(result.error.isEmpty(), !c.expected.isEmpty()) << c.name << qPrintable(result.error);
    }
    qputenv("XDG_RUNTIME_DIR", saved);
    EXPECT_EQ(QFile::permissions(dir.filePath(fallback)) & 0x0077, 0) << "the new folder";
}

}  // namespace
}  // namespace codalume
