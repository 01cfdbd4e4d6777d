#include "views/content_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "support/scripted_platform.h"
#include "view_test_support.h"
#include "views/about_view.h"
#include "views/help_view.h"
#include "views/recent_images_view.h"
#include "views/view_style.h"

namespace codalume {
namespace {

using testing::ScriptedPlatform;

class ContentViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::ensureApplication();
        view = std::make_unique<ContentView>(platform, [this] { ++captures; });
        view->show();
        QApplication::processEvents();
    }

    ScriptedPlatform platform;
    int captures = 0;
    std::unique_ptr<ContentView> view;
};

TEST_F(ContentViewTest, FixedSizeAndHeaderAtTheEdges) {
    EXPECT_EQ(view->size(), QSize(300, 400));
    EXPECT_EQ(view->minimumSize(), view->maximumSize());
    const auto *title = view->findChild<QLabel *>("title");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "Codalume");
    const QRect titleArea(title->mapTo(view.get(), QPoint()), title->size());
    const QRect closeArea(view->closeButton()->mapTo(view.get(), QPoint()),
                          view->closeButton()->size());
    EXPECT_EQ(titleArea.left(), views::standardPadding);
    EXPECT_EQ(closeArea.right(), 300 - views::standardPadding - 1);
    // The tabs fill the rest below the header.
    const QRect tabsArea(view->tabs()->mapTo(view.get(), QPoint()), view->tabs()->size());
    EXPECT_GT(tabsArea.top(), closeArea.bottom());
    EXPECT_EQ(tabsArea.bottom(), 400 - views::standardPadding - 1);
}

TEST_F(ContentViewTest, ThreeTabsWithSymbolsStartingOnTheFirst) {
    const struct {
        const char *title;
        const QWidget *page;
    } tabs[] = {{"最近图片", view->recentImagesView()},
                {"使用帮助", view->helpView()},
                {"关于", view->aboutView()}};
    ASSERT_EQ(view->tabs()->count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(view->tabs()->tabText(i), tabs[i].title);
        EXPECT_EQ(view->tabs()->widget(i), tabs[i].page);
        EXPECT_FALSE(view->tabs()->tabIcon(i).isNull()) << tabs[i].title;
    }
    EXPECT_EQ(view->selectedTab(), 0);
    EXPECT_TRUE(view->recentImagesView()->isVisible());
}

TEST_F(ContentViewTest, SamplesAreDatedFromThePlatformClock) {
    const QDateTime now = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(platform.now));
    const QList<RecentImage> &images = view->recentImagesView()->recentImages();
    ASSERT_EQ(images.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(images[i].date.secsTo(now), (i + 1) * 3600);
    }
}

TEST_F(ContentViewTest, CloseButtonOnlyAsksToClose) {
    int closeRequests = 0;
    QObject::connect(view.get(), &ContentView::closeRequested, [&] { ++closeRequests; });
    view->setSelectedTab(1);
    view->recentImagesView()->deleteRows({0});
    view->closeButton()->click();
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(view->selectedTab(), 1);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->recentImagesView()->recentImages().size(), 2);
    EXPECT_TRUE(platform.alerts.empty());
}

TEST_F(ContentViewTest, PagesKeepTheirStateAcrossTabsAndReopening) {
    view->recentImagesView()->deleteRows({1});
    for (int tab : {1, 2, 0}) {
        view->tabs()->setCurrentIndex(tab);  // as a click on the tab does
        EXPECT_EQ(view->selectedTab(), tab);
        EXPECT_TRUE(view->tabs()->widget(tab)->isVisible());
    }
    view->hide();
    view->show();
    EXPECT_EQ(view->recentImagesView()->list()->count(), 2);
}

TEST_F(ContentViewTest, CaptureButtonReachesTheCommand) {
    view->recentImagesView()->captureButton()->click();
    EXPECT_EQ(captures, 1);
}

TEST(Symbols, EverySymbolThePagesNameIsDrawn) {
    testing::ensureApplication();
    for (const char *name : {"xmark.circle.fill", "photo.on.rectangle", "questionmark.circle",
                             "info.circle", "photo", "trash", "scissors"}) {
        SCOPED_TRACE(name);
        const QPixmap pixmap = views::tintedSymbol(name, 20, QColor(Qt::blue), 2.0);
        ASSERT_FALSE(pixmap.isNull());
        const QImage image = pixmap.toImage();
        EXPECT_EQ(image.size(), QSize(40, 40));
        // Drawn, and drawn entirely in the tint.
        int painted = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() == 255) {
                    ++painted;
                    EXPECT_EQ(pixel.rgb() & 0xFFFFFF, QColor(Qt::blue).rgb() & 0xFFFFFF);
                }
            }
        }
        EXPECT_GT(painted, 60);
        EXPECT_LT(painted, 40 * 40);
    }
    EXPECT_TRUE(views::tintedSymbol("no.such.symbol", 10, Qt::blue).isNull());
}

}  // namespace
}  // namespace codalume
