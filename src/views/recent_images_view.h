// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QList>
#include <QPixmap>
#include <QSet>
#include <QThreadPool>
#include <QUuid>
#include <QWidget>
#include <functional>

#include "views/recent_image.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace codalume {

class Platform;

// First popover page: the pictures this run saved (newest first, with a thumbnail where the
// file can be read), row deletion that never touches the files, activation that shows a file
// in the file manager, and buttons that empty the clipboard and start a capture.
class RecentImagesView : public QWidget {
    Q_OBJECT
  public:
    // `capture` runs the capture command (the page need not know who implements it); `model`
    // is the list the saving flow adds to, and must outlive the page.
    RecentImagesView(Platform &platform, std::function<void()> capture, RecentImagesModel &model,
                     QWidget *parent = nullptr);

    const QList<RecentImage> &recentImages() const { return model_.images(); }

    // Removes the entries at these row positions; the others keep their order.
    void deleteRows(const QList<int> &positions);
    // Removes the selected rows (the Delete and Backspace keys).
    void deleteSelectedRows();
    // Shows the row's file in the file manager (double click, Enter).
    void revealRow(int row);

    // Empties the clipboard and says so.
    void clearClipboard();
    // Hands over to the capture command.
    void captureClipboard();

    QListWidget *list() const { return list_; }
    QPushButton *clearButton() const { return clearButton_; }
    QPushButton *captureButton() const { return captureButton_; }
    // Thumbnails still being read.
    int pendingThumbnails() const { return static_cast<int>(pendingThumbnails_.size()); }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void rebuildRows();
    void showRowMenu(const QPoint &position);
    // Reads the thumbnail off the main thread: a very tall picture takes seconds to read.
    void loadThumbnail(const RecentImage &image);
    void showThumbnail(const QUuid &id);

    Platform &platform_;
    std::function<void()> capture_;
    RecentImagesModel &model_;
    QHash<QUuid, QPixmap> thumbnails_;  // a null pixmap: the file could not be read
    QSet<QUuid> pendingThumbnails_;
    QListWidget *list_ = nullptr;
    QPushButton *clearButton_ = nullptr;
    QPushButton *captureButton_ = nullptr;
    QLabel *emptyHint_ = nullptr;
    // The page's own readers, waited for when it goes: a read left on Qt's shared pool could
    // still be decoding while the application tears down the GUI it relies on.
    QThreadPool readers_;
};

}  // namespace codalume
