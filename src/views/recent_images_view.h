#pragma once

#include <QList>
#include <QWidget>
#include <functional>

#include "views/recent_image.h"

class QListWidget;
class QPushButton;

namespace codalume {

class Platform;

// First popover page: the recent-images list with row deletion, and buttons that empty the
// clipboard and start a capture.
class RecentImagesView : public QWidget {
    Q_OBJECT
  public:
    // `capture` runs the capture command (the page need not know who implements it).
    RecentImagesView(Platform &platform, std::function<void()> capture,
                     QList<RecentImage> recentImages, QWidget *parent = nullptr);

    const QList<RecentImage> &recentImages() const { return recentImages_; }

    // Removes the entries at these row positions; the others keep their order.
    void deleteRows(const QList<int> &positions);
    // Removes the selected rows (the Delete and Backspace keys).
    void deleteSelectedRows();

    // Empties the clipboard and says so.
    void clearClipboard();
    // Hands over to the capture command.
    void captureClipboard();

    QListWidget *list() const { return list_; }
    QPushButton *clearButton() const { return clearButton_; }
    QPushButton *captureButton() const { return captureButton_; }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void rebuildRows();
    void showRowMenu(const QPoint &position);

    Platform &platform_;
    std::function<void()> capture_;
    QList<RecentImage> recentImages_;
    QListWidget *list_ = nullptr;
    QPushButton *clearButton_ = nullptr;
    QPushButton *captureButton_ = nullptr;
};

}  // namespace codalume
