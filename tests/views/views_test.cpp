// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

#include "support/file_test.h"
#include "support/scripted_platform.h"
#include "views/help_view.h"
#include "views/permission_helper.h"
#include "views/recent_images_view.h"

namespace codalume {
namespace {

// A regular file where a folder is expected makes writes fail for every user, root included.
using Views = testing::FileTest;

TEST_F(Views, ThePermissionProbeWritesWhereASaveWritesAndLeavesNothing) {
    enum Place { File, Leftover, Xdg, Missing };
    const struct {
        const char *fault;
        Place downloads;
    } rows[] = {
        {"an old probe file fails the check", Leftover},
        {"the XDG Downloads folder ignored", Xdg},
        {"an unwritable Downloads passes (another folder probed)", File},
        {"a Downloads a save would create fails", Missing},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.fault);
        testing::TempHome home;
        testing::ScriptedPlatform platform;
        const QString usual = home.file("Downloads");
        QDir().mkpath(row.downloads == Leftover ? usual : home.file(".config"));
        if (row.downloads != Missing) {  // the usual folder, a file, fails the XDG row
            writeFile(row.downloads == Leftover ? usual + "/permission_test.txt" : usual, "x");
        }
        if (row.downloads == Xdg && QDir().mkpath(home.file("In"))) {
            writeFile(home.file(".config/user-dirs.dirs"), "XDG_DOWNLOAD_DIR=\"$HOME/In\"\n");
        }
        const QString downloads = platform.downloadsDirectory();
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(PermissionHelper::checkPermissions(platform), row.downloads != File);
        EXPECT_EQ(QString::fromStdString(::testing::internal::GetCapturedStdout()),
                  row.downloads != File ? QString()
                                        : "Downloads目录写入测试失败: cannot write " + downloads +
                                              "/permission_test.txt: Not a directory\n");
        EXPECT_FALSE(QFileInfo::exists(downloads + "/permission_test.txt") ||
                     QFileInfo::exists(home.file("permission_test.txt")));
    }
}

// A failed check (on the help page, or a second after the very first start) offers the
// settings, which open the folder that holds Downloads.
TEST_F(Views, OnlyAFailedPermissionCheckOffersTheSettings) {
    const int first = firstButtonReturn, second = firstButtonReturn + 1;
    const QString welcome = "欢迎使用 Codalume", privacy = "需要Downloads目录的写入权限";
    const struct {
        const char *fault;
        bool help, pass;
        std::vector<int> answers;
        QStringList alerts;
        int urls;
    } rows[] = {
        {"a first-start prompt though the check passes", false, true, {}, {}, 0},
        {"more after 稍后再说", false, false, {second}, {welcome}, 0},
        {"no folder opened", false, false, {first, first}, {welcome, privacy}, 1},
        {"a failure shown as passed", true, false, {first, second}, {"权限设置不正确", privacy}, 0},
        {"a pass shown as failed", true, true, {}, {}, 0},
    };
    for (const auto &row : rows) {
        testing::TempHome home;
        testing::ScriptedPlatform platform;
        if (!row.pass) {
            writeFile(home.file("Downloads"), "x");  // a file where the folder should be
        }
        for (int answer : row.answers) {
            platform.answerNext(answer);
        }
        if (row.help) {
            HelpView view(platform);
            view.checkButton()->click();
            EXPECT_EQ(view.statusLabel()->text(),
                      row.pass ? "✅ 权限设置正确！" : "❌ 权限设置不正确！");
        } else {
            PermissionHelper::promptForPermissionsIfNeeded(platform);
            platform.runPendingTasks();
        }
        EXPECT_EQ(platform.messages(), row.alerts) << row.fault;
        EXPECT_EQ(platform.openedUrls, QList<QUrl>(row.urls, QUrl::fromLocalFile(home.path())))
            << row.fault;
    }
}

// Rows go by the keys and the menu, never their files; Enter reveals the row's file.
TEST_F(Views, RecentRowsGoByTheKeysAndTheMenuNeverTheirFiles) {
    testing::ScriptedPlatform platform;
    RecentImagesModel model;
    RecentImagesView view(platform, {}, model);
    for (const char *name : {"a.png", "b.png", "c.png"}) {
        writeFile(home.file(name), "x");
        model.addSaved(home.file(name), "Go", QDateTime::currentDateTime());
    }
    QListWidget *list = view.list();
    const auto press = [list](int row, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        list->setCurrentRow(row);
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(list, &event);
        QStringList names;
        for (int i = 0; i < list->count(); ++i) {
            names << list->itemWidget(list->item(i))->findChild<QLabel *>("name")->text();
        }
        return names.join(' ');
    };
    EXPECT_EQ(press(2, Qt::Key_Delete, Qt::KeypadModifier), "c.png b.png") << "keypad Delete";
    press(1, Qt::Key_Return);
    EXPECT_EQ(platform.revealed, QStringList({home.file("b.png")}));
    // The menu acts on the row it was opened on, even if the list changed meanwhile.
    emit list->customContextMenuRequested(list->visualItemRect(list->item(1)).center());
    QMenu *menu = view.findChild<QMenu *>();
    ASSERT_NE(menu, nullptr);
    view.deleteRows({0});
    menu->actions().value(0)->trigger();
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(entries(home.path()), QStringList({"a.png", "b.png", "c.png", "tmp"}));
}

}  // namespace
}  // namespace codalume
