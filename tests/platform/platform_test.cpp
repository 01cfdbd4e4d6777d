// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include "platform/alert_dialog.h"
#include "platform/paths.h"
#include "platform/portal/portal_hotkey_backend.h"
#include "platform/qt_platform.h"
#include "platform/save_file.h"
#include "platform/single_instance.h"
#include "platform/x11/x11_hotkey_backend.h"
#include "support/file_test.h"

namespace codalume {
namespace {

// The first button is the default; the answer names the button pressed,
// closing the window answers the last one, and a button's action runs while the alert is still
// up (where Wayland lets a program set the clipboard). The caller's form is lent to the dialog:
// it must come back alive, scrolled when taller than the screen; texts are plain text.
TEST(AlertDialog, TheAnswerIsThePressedButtonAndTheFormComesBack) {
    QWidget tall;
    tall.setMinimumSize(450, 4000);
    auto *field = new QLabel(QStringLiteral("field"), &tall);
    const struct {
        QStringList buttons;
        int press;  // -1: the window is closed
        int answer;
    } rows[] = {{{"一", "二", "三"}, 2, 1002}, {{"尝试其它位置", "确定"}, -1, 1001}, {{}, 0, 1000}};
    for (const auto &row : rows) {
        Alert alert;
        alert.buttons = row.buttons;
        alert.messageText = QStringLiteral("<b>not bold</b>");
        alert.accessoryWidget = &tall;
        std::vector<std::pair<int, bool>> actions;
        AlertDialog *open = nullptr;
        alert.onButton = [&](int answer) { actions.emplace_back(answer, open->isVisible()); };
        QTimer::singleShot(0, [&] {
            open = qobject_cast<AlertDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(open, nullptr) << "no alert open";
            EXPECT_TRUE(open->buttons().front()->isDefault());
            EXPECT_EQ(open->buttons().back()->text(),  // no English "OK"
                      row.buttons.value(row.buttons.size() - 1, "确定"));
            EXPECT_EQ(open->messageLabel()->textFormat(), Qt::PlainText);
            EXPECT_TRUE(field->isVisible());
            EXPECT_LE(open->height(), open->screen()->availableGeometry().height());
            row.press < 0 ? open->reject() : open->buttons().at(row.press)->click();
        });
        EXPECT_EQ(QtPlatform().runAlert(alert), row.answer);
        EXPECT_EQ(actions, decltype(actions)(row.press < 0 ? 0 : 1, {row.answer, true}));
        EXPECT_EQ(tall.parentWidget(), nullptr);
    }
}

// A name typed into the chooser and Enter pick its entry and redraw the image view; Enter there
// does not also press the default button and save.
TEST(AlertDialog, APickInTheChooserRedrawsTheImageAndSavesNothing) {
    Alert alert;
    alert.buttons = {"保存图片", "取消"};
    alert.accessoryImageSize = QSize(60, 40);
    alert.choice = {"语言:", {"Go", "Rust"}, "Rust", [](const QString &item) {
                        QImage image(60, 40, QImage::Format_RGB32);
                        image.fill(item == "Go" ? Qt::red : Qt::blue);
                        return image;
                    }};
    QTimer::singleShot(0, [] {
        auto *open = qobject_cast<AlertDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(open, nullptr);
        EXPECT_EQ(open->choiceBox()->currentText(), "Rust");
        open->choiceBox()->setFocus();
        open->choiceBox()->lineEdit()->setText("go");
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(open->choiceBox(), &enter);
        EXPECT_EQ(open->accessoryImageLabel()->pixmap().toImage().pixelColor(30, 20),
                  QColor(Qt::red));
        QTimer::singleShot(0, open, [open] { open->buttons().back()->click(); });
    });
    EXPECT_EQ(QtPlatform().runAlert(alert), firstButtonReturn + 1);
}

// One holder of the lock at a time: a refused second one must not release the first one's.
// And whoever can write into the folder of the lock and the socket can put their own there:
// only a folder of this user closed to others is used, a link in its place is not followed, an
// unusable XDG_RUNTIME_DIR is not quietly replaced, and none is made where others can make it.
TEST(SingleInstance, OneLockHolderAtATimeInAPrivateFolderOfThisUser) {
    const testing::TempHome dir;  // gives XDG_CACHE_HOME back
    const QString lock = dir.file("codalume.lock");
    using State = SingleInstanceLock::State;
    const SingleInstanceLock first(lock);
    EXPECT_EQ(first.state(), State::Acquired);
    EXPECT_EQ(SingleInstanceLock(lock).state(), State::HeldElsewhere);
    EXPECT_EQ(SingleInstanceLock(lock).state(), State::HeldElsewhere);
    constexpr auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const auto folder = [&dir](const QString &name, QFile::Permissions mode) {
        QDir().mkpath(dir.file(name));
        QFile::setPermissions(dir.file(name), mode);
        return dir.file(name);
    };
    const QString own = folder("own", owner), fallback = "codalume-" + QSysInfo::machineHostName();
    QFile::link(own, folder("links", owner) + '/' + fallback);
    const struct {
        const char *fault;
        std::optional<QString> runtime;  // XDG_RUNTIME_DIR; none: unset
        QString cache, expected;         // XDG_CACHE_HOME; the folder used, or none
    } rows[] = {
        {"a private runtime folder refused", own, {}, own},
        {"a group-writable runtime folder used", folder("open", owner | QFile::WriteGroup), {}, {}},
        {"made where others can, no ~/.cache", std::nullopt, {}, dir.file(".cache/" + fallback)},
        {"a link in its place followed", std::nullopt, dir.file("links"), {}},
    };
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    for (const auto &row : rows) {
        row.runtime ? qputenv("XDG_RUNTIME_DIR", row.runtime->toLocal8Bit())
                    : qunsetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_CACHE_HOME", row.cache.toLocal8Bit());
        const RuntimeFolder result = runtimeFolder();
        EXPECT_EQ(result.path, row.expected) << row.fault;
        EXPECT_EQ(result.error.isEmpty(), !row.expected.isEmpty()) << row.fault;
    }
    qputenv("XDG_RUNTIME_DIR", saved);
    EXPECT_EQ(QFile::permissions(dir.file(".cache/" + fallback)) & 0x0077, 0) << "made open";
}

// The portal's answers that the KDE session of the end-to-end tests never gives: each row is a
// way to report "initialized" for a shortcut that can never fire, or to miss a real binding.
TEST(PortalBinding, OnlyAnAcceptedListedTriggeredShortcutIsBound) {
    const PortalShortcut bound{"capture", {{"trigger_description", "Meta+Shift+C"}}},
        unparsed{"capture", {{"trigger_description", ""}}},
        silent{"capture", {{"description", "获取剪贴板"}}},
        other{"other", {{"trigger_description", "C"}}};
    const struct {
        const char *name;
        uint code;
        QList<PortalShortcut> shortcuts;
        bool bound;
    } rows[] = {
        {"a portal that names no triggers", 0, {silent}, true},
        {"the user changed the trigger", 0, {other, bound}, true},
        {"empty list: offered only in BindShortcuts to KDE 5.27", 0, {}, false},
        {"a trigger the desktop could not parse", 0, {unparsed}, false},
        {"only other programs' shortcuts", 0, {other}, false},
        {"the user said no", 1, {bound}, false},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(portalBound(row.code, row.shortcuts, "capture"), row.bound) << row.name;
    }
}

// Other modifiers held must not stop the shortcut; a release missed because Super went up
// first would leave the key held, and the next press would count as a repeat.
TEST(X11Shortcut, TheKeyWithSuperAndShiftWhateverElseIsHeld) {
    constexpr uint16_t superShift = XCB_MOD_MASK_4 | XCB_MOD_MASK_SHIFT, alt = XCB_MOD_MASK_1;
    const auto matches = [](bool press, int key, uint16_t state) {
        return X11HotkeyBackend::isShortcut(54, XCB_MOD_MASK_4, press, key, state);
    };
    EXPECT_TRUE(matches(true, 54, superShift | alt | XCB_MOD_MASK_LOCK)) << "extra modifiers";
    EXPECT_FALSE(matches(true, 54, XCB_MOD_MASK_SHIFT)) << "shift+c";
    EXPECT_FALSE(matches(true, 55, superShift)) << "another key";
    EXPECT_TRUE(matches(false, 54, XCB_MOD_MASK_SHIFT)) << "released after Super";
}

using SaveFileTest = testing::FileTest;

// An empty temporary folder would turn later writes into writes relative to the working folder.
TEST_F(SaveFileTest, AMissingTemporaryFolderKeepsItsName) {
    qputenv("TMPDIR", (home.path() + "/gone/../missing").toUtf8());
    EXPECT_EQ(temporaryDirectory(), home.path() + "/missing");
}

// Any kind of entry under a name counts as taken: a file, a folder, a link to nowhere. A killed
// run's temporary file goes; one whose lock is held (a save under way) and a link stay.
TEST_F(SaveFileTest, ANewFileTakesTheFirstFreeNameAndReplacesNothing) {
    const QString folder = home.path();
    writeFile(folder + "/shot.png", "old");
    ASSERT_TRUE(QDir(folder).mkdir("shot_2.png"));
    ASSERT_TRUE(QFile::link(folder + "/nowhere", folder + "/shot_3.png"));
    writeFile(folder + "/.codalume-Left01", "killed");
    writeFile(folder + "/.codalume-Live01", "writing");
    QFile live(folder + "/.codalume-Live01");
    ASSERT_TRUE(live.open(QIODevice::ReadOnly) && ::flock(live.handle(), LOCK_EX) == 0);
    ASSERT_TRUE(QFile::link(folder + "/shot.png", folder + "/.codalume-Link01"));
    const WriteResult result = writeNewFile(folder, "shot.png", "new");
    ASSERT_FALSE(result.error.has_value()) << result.error->description.toStdString();
    EXPECT_EQ(result.path, folder + "/shot_4.png");
    EXPECT_EQ(readFile(result.path), "new");
    EXPECT_EQ(readFile(folder + "/shot.png"), "old");
    EXPECT_EQ(entries(folder), QStringList({".codalume-Link01", ".codalume-Live01", "shot.png",
                                            "shot_2.png", "shot_3.png", "shot_4.png", "tmp"}));
}

TEST_F(SaveFileTest, AFailedWriteReportsItsErrorAndLeavesNothing) {
    writeFile(home.file("plain"), "not a folder");
    const FileContent bad = [](QIODevice &out, QString *reason) {
        *reason = QStringLiteral("too large");
        return out.write("half") < 0;
    };
    const FileContent fine = [](QIODevice &out, QString *) { return out.write("x") == 1; };
    const struct {
        const char *fault;
        QString folder, name;
        FileContent content;
        FileError error;
    } rows[] = {
        {"failed content left behind", home.path(), "a", bad, {"too large", 1001, "com.codalume"}},
        {"a failed rename leaves the temporary file", home.path(), "missing/a", fine,
         posixError(ENOENT)},
        {"a file taken for a folder", home.file("plain"), "a", fine, posixError(ENOTDIR)},
    };
    for (const auto &row : rows) {
        const WriteResult result = writeNewFile(row.folder, row.name, row.content);
        EXPECT_EQ(result.error, row.error) << row.fault;
        EXPECT_TRUE(result.path.isEmpty()) << row.fault;
        EXPECT_EQ(entries(home.path()), QStringList({"plain", "tmp"})) << row.fault;
    }
}

// A chain of links is followed to its end, which takes the content (made when missing, else
// keeping its mode), and every link stays. Refused: a link the kernel would not follow (in a
// sticky world-writable folder, owned neither by us nor by the folder's owner), a loop, a folder.
TEST_F(SaveFileTest, ReplacingFollowsLinksWhereTheKernelWouldAndNeverReplacesOne) {
    const auto link = [this](const QString &target, const QString &name) {
        ASSERT_EQ(::symlink(target.toUtf8(), home.file(name).toUtf8()), 0) << name.toStdString();
    };
    writeFile(home.file("c.png"), "old");
    ASSERT_TRUE(QFile::setPermissions(home.file("c.png"), QFile::ReadOwner | QFile::WriteOwner));
    link("b.png", "a.png"), link("c.png", "b.png"), link("e.png", "d.png"), link("f.png", "e.png");
    link("loop2", "loop1"), link("loop1", "loop2");
    ASSERT_TRUE(QDir(home.path()).mkdir("folder.png") && QDir(home.path()).mkdir("shared"));
    ASSERT_EQ(::chmod(home.file("shared").toUtf8(), 01777), 0);
    link("../c.png", "shared/theirs.png");
    const bool stranger = ::lchown(home.file("shared/theirs.png").toUtf8(), 65534, 65534) == 0;
    const struct {
        const char *fault, *name, *end;
        int error;
    } rows[] = {
        {"the first link replaced, not the chain's end", "a.png", "c.png", 0},
        {"a missing end not made", "d.png", "f.png", 0},
        {"a stranger's link in a shared folder followed", "shared/theirs.png", "c.png", EACCES},
        {"a loop replaced", "loop1", "", ELOOP},
        {"a folder replaced", "folder.png", "", EISDIR},
    };
    for (const auto &row : rows) {
        if (row.error == EACCES && !stranger) {
            continue;  // reported below
        }
        EXPECT_EQ(replaceFile(home.file(row.name), row.fault).value_or(FileError{}).code, row.error)
            << row.fault;
        EXPECT_EQ(readFile(home.file(row.end)) == row.fault, row.error == 0) << row.fault;
    }
    EXPECT_FALSE(QFile::permissions(home.file("c.png")) & QFile::ReadOther) << "a new file's mode";
    for (const char *name : {"a.png", "b.png", "d.png", "e.png", "loop1", "shared/theirs.png"}) {
        EXPECT_TRUE(QFileInfo(home.file(name)).isSymLink()) << name;
    }
    EXPECT_EQ(entries(home.path()).filter(".codalume-"), QStringList());
    if (!stranger) {
        GTEST_SKIP() << "the stranger's link needs root to be made";
    }
}

}  // namespace
}  // namespace codalume
