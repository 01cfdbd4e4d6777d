// SPDX-License-Identifier: MIT
#include "platform/progress_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace codalume {

namespace {

// Room for a file name with its seconds and suffix on one line.
constexpr int windowContentWidth = 360;
constexpr int minimumButtonWidth = 88;

class DialogProgressWindow : public ProgressWindow {
  public:
    DialogProgressWindow(const Progress &progress, std::function<void()> cancel,
                         std::chrono::milliseconds delay)
        : dialog_(new ProgressDialog(progress)) {
        QObject::connect(dialog_, &QDialog::rejected, dialog_,
                         [cancel = std::move(cancel), asked = false]() mutable {
                             if (!asked) {
                                 asked = true;
                                 cancel();
                             }
                         });
        dialog_->showAfter(delay);
    }
    ~DialogProgressWindow() override {
        if (dialog_) {
            // Closing the window after the work is no request to stop it.
            QObject::disconnect(dialog_, &QDialog::rejected, nullptr, nullptr);
            dialog_->dismiss();
        }
    }
    DialogProgressWindow(const DialogProgressWindow &) = delete;
    DialogProgressWindow &operator=(const DialogProgressWindow &) = delete;

    void setProgress(int done, int total) override {
        if (dialog_) {
            dialog_->setProgress(done, total);
        }
    }

  private:
    QPointer<ProgressDialog> dialog_;
};

}  // namespace

ProgressDialog::ProgressDialog(const Progress &progress, QWidget *parent) : QDialog(parent) {
    setWindowTitle(progress.title);
    setModal(true);
    setSizeGripEnabled(false);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 18, 20, 16);
    outer->setSpacing(12);

    auto *label = new QLabel(progress.labelText, this);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFixedWidth(windowContentWidth);
    outer->addWidget(label);

    bar_ = new QProgressBar(this);
    bar_->setRange(0, 0);  // busy until the work says how far it got
    bar_->setValue(0);
    bar_->setFixedWidth(windowContentWidth);
    outer->addWidget(bar_);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *cancel = new QPushButton(progress.cancelButton, this);
    cancel->setMinimumWidth(minimumButtonWidth);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    showTimer_.setSingleShot(true);
    connect(&showTimer_, &QTimer::timeout, this, [this] {
        show();
        raise();
        activateWindow();
    });
}

void ProgressDialog::setProgress(int done, int total) {
    if (total <= 0) {
        return;
    }
    bar_->setRange(0, total);
    bar_->setValue(std::clamp(done, 0, total));
}

void ProgressDialog::showAfter(std::chrono::milliseconds delay) {
    showTimer_.start(delay);
}

void ProgressDialog::dismiss() {
    showTimer_.stop();
    hide();
    deleteLater();
}

std::unique_ptr<ProgressWindow> openProgressDialog(const Progress &progress,
                                                   std::function<void()> cancel,
                                                   std::chrono::milliseconds delay) {
    return std::make_unique<DialogProgressWindow>(progress, std::move(cancel), delay);
}

}  // namespace codalume
