// SPDX-License-Identifier: MIT
#include "settings/interface_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>
#include <memory>

namespace codalume {

bool useQtTranslations(const QLocale &locale) {
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed.data();
    }
    if (locale.language() == QLocale::English || locale.language() == QLocale::C) {
        return true;
    }
    // "qtbase" covers every Qt module the program uses (Core, Gui, Widgets, DBus, Svg).
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    installed = translator.release();
    return true;
}

}  // namespace codalume
