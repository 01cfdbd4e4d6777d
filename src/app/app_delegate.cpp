// SPDX-License-Identifier: MIT
#include "app/app_delegate.h"

#include <QPointer>

#include "platform/temporary_files.h"
#include "render/trace.h"
#include "settings/launch_at_login.h"
#include "settings/preferences_file.h"
#include "views/content_view.h"
#include "views/permission_helper.h"
#include "views/recent_image.h"

namespace codalume {

AppDelegate::AppDelegate(Platform &platform, QObject *parent)
    : QObject(parent), platform_(platform), popover_(std::make_unique<Popover>()) {}

AppDelegate::~AppDelegate() {
    // The controller refers to the popover: it goes first.
    statusBarController_.reset();
    popover_.reset();
}

void AppDelegate::applicationDidFinishLaunching(StatusBarHooks hooks) {
    // Saves cut short by a kill or a power cut left their temporary files behind.
    removeLeftoverTemporaries(platform_.downloadsDirectory());
    removeLeftoverTemporaries(platform_.temporaryDirectory());
    PermissionHelper::promptForPermissionsIfNeeded(platform_);
    QString unusable;
    const UserPreferences preferences = loadPreferences(&unusable);
    if (!unusable.isEmpty()) {
        printError(unusablePreferencesWarning(unusable));
    }

    recentImages_ = new RecentImagesModel(this);
    buildPopoverContent();
    statusBarController_.reset();
    statusBarController_ =
        std::make_unique<StatusBarController>(platform_, popover_.get(), std::move(hooks));
    statusBarController_->recentImages = recentImages_;
    connect(statusBarController_.get(), &StatusBarController::interfaceLanguageChanged, this,
            &AppDelegate::buildPopoverContent);

    configureLaunchAtLogin(preferences.startAtLogin);
}

void AppDelegate::buildPopoverContent() {
    QPointer<AppDelegate> self(this);
    auto *content = new ContentView(
        platform_,
        [self] {
            if (self && self->statusBarController_) {
                self->statusBarController_->captureClipboard();
            }
        },
        recentImages_);
    popover_->setContentWidget(content);
    connect(content, &ContentView::closeRequested, popover_.get(), &Popover::performClose);
}

}  // namespace codalume
