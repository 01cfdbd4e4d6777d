#include "platform/alert_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <functional>

#include "platform/icons.h"
#include "platform/qt_platform.h"

namespace codalume {
namespace {

// Runs the alert through the real platform; `inspect` sees the open dialog and picks the
// button to press (or -1 to close the window without one).
int runAndInspect(const Alert &alert, const std::function<int(AlertDialog &)> &inspect) {
    QTimer::singleShot(0, [&inspect] {
        auto *dialog = qobject_cast<AlertDialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "no alert open";
            return;
        }
        const int index = inspect(*dialog);
        if (index < 0) {
            dialog->reject();
        } else {
            dialog->buttons().at(index)->click();
        }
    });
    QtPlatform platform;
    return platform.runAlert(alert);
}

QStringList titles(const AlertDialog &dialog) {
    QStringList list;
    for (const QPushButton *button : dialog.buttons()) {
        list << button->text();
    }
    return list;
}

TEST(AlertDialog, ButtonsKeepTheirOrderTheFirstIsDefaultAndTheAnswerIsTheIndex) {
    struct Case {
        QStringList buttons;
        int press;  // -1: the window is closed
        QStringList shown;
        int answer;
    };
    const Case cases[] = {
        {{"保存图片", "取消"}, 0, {"保存图片", "取消"}, 1000},
        {{"保存图片", "取消"}, 1, {"保存图片", "取消"}, 1001},
        {{"一", "二", "三"}, 2, {"一", "二", "三"}, 1002},
        {{"尝试其它位置", "确定"}, -1, {"尝试其它位置", "确定"}, 1001},
        {{}, 0, {"确定"}, 1000},  // the interface is Chinese: no English "OK"
    };
    for (const Case &c : cases) {
        Alert alert;
        alert.messageText = QStringLiteral("消息");
        alert.buttons = c.buttons;
        const int answer = runAndInspect(alert, [&c](AlertDialog &dialog) {
            EXPECT_EQ(titles(dialog), c.shown);
            EXPECT_TRUE(dialog.buttons().front()->isDefault());
            for (int i = 1; i < dialog.buttons().size(); ++i) {
                EXPECT_FALSE(dialog.buttons()[i]->isDefault());
            }
            // Left to right in the given order.
            for (int i = 1; i < dialog.buttons().size(); ++i) {
                EXPECT_LT(dialog.buttons()[i - 1]->x(), dialog.buttons()[i]->x());
            }
            return c.press;
        });
        EXPECT_EQ(answer, c.answer) << c.shown.join(',').toStdString();
    }

    // A pressed button's action runs while the alert is still up and focused (where Wayland
    // lets a program set the clipboard); closing the window presses nothing.
    for (const int press : {1, -1}) {
        Alert alert;
        alert.buttons = {QStringLiteral("在文件管理器中显示"), QStringLiteral("复制图片"),
                         QStringLiteral("确定")};
        std::vector<std::pair<int, bool>> actions;
        AlertDialog *open = nullptr;
        alert.onButton = [&](int answer) {
            actions.emplace_back(answer, open != nullptr && open->isVisible());
        };
        const int answer = runAndInspect(alert, [&](AlertDialog &dialog) {
            open = &dialog;
            return press;
        });
        EXPECT_EQ(answer, press < 0 ? 1002 : 1001);
        using Actions = std::vector<std::pair<int, bool>>;
        EXPECT_EQ(actions, press < 0 ? Actions() : Actions({{1001, true}}));
    }
}

TEST(AlertDialog, TheAccessoryImageFillsItsViewProportionally) {
    struct Case {
        QSize view;
        QSize image;
        QSize shown;  // in points
    };
    const Case cases[] = {
        {{600, 400}, {2400, 400}, {600, 100}},   // wide picture scaled down
        {{600, 400}, {100, 200}, {200, 400}},    // small picture scaled up
        {{300, 200}, {8000, 8000}, {200, 200}},  // huge clipboard image
        {{300, 200}, {1, 1}, {200, 200}},
    };
    for (const Case &c : cases) {
        Alert alert;
        alert.style = AlertStyle::Informational;
        alert.messageText = QStringLiteral("图片预览");
        alert.accessoryImage = QImage(c.image, QImage::Format_ARGB32);
        alert.accessoryImage.fill(Qt::darkCyan);
        alert.accessoryImageSize = c.view;
        alert.buttons = {QStringLiteral("保存图片"), QStringLiteral("取消")};
        runAndInspect(alert, [&c](AlertDialog &dialog) {
            QLabel *view = dialog.accessoryImageLabel();
            EXPECT_NE(view, nullptr);
            if (view != nullptr) {
                EXPECT_EQ(view->size(), c.view);
                const QPixmap pixmap = view->pixmap();
                EXPECT_EQ((pixmap.deviceIndependentSize()).toSize(), c.shown);
            }
            return 1;
        });
    }
}

TEST(AlertDialog, IconsTextsAndTheCallersFormSurviveTheDialog) {
    ASSERT_TRUE(hasSymbol(QStringLiteral("photo.fill")));
    ASSERT_FALSE(hasSymbol(QStringLiteral("no.such.symbol")));
    ASSERT_FALSE(hasSymbol(QStringLiteral("../icons/photo.fill")));

    QWidget form;
    auto *field = new QLabel(QStringLiteral("field"), &form);
    QWidget *formPointer = &form;
    Alert alert;
    alert.style = AlertStyle::Critical;
    alert.messageText = QStringLiteral("<b>not bold</b>");
    alert.informativeText = QStringLiteral("line 1\nline <i>2</i>");
    alert.iconSymbol = QStringLiteral("no.such.symbol");
    alert.accessoryWidget = &form;
    alert.windowExtraWidth = 120;
    alert.windowExtraHeight = 80;
    runAndInspect(alert, [&](AlertDialog &dialog) {
        EXPECT_FALSE(dialog.usesSymbolIcon());
        EXPECT_FALSE(dialog.iconLabel()->pixmap().isNull());
        EXPECT_EQ(dialog.messageLabel()->textFormat(), Qt::PlainText);
        EXPECT_EQ(dialog.messageLabel()->text(), alert.messageText);
        EXPECT_EQ(dialog.informativeLabel()->text(), alert.informativeText);
        EXPECT_EQ(formPointer->parentWidget(), &dialog);
        EXPECT_TRUE(field->isVisible());
        EXPECT_EQ(dialog.accessoryImageLabel(), nullptr);
        EXPECT_GE(dialog.width(), dialog.sizeHint().width() + 120);
        EXPECT_GE(dialog.height(), dialog.sizeHint().height() + 80);
        return 0;
    });
    // The form is the caller's: still alive, handed back.
    EXPECT_EQ(form.parentWidget(), nullptr);
    EXPECT_EQ(field->parentWidget(), &form);

    // Taller than the screen: the form scrolls, the dialog fits, the form still comes back.
    QWidget tall;
    tall.setMinimumSize(450, 4000);
    Alert tallAlert;
    tallAlert.accessoryWidget = &tall;
    tallAlert.windowExtraHeight = 500;
    runAndInspect(tallAlert, [&tall](AlertDialog &dialog) {
        EXPECT_TRUE(dialog.isAncestorOf(&tall));
        EXPECT_LE(dialog.height(), dialog.screen()->availableGeometry().height());
        EXPECT_TRUE(dialog.buttons().front()->isVisible());
        return 0;
    });
    EXPECT_EQ(tall.parentWidget(), nullptr);

    Alert withIcon;
    withIcon.iconSymbol = QStringLiteral("photo.fill");
    withIcon.iconDescription = QStringLiteral("Image Preview");
    runAndInspect(withIcon, [](AlertDialog &dialog) {
        EXPECT_TRUE(dialog.usesSymbolIcon());
        EXPECT_EQ(dialog.iconLabel()->accessibleName(), QStringLiteral("Image Preview"));
        EXPECT_EQ(dialog.iconLabel()->pixmap().deviceIndependentSize().toSize(),
                  QSize(AlertDialog::iconSize, AlertDialog::iconSize));
        EXPECT_TRUE(dialog.informativeLabel()->isHidden());
        return 0;
    });
}

}  // namespace
}  // namespace codalume
