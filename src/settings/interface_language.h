// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace codalume {

// The languages the windows speak. Chinese is the source language; English comes from the
// translation built into the program.
enum class InterfaceLanguage { Chinese, English };

// The values of the preference "interfaceLanguage", the default first: follow the system,
// Chinese, English.
const QStringList &interfaceLanguageNames();

// The language the environment asks messages in, read as gettext reads it: the first Chinese or
// English entry of LANGUAGE (unless the messages locale is C), else the messages locale from
// LC_ALL, LC_MESSAGES or LANG. Chinese for zh_* and where no locale is chosen (C, POSIX, unset,
// as the program always spoke); English for every other language.
using EnvironmentReader = std::function<QByteArray(const char *)>;
InterfaceLanguage systemInterfaceLanguage(const EnvironmentReader &environment = qgetenv);

// The language a value of the preference chooses ("system" asks the environment).
InterfaceLanguage interfaceLanguageFor(const QString &preference);

// Makes `language` the windows' language from now on: the program's own texts and those of the
// windows Qt draws (colour and file dialogs, a text field's menu). Returns false when Qt's own
// Chinese catalogue is missing (Debian package qt6-translations-l10n): its dialogs then stay
// English.
bool useInterfaceLanguage(InterfaceLanguage language);

// The language last set by useInterfaceLanguage; Chinese before any call.
InterfaceLanguage interfaceLanguage();

}  // namespace codalume
