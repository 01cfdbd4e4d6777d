// SPDX-License-Identifier: MIT
#include "platform/wayland/focus_clipboard_access.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include "render/trace.h"

namespace codalume {

namespace {

// After the focus, the compositor sends the clipboard right away; an empty one sends nothing on
// some platforms (Qt on xcb under Xwayland).
constexpr int afterFocusMs = 250;

}  // namespace

FocusClipboardAccess::FocusClipboardAccess(int limit) : limit_(limit) {}

FocusClipboardAccess::~FocusClipboardAccess() = default;

bool FocusClipboardAccess::prepare() {
    // One of our windows has the focus: the clipboard is up to date already.
    if (QGuiApplication::focusWindow() != nullptr) {
        return true;
    }
    if (waiting_) {
        return false;
    }
    if (!window_) {
        // A plain window: KWin does not give the focus a second time to a utility window
        // (Qt::Tool) that Qt on xcb shows again.
        window_ = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
        window_->setAttribute(Qt::WA_TranslucentBackground);
        window_->setWindowTitle(QStringLiteral("Codalume"));
        // A size that cannot change: tiling compositors (sway) float such a window instead of
        // giving it a tile and shrinking the user's windows for the moment it is shown.
        window_->setFixedSize(1, 1);
    }
    waiting_ = true;
    bool arrived = false;  // the clipboard, or the focus that brings it
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, &loop,
                     [&loop, &arrived] {
                         arrived = true;
                         loop.quit();
                     });
    QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, &loop,
                     [&limit, &arrived](QWindow *window) {
                         if (window != nullptr) {
                             arrived = true;
                             limit.start(afterFocusMs);
                         }
                     });
    QElapsedTimer clock;
    clock.start();
    limit.start(limit_);
    window_->show();
    window_->activateWindow();
    loop.exec();
    diagnostic(QStringLiteral("clipboard after %1 ms: %2")
                   .arg(clock.elapsed())
                   .arg(arrived ? QStringLiteral("arrived") : QStringLiteral("nothing")));
    waiting_ = false;
    // The reads that follow run before the event loop does; they need the focus still (Qt on
    // xcb: KWin withdraws the clipboard from X11 once no X11 window is active).
    QMetaObject::invokeMethod(window_.get(), &QWidget::hide, Qt::QueuedConnection);
    return arrived;
}

}  // namespace codalume
