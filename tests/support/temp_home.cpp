#include "support/temp_home.h"

#include <QDir>
#include <QStandardPaths>

namespace codalume::testing {

TempHome::TempHome() {
    QDir(path()).mkpath(QStringLiteral("tmp"));
    set("HOME", path().toUtf8());
    set("TMPDIR", tmp().toUtf8());
    set("XDG_CONFIG_HOME", (path() + "/.config").toUtf8());
    set("XDG_DATA_HOME", (path() + "/.local/share").toUtf8());
    set("XDG_CACHE_HOME", (path() + "/.cache").toUtf8());
    set("XDG_DOWNLOAD_DIR", QByteArray());
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

void TempHome::set(const char *name, const QByteArray &value) {
    if (saved_.find(name) == saved_.end()) {
        saved_[name] = {qEnvironmentVariableIsSet(name), qgetenv(name)};
    }
    if (value.isEmpty()) {
        qunsetenv(name);
    } else {
        qputenv(name, value);
    }
}

}  // namespace codalume::testing
