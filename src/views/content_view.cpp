// SPDX-License-Identifier: MIT
#include "views/content_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/icons.h"
#include "platform/platform.h"
#include "platform/ui_text.h"
#include "views/about_view.h"
#include "views/help_view.h"
#include "views/recent_images_view.h"
#include "views/view_style.h"

namespace codalume {

namespace {

constexpr int closeSymbolSide = 18;

QWidget *makeHeader(QToolButton *closeButton) {
    auto *header = new QWidget;
    header->setObjectName(QStringLiteral("header"));
    header->setBackgroundRole(QPalette::Window);
    header->setAutoFillBackground(true);
    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(views::standardPadding, views::standardPadding,
                               views::standardPadding, views::standardPadding);
    auto *title = views::makeLabel(QStringLiteral("Codalume"), views::TextStyle::Headline);
    title->setObjectName(QStringLiteral("title"));
    layout->addWidget(title, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    layout->addWidget(closeButton, 0, Qt::AlignVCenter);
    return header;
}

}  // namespace

ContentView::ContentView(Platform &platform, std::function<void()> capture,
                         RecentImagesModel *recentImages, QWidget *parent)
    : QWidget(parent) {
    closeButton_ = new QToolButton;
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    closeButton_->setAutoRaise(true);
    closeButton_->setCursor(Qt::PointingHandCursor);
    closeButton_->setFocusPolicy(Qt::NoFocus);
    closeButton_->setIconSize(QSize(closeSymbolSide, closeSymbolSide));
    closeButton_->setIcon(QIcon(symbolPixmap(QStringLiteral("xmark.circle.fill"), closeSymbolSide,
                                             2.0, views::symbolGray())));
    closeButton_->setToolTip(Ui::tr("关闭"));
    closeButton_->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; }"));
    connect(closeButton_, &QToolButton::clicked, this, &ContentView::closeRequested);

    recentImages_ = recentImages != nullptr ? recentImages : new RecentImagesModel(this);
    recentImagesView_ = new RecentImagesView(platform, std::move(capture), *recentImages_);
    helpView_ = new HelpView(platform);
    aboutView_ = new AboutView;

    tabs_ = new QTabWidget;
    // Whole titles: the popover widens for them (an eliding style would cut them instead).
    tabs_->setUsesScrollButtons(false);
    tabs_->setElideMode(Qt::ElideNone);
    tabs_->tabBar()->setExpanding(true);
    tabs_->addTab(recentImagesView_, symbolIcon(QStringLiteral("photo.on.rectangle")),
                  Ui::tr("最近图片"));
    tabs_->addTab(helpView_, symbolIcon(QStringLiteral("questionmark.circle")), Ui::tr("使用帮助"));
    tabs_->addTab(aboutView_, symbolIcon(QStringLiteral("info.circle")), Ui::tr("关于"));
    tabs_->setCurrentIndex(0);
    // Hidden pages still count, so the popover is as tall as the tallest page's wrapped text
    // needs whichever page shows.
    for (int tab = 0; tab < tabs_->count(); ++tab) {
        QSizePolicy policy = tabs_->widget(tab)->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        tabs_->widget(tab)->setSizePolicy(policy);
    }

    auto *tabArea = new QWidget;
    auto *tabLayout = new QVBoxLayout(tabArea);
    tabLayout->setContentsMargins(views::standardPadding, 0, views::standardPadding,
                                  views::standardPadding);
    tabLayout->addWidget(tabs_);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeHeader(closeButton_));
    layout->addWidget(tabArea, 1);
}

int ContentView::selectedTab() const {
    return tabs_->currentIndex();
}

void ContentView::setSelectedTab(int tab) {
    tabs_->setCurrentIndex(tab);
}

}  // namespace codalume
