// SPDX-License-Identifier: MIT
#pragma once

#include <QMap>
#include <QString>
#include <QStringView>
#include <array>
#include <utility>

#include "platform/ui_text.h"
#include "render/user_preferences.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QWidget;

namespace codalume {

class ColorPreviewView;
class ColorWell;

// The form of the settings dialog: its controls, filled from the preferences and read back.
// runSettingsWindow (settings_window.cpp) shows it and runs the save sequence.

// Stored direction value and popup title (untranslated: Ui::tr gives the shown one), in popup
// order.
inline const std::array<std::pair<QStringView, const char *>, 3> directionPairs = {{
    {u"vertical", QT_TRANSLATE_NOOP("Codalume", "垂直")},
    {u"horizontal", QT_TRANSLATE_NOOP("Codalume", "水平")},
    {u"diagonal", QT_TRANSLATE_NOOP("Codalume", "对角线")},
}};

// One line of the author section: its controls' texts (untranslated) and the record's fields it
// edits.
struct AuthorItem {
    const char *name;  // object name stem, also the record's field name
    const char *label;
    const char *placeholder;
    const char *checkbox;
    const char *summaryPrefix;
    QString UserPreferences::*text;
    bool UserPreferences::*shown;
};

extern const std::array<AuthorItem, 4> authorItems;

// One check box of the "样式" section: an optional part of the card.
struct StyleItem {
    const char *name;  // object name
    const char *title;
    bool UserPreferences::*shown;
};

extern const std::array<StyleItem, 3> styleItems;

struct AuthorControls {
    QLineEdit *field = nullptr;
    QCheckBox *checkbox = nullptr;
};

// The controls the save sequence reads; the panel owns them all.
struct Form {
    QWidget *panel = nullptr;
    QCheckBox *showPreview = nullptr;
    QCheckBox *saveToDownloads = nullptr;
    QCheckBox *startAtLogin = nullptr;
    QComboBox *interfaceLanguage = nullptr;  // titles in interfaceLanguageNames() order
    QLineEdit *fontSize = nullptr;
    QComboBox *fontStyle = nullptr;
    ColorWell *background = nullptr;
    QCheckBox *useGradient = nullptr;
    ColorWell *gradientEnd = nullptr;
    QComboBox *direction = nullptr;
    ColorPreviewView *preview = nullptr;
    std::array<QCheckBox *, 3> styles{};
    QSpinBox *wrapColumn = nullptr;
    QComboBox *highlighter = nullptr;  // titles in highlighterNames() order
    QComboBox *theme = nullptr;
    std::array<AuthorControls, 4> authors;
};

// A new panel (owned by the caller) with every control set from `p`.
Form buildSettingsForm(const UserPreferences &p, const QMap<QString, QString> &directionMap,
                       const QMap<QString, QString> &directionMapReverse);

// The controls' values written into `p`; numbers that do not parse fall back to the defaults.
void writeSettingsForm(const Form &form, const QMap<QString, QString> &directionMapReverse,
                       UserPreferences &p);

}  // namespace codalume
