// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>

class QTabWidget;
class QToolButton;

namespace codalume {

class Platform;
class RecentImagesModel;
class RecentImagesView;
class HelpView;
class AboutView;

// The popover's content: a header with the title and a close button above three tabs
// (recent images, help, about). The pages live as long as this view, so they keep their state
// between openings of the popover.
class ContentView : public QWidget {
    Q_OBJECT
  public:
    // `capture` runs the capture command for the recent-images page's button. The first page
    // shows `recentImages` (kept by its owner when the view is rebuilt, as for another
    // interface language), or a list of its own.
    ContentView(Platform &platform, std::function<void()> capture,
                RecentImagesModel *recentImages = nullptr, QWidget *parent = nullptr);

    int selectedTab() const;
    void setSelectedTab(int tab);

    QTabWidget *tabs() const { return tabs_; }
    QToolButton *closeButton() const { return closeButton_; }
    RecentImagesView *recentImagesView() const { return recentImagesView_; }
    // The pictures saved during this run, shown on the first page; saving adds to it.
    RecentImagesModel *recentImages() const { return recentImages_; }
    HelpView *helpView() const { return helpView_; }
    AboutView *aboutView() const { return aboutView_; }

  signals:
    // The close button was pressed; whoever shows the popover closes it.
    void closeRequested();

  private:
    QTabWidget *tabs_ = nullptr;
    QToolButton *closeButton_ = nullptr;
    RecentImagesModel *recentImages_ = nullptr;
    RecentImagesView *recentImagesView_ = nullptr;
    HelpView *helpView_ = nullptr;
    AboutView *aboutView_ = nullptr;
};

}  // namespace codalume
