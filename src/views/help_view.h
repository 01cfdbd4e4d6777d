// SPDX-License-Identifier: MIT
#pragma once

#include <QScrollArea>
#include <QString>

class QLabel;
class QPushButton;

namespace codalume {

class Platform;

// Second popover page: usage notes, the global shortcut and the write-permission check.
class HelpView : public QScrollArea {
    Q_OBJECT
  public:

    HelpView(Platform &platform, QString permissionStatus = QString(), QWidget *parent = nullptr);

    // Outcome line of the last check; empty before the first one.
    const QString &permissionStatus() const { return permissionStatus_; }

    // Runs the check, shows its outcome (scrolled into view) and, when it failed, offers the
    // settings.
    void checkPermissionsClicked();

    QPushButton *checkButton() const { return checkButton_; }
    QLabel *statusLabel() const { return statusLabel_; }

  private:
    void setPermissionStatus(const QString &status);

    Platform &platform_;
    QString permissionStatus_;
    QPushButton *checkButton_ = nullptr;
    QLabel *statusLabel_ = nullptr;
};

}  // namespace codalume
