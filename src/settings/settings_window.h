// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "platform/platform.h"
#include "render/user_preferences.h"

namespace codalume {

// The settings dialog: builds the form from `preferences`, runs it through the platform's
// alert and, when the user saves, writes the form back into `preferences`, saves the file,
// updates start at login if that choice changed, confirms, and renders a test picture when an
// author item is shown. Cancel changes nothing.
//
// Controls carry stable object names: showPreviewCheckbox, saveToDownloadsCheckbox,
// startAtLoginCheckbox, fontSizeField, fontStylePopup, backgroundColorWell,
// useGradientCheckbox, gradientEndColorWell, gradientDirectionPopup, colorPreview,
// showLineNumbersCheckbox, showWindowControlsCheckbox, showShadowCheckbox, authorNameField,
// emailField, wechatField, blogField, showAuthorNameCheckbox, showEmailCheckbox,
// showWechatCheckbox, showBlogCheckbox, noteBox, noteLabel; each row's label is "<control
// name>Label" (e.g. fontSizeFieldLabel), section headers are sectionHeader1..5 with their lines
// sectionLine1..5.
void runSettingsWindow(Platform &platform, UserPreferences &preferences);

// An optional "+" or "-" followed by ASCII digits, nothing else, within the 64-bit range.
std::optional<int64_t> parseDecimalInteger(const QString &text);

// "#RRGGBB" from components in 0..1, each times 255 truncated; components outside 0..1 are
// clamped (NaN counts as 0).
QString hexColorText(double red, double green, double blue);

}  // namespace codalume
