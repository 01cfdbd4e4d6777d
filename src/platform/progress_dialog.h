// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

#include "platform/platform.h"

class QProgressBar;

namespace codalume {

// The progress window of the desktop: the label, a bar in percent and the cancel button, modal
// once shown. Closing it or pressing Escape cancels as the button does.
class ProgressDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ProgressDialog(const Progress &progress, QWidget *parent = nullptr);

    void setProgress(int done, int total);
    // Shows the window after `delay`, unless it is dismissed first.
    void showAfter(std::chrono::milliseconds delay);
    // Hides the window for good and deletes it once control is back in the event loop.
    void dismiss();

  private:
    QProgressBar *bar_ = nullptr;
    QTimer showTimer_;
};

// A ProgressWindow on a ProgressDialog shown after `delay`; `cancel` runs at most once.
std::unique_ptr<ProgressWindow> openProgressDialog(const Progress &progress,
                                                   std::function<void()> cancel,
                                                   std::chrono::milliseconds delay);

}  // namespace codalume
