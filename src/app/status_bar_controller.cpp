// SPDX-License-Identifier: MIT
#include "app/status_bar_controller.h"

#include "settings/preferences_file.h"

namespace codalume {

StatusBarController::StatusBarController(Platform &platform, QObject *parent)
    : QObject(parent), userPreferences(loadPreferences()), platform_(platform) {}

}  // namespace codalume
