// SPDX-License-Identifier: MIT
#pragma once

#include <QLocale>

namespace codalume {

// Installs Qt's own translations for `locale`, replacing those of an earlier call, so that the
// windows Qt draws (the colour and file dialogs, a text field's menu) speak the interface's
// language. English needs none. Returns whether the language is served: false when its
// catalogue is missing (Qt's English texts then stay).
bool useQtTranslations(const QLocale &locale);

}  // namespace codalume
