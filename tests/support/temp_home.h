// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <map>

namespace codalume::testing {

// Points HOME, TMPDIR and the XDG folders at a fresh temporary folder for the life of the
// object and restores the previous environment afterwards, so tests use the real disk without
// touching the user's files.
class TempHome {
  public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome &) = delete;
    TempHome &operator=(const TempHome &) = delete;

    QString path() const { return dir_.path(); }     // the HOME folder
    QString tmp() const { return path() + "/tmp"; }  // TMPDIR, created
    QString file(const QString &relative) const { return path() + '/' + relative; }

  private:
    QTemporaryDir dir_;
    std::map<QByteArray, std::pair<bool, QByteArray>> saved_;
};

}  // namespace codalume::testing
