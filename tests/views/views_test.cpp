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

TEST_F(Views, PermissionProbesRunInOrderTraceEachFailureAndLeaveNothing) {
    enum Place { File, Leftover, Xdg };
    const QString tail = "/permission_test.txt: Not a directory",
                  tmpFailed = "临时文件写入测试失败: cannot write {tmp}" + tail;
    const struct {
        const char *fault;
        Place tmp, downloads;
        QStringList traces;  // "{tmp}", "{downloads}" and "{system}" stand for the folders
    } rows[] = {
        // clang-format off
        {"an old probe file fails the check", Leftover, File, {}},
        {"the XDG Downloads folder ignored", File, Xdg, {tmpFailed}},
        {"all failing passes", File, File,
         {tmpFailed, "Downloads目录写入测试失败: cannot write {downloads}" + tail,
          "系统目录访问测试失败: cannot list {system}: No such file or directory"}},
        // clang-format on
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.fault);
        testing::TempHome home;
        testing::ScriptedPlatform platform;
        const auto prepare = [&home](Place place, const QString &usual) {
            QDir().mkpath(place == Leftover ? usual : home.file(".config"));
            writeFile(place == Leftover ? usual + "/permission_test.txt" : usual, "x");
            if (place == Xdg) {  // the usual folder fails: only the configured one passes
                QDir().mkpath(home.file("In"));
                writeFile(home.file(".config/user-dirs.dirs"), "XDG_DOWNLOAD_DIR=\"$HOME/In\"\n");
            }
            return usual;
        };
        qputenv("TMPDIR", prepare(row.tmp, home.file("t")).toUtf8());
        prepare(row.downloads, home.file("Downloads"));
        const QString system = home.file("system"), tmp = platform.temporaryDirectory(),
                      downloads = platform.downloadsDirectory();  // the system folder is absent
        ::testing::internal::CaptureStdout();
        // The check passes unless all three probes fail.
        EXPECT_EQ(PermissionHelper::checkPermissions(platform, system), row.traces.size() < 3);
        QStringList expected = row.traces;
        expected.replaceInStrings("{tmp}", tmp).replaceInStrings("{downloads}", downloads);
        EXPECT_EQ(QString::fromStdString(::testing::internal::GetCapturedStdout())
                      .split('\n', Qt::SkipEmptyParts),
                  expected.replaceInStrings("{system}", system));
        EXPECT_FALSE(QFileInfo::exists(tmp + "/permission_test.txt") ||
                     QFileInfo::exists(downloads + "/permission_test.txt"));
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
        writeFile(home.file("t"), "x");  // a file as temporary folder, and as Downloads
        writeFile(home.file("Downloads"), "x");
        qputenv("TMPDIR", (row.pass ? home.tmp() : home.file("t")).toUtf8());
        for (int answer : row.answers) {
            platform.answerNext(answer);
        }
        if (row.help) {
            HelpView view(platform);
            view.setSystemDirectory(home.file("absent"));
            view.checkButton()->click();
            EXPECT_EQ(view.statusLabel()->text(),
                      row.pass ? "✅ 权限设置正确！" : "❌ 权限设置不正确！");
        } else {
            PermissionHelper::promptForPermissionsIfNeeded(platform, home.file("absent"));
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
