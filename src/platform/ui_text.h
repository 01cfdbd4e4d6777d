// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>

namespace codalume {

// Every text a window shows goes through Ui::tr: the Chinese source texts are what the
// program shows untranslated, and resources/translations/codalume_en.ts gives their English.
// One context for the whole program keeps "确定" and "取消" translated once.
struct Ui {
    Q_DECLARE_TR_FUNCTIONS(Codalume)
  public:
    // The buttons most alerts have.
    static QString ok() { return tr("确定"); }
    static QString cancel() { return tr("取消"); }
};

}  // namespace codalume
