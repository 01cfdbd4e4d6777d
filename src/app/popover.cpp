// SPDX-License-Identifier: MIT
#include "app/popover.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace codalume {

namespace {
constexpr int gap = 4;  // between the icon and the panel
}

QPoint popoverPosition(const QRect &anchor, const QSize &size, const QRect &screen,
                       const QPoint &cursor) {
    const bool known = anchor.isValid() && anchor.topLeft() != QPoint(0, 0);
    const QRect target = known ? anchor : QRect(cursor, QSize(1, 1));
    int x = target.left() + target.width() / 2 - size.width() / 2;
    const bool below = target.center().y() < screen.center().y();
    int y = below ? target.bottom() + 1 + gap : target.top() - gap - size.height();
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
    y = std::clamp(y, screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    return {x, y};
}

Popover::Popover(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("codalumePopover"));
    setWindowTitle(QStringLiteral("Codalume"));
    setFixedSize(contentSize);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void Popover::setContentWidget(QWidget *content) {
    if (content_ != nullptr) {
        layout()->removeWidget(content_);
        // Later: the old content may be what called (a button of it).
        content_->hide();
        content_->deleteLater();
    }
    content_ = content;
    if (content_ != nullptr) {
        content_->setParent(this);
        layout()->addWidget(content_);
    }
}

namespace {

// The available area of the screen that holds `point`.
QRect screenArea(const QPoint &point) {
    QScreen *screen = QGuiApplication::screenAt(point);
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
}

}  // namespace

void Popover::fitContent() {
    if (content_ == nullptr) {
        return;
    }
    // Larger fonts need more room: the tabs' full width, then the height the pages' wrapped
    // texts take at that width.
    QSize wanted = contentSize.expandedTo(content_->minimumSizeHint());
    if (content_->hasHeightForWidth()) {
        wanted.setHeight(std::max(wanted.height(), content_->heightForWidth(wanted.width())));
    }
    setFixedSize(wanted);
}

void Popover::showRelativeTo(const QRect &anchor) {
    fitContent();
    const QPoint cursor = QCursor::pos();
    const bool known = anchor.isValid() && anchor.topLeft() != QPoint(0, 0);
    showAt(popoverPosition(anchor, size(), screenArea(known ? anchor.center() : cursor), cursor));
}

void Popover::showCentred() {
    fitContent();
    const QRect area = screenArea(QCursor::pos());
    showAt(area.center() - QPoint(width() / 2, height() / 2));
}

void Popover::showAt(const QPoint &position) {
    move(position);
    show();
    raise();
    activateWindow();
}

void Popover::performClose() {
    hide();
}

void Popover::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow()) {
        performClose();
    }
}

void Popover::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    emit closed();
}

void Popover::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        performClose();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace codalume
