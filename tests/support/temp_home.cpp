// SPDX-License-Identifier: MIT
#include "support/temp_home.h"

#include <QDir>

namespace codalume::testing {

TempHome::TempHome() {
    QDir(path()).mkpath(QStringLiteral("tmp"));
    const std::pair<const char *, QString> values[] = {
        {"HOME", path()},
        {"TMPDIR", tmp()},
        {"XDG_CONFIG_HOME", path() + "/.config"},
        {"XDG_DATA_HOME", path() + "/.local/share"},
        {"XDG_CACHE_HOME", path() + "/.cache"},
        {"XDG_DOWNLOAD_DIR", {}}};  // unset: Downloads under HOME
    for (const auto &[name, value] : values) {
        saved_[name] = {qEnvironmentVariableIsSet(name), qgetenv(name)};
        value.isEmpty() ? void(qunsetenv(name)) : void(qputenv(name, value.toUtf8()));
    }
}

TempHome::~TempHome() {
    for (const auto &[name, previous] : saved_) {
        if (previous.first) {
            qputenv(name.constData(), previous.second);
        } else {
            qunsetenv(name.constData());
        }
    }
}

}  // namespace codalume::testing
