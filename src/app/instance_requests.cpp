// SPDX-License-Identifier: MIT
#include "app/instance_requests.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <cstdio>

#include "app/status_bar_controller.h"

namespace codalume {

namespace {

// Qt 6.4 on Wayland hands the compositor the token in XDG_ACTIVATION_TOKEN, when set, at the
// next window activation, and clears it; it has no other way to take one. The token is
// removed after the task too, so that no later activation offers a stale one. Qt on X11 does
// not read it (it takes DESKTOP_STARTUP_ID only when the program starts).
void withActivationToken(const QString &token, const std::function<void()> &task) {
    if (token.isEmpty()) {
        task();
        return;
    }
    qputenv("XDG_ACTIVATION_TOKEN", token.toLatin1());
    task();
    qunsetenv("XDG_ACTIVATION_TOKEN");
}

void bringForward(QWidget *window) {
    // Raising leaves a minimised window hidden.
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

}  // namespace

InstanceRequests::InstanceRequests(std::function<StatusBarController *()> controller,
                                   QObject *parent)
    : QObject(parent), controller_(std::move(controller)) {}

InstanceAnswer InstanceRequests::handle(const InstanceRequest &request) {
    StatusBarController *controller = controller_();
    if (controller == nullptr) {
        return InstanceAnswer::Busy;  // still starting
    }
    QPointer<StatusBarController> target(controller);
    QWidget *dialog = QApplication::activeModalWidget();
    switch (request.command) {
        case InstanceCommand::Show:
            queue(request.activationToken, false, [target, dialog = QPointer<QWidget>(dialog)] {
                if (dialog) {
                    bringForward(dialog);
                } else if (target) {
                    target->revealPopover();
                }
            });
            return InstanceAnswer::Done;
        case InstanceCommand::Capture:
            if (queued_ || controller->capturing()) {
                return InstanceAnswer::Busy;
            }
            queue(request.activationToken, true, [target] {
                if (target) {
                    target->captureClipboard();
                }
            });
            return InstanceAnswer::Done;
        case InstanceCommand::Settings:
            if (queued_ || controller->capturing()) {
                return InstanceAnswer::Busy;
            }
            queue(request.activationToken, true,
                  [target,
                   dialog = QPointer<QWidget>(controller->settingsShown() ? dialog : nullptr)] {
                      if (dialog) {
                          bringForward(dialog);
                      } else if (target) {
                          target->showSettings(nullptr);
                      }
                  });
            return InstanceAnswer::Done;
    }
    return InstanceAnswer::Busy;
}

void InstanceRequests::queue(const QString &token, bool exclusive, std::function<void()> task) {
    queued_ = queued_ || exclusive;
    QTimer::singleShot(0, this, [this, token, exclusive, task = std::move(task)] {
        if (exclusive) {
            queued_ = false;
        }
        withActivationToken(token, task);
    });
}

int showRunningInstance(int argc, char **argv) {
    QCoreApplication application(argc, argv);
    const Delivery delivery = deliverToRunningInstance(
        {InstanceCommand::Show, launcherActivationToken()}, instanceStartUpWaitMs);
    if (delivery.status == Delivery::Status::Answered) {
        std::fputs("Codalume is already running; its window is shown\n", stdout);
        std::fflush(stdout);
        return 0;
    }
    const QString reason = delivery.status == Delivery::Status::Failed
                               ? delivery.error
                               : QStringLiteral("it did not answer");
    std::fprintf(stderr, "Codalume is already running, but it cannot be reached: %s\n",
                 qPrintable(reason));
    return 1;
}

}  // namespace codalume
