// SPDX-License-Identifier: MIT
#include "views/help_view.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/platform.h"
#include "platform/ui_text.h"
#include "views/permission_helper.h"
#include "views/view_style.h"

namespace codalume {

using views::TextStyle;

namespace {

// Long texts wrap and are never cut: the scroll area grows the page instead. The policy keeps
// the height-for-width that word wrap set, or a wrapped line gets one line's height.
QLabel *wrapping(QLabel *label) {
    label->setWordWrap(true);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
    return label;
}

}  // namespace

HelpView::HelpView(Platform &platform, QString permissionStatus, QWidget *parent)
    : QScrollArea(parent), platform_(platform) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("helpPage"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(views::standardPadding, views::standardPadding,
                               views::standardPadding, views::standardPadding);
    layout->setSpacing(12);

    layout->addWidget(views::makeLabel(Ui::tr("使用说明"), TextStyle::Title2, true));

    static const struct {
        const char *title;
        const char *text;
    } items[] = {
        {QT_TRANSLATE_NOOP("Codalume", "1. 获取剪贴板"),
         QT_TRANSLATE_NOOP("Codalume",
                           "点击状态栏图标，选择'获取剪贴板'选项，或使用Super+Shift+C快捷键。")},
        {QT_TRANSLATE_NOOP("Codalume", "2. 设置"),
         QT_TRANSLATE_NOOP("Codalume", "自定义图片生成选项和作者信息。")},
        {QT_TRANSLATE_NOOP("Codalume", "3. 支持多种编程语言"),
         QT_TRANSLATE_NOOP("Codalume", "包括Swift、Python、JavaScript等。")},
    };
    for (const auto &item : items) {
        views::addPadded(layout, views::makeLabel(Ui::tr(item.title), TextStyle::Body, true), 8);
        layout->addWidget(wrapping(views::makeLabel(Ui::tr(item.text), TextStyle::Body)));
    }

    views::addPadded(layout, views::makeLabel(Ui::tr("快捷键"), TextStyle::Headline), 16);
    auto *shortcutRow = new QWidget;
    auto *shortcutLayout = new QHBoxLayout(shortcutRow);
    shortcutLayout->setContentsMargins(0, 0, 0, 0);
    shortcutLayout->addWidget(
        views::makeLabel(QStringLiteral("Super+Shift+C"), TextStyle::Body, true));
    shortcutLayout->addWidget(
        wrapping(views::makeLabel(Ui::tr("- 全局快捷键，随时获取剪贴板内容"), TextStyle::Body)), 1);
    views::addPadded(layout, shortcutRow, 4);

    auto *divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    views::addPadded(layout, divider, 8, 8);

    views::addPadded(layout, views::makeLabel(Ui::tr("权限检查"), TextStyle::Headline), 8);
    layout->addWidget(
        wrapping(views::makeLabel(Ui::tr("应用需要Downloads目录的写入权限才能保存图片。"),
                                  TextStyle::Body, false, views::secondaryTextColor())));

    checkButton_ = new QPushButton(Ui::tr("检查权限设置"));
    checkButton_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    checkButton_->setAutoDefault(false);
    connect(checkButton_, &QPushButton::clicked, this, &HelpView::checkPermissionsClicked);
    views::addPadded(layout, checkButton_, 8);

    statusLabel_ = wrapping(views::makeLabel(QString(), TextStyle::Body));
    statusLabel_->setObjectName(QStringLiteral("permissionStatus"));
    statusLabel_->setContentsMargins(0, 4, 0, 0);
    layout->addWidget(statusLabel_);
    layout->addStretch(1);

    setWidget(page);
    setPermissionStatus(permissionStatus);
}

void HelpView::checkPermissionsClicked() {
    if (PermissionHelper::checkPermissions(platform_)) {
        setPermissionStatus(Ui::tr("✅ 权限设置正确！"));
        return;
    }
    // The red line is in place before the alert and stays whatever the answer.
    setPermissionStatus(Ui::tr("❌ 权限设置不正确！"));
    Alert alert;
    alert.style = AlertStyle::Warning;
    alert.messageText = Ui::tr("权限设置不正确");
    alert.informativeText = Ui::tr("请检查Downloads目录的写入权限。");
    alert.buttons = {Ui::tr("前往设置"), Ui::cancel()};
    if (platform_.runAlert(alert) == firstButtonReturn) {
        PermissionHelper::openPrivacySettings(platform_);
    }
}

void HelpView::setPermissionStatus(const QString &status) {
    permissionStatus_ = status;
    statusLabel_->setText(status);
    QPalette palette = statusLabel_->palette();
    palette.setColor(QPalette::WindowText, status.contains(QStringLiteral("✅"))
                                               ? views::successGreen()
                                               : views::failureRed());
    statusLabel_->setPalette(palette);
    statusLabel_->setVisible(!status.isEmpty());
    if (!status.isEmpty()) {
        // Laid out now: a page whose popover closes for the alert that follows would wait
        // until it is shown again, and keep the line out of view.
        widget()->layout()->activate();
        widget()->resize(widget()->width(),
                         std::max(widget()->height(), widget()->heightForWidth(widget()->width())));
        ensureWidgetVisible(statusLabel_);
    }
}

}  // namespace codalume
