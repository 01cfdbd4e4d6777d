// SPDX-License-Identifier: MIT
#include "settings/interface_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>
#include <memory>

namespace codalume {

namespace {

InterfaceLanguage current = InterfaceLanguage::Chinese;

// A locale name ("zh_CN.UTF-8", "en", "C") names no language when it is C or POSIX.
bool namesNoLanguage(const QByteArray &locale) {
    return locale.isEmpty() || locale == "C" || locale.startsWith("C.") || locale == "POSIX";
}

// Replaces the translator installed in `slot` by the catalogue `name` found in `folder` (none
// when `name` is empty). Returns whether the catalogue was found.
bool replaceTranslator(QPointer<QTranslator> &slot, const QString &name, const QString &folder) {
    if (slot) {
        QCoreApplication::removeTranslator(slot);
        delete slot.data();
    }
    if (name.isEmpty()) {
        return true;
    }
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(name, folder)) {
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    slot = translator.release();
    return true;
}

}  // namespace

const QStringList &interfaceLanguageNames() {
    static const QStringList names = {QStringLiteral("system"), QStringLiteral("zh"),
                                      QStringLiteral("en")};
    return names;
}

InterfaceLanguage systemInterfaceLanguage(const EnvironmentReader &environment) {
    QByteArray locale;
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = environment(variable);
        if (!locale.isEmpty()) {
            break;
        }
    }
    if (namesNoLanguage(locale)) {
        return InterfaceLanguage::Chinese;
    }
    for (const QByteArray &entry : environment("LANGUAGE").split(':')) {
        if (entry.startsWith("zh")) {
            return InterfaceLanguage::Chinese;
        }
        if (entry.startsWith("en")) {
            return InterfaceLanguage::English;
        }
    }
    return locale.startsWith("zh") ? InterfaceLanguage::Chinese : InterfaceLanguage::English;
}

InterfaceLanguage interfaceLanguageFor(const QString &preference) {
    if (preference == QLatin1String("zh")) {
        return InterfaceLanguage::Chinese;
    }
    if (preference == QLatin1String("en")) {
        return InterfaceLanguage::English;
    }
    return systemInterfaceLanguage();
}

bool useInterfaceLanguage(InterfaceLanguage language) {
    static QPointer<QTranslator> own;
    static QPointer<QTranslator> qt;
    current = language;
    const bool english = language == InterfaceLanguage::English;
    // Built into the program (resources/translations), so it cannot be missing.
    replaceTranslator(own, english ? QStringLiteral("codalume_en") : QString(),
                      QStringLiteral(":/i18n"));
    // Qt's texts are English already; "qtbase" covers every Qt module the program uses.
    return replaceTranslator(qt, english ? QString() : QStringLiteral("qtbase_zh_CN"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

InterfaceLanguage interfaceLanguage() {
    return current;
}

}  // namespace codalume
