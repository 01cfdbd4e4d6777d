// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace codalume {

// Where a popover of `size` opens for a tray icon at `anchor`: centred under the icon when the
// icon is in the upper half of the screen, above it otherwise, and always inside `screen`.
// An unknown anchor (empty, or still at the origin where a tray icon sits before its host has
// placed it) is replaced by the pointer position.
QPoint popoverPosition(const QRect &anchor, const QSize &size, const QRect &screen,
                       const QPoint &cursor);

// The transient panel that opens from the tray icon: a frameless window without taskbar entry
// that stays above other windows, 300 x 400 or as much larger as its content needs at the
// fonts in use. Escape closes it, and so does another window
// taking the focus (every platform reports that, Wayland included); its owner also closes it
// when the user clicks elsewhere.
class Popover : public QWidget {
    Q_OBJECT
  public:
    static constexpr QSize contentSize{300, 400};

    explicit Popover(QWidget *parent = nullptr);

    // Takes ownership of `content`, replacing any earlier content.
    void setContentWidget(QWidget *content);
    QWidget *contentWidget() const { return content_; }

    bool isShown() const { return isVisible(); }
    void showRelativeTo(const QRect &anchor);
    // In the middle of the screen that holds the pointer, for when no tray icon tells where.
    void showCentred();
    void performClose();

  signals:
    void closed();

  protected:
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void fitContent();
    void showAt(const QPoint &position);

    QWidget *content_ = nullptr;
};

}  // namespace codalume
