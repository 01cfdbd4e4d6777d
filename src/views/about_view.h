// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

namespace codalume {

// Third popover page: the program's symbol, name, version and what it does.
class AboutView : public QWidget {
    Q_OBJECT
  public:

    explicit AboutView(QWidget *parent = nullptr);
};

}  // namespace codalume
