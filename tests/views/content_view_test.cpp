#include "views/content_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "view_test_support.h"
#include "views/about_view.h"
#include "views/help_view.h"
#include "views/recent_image.h"
#include "views/recent_images_view.h"
#include "views/view_style.h"

namespace codalume {
namespace {

class ContentViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        view.show();
        QApplication::processEvents();
    }
    QRect area(const QWidget *widget) { return {widget->mapTo(&view, QPoint()), widget->size()}; }

    const bool appReady = (testing::ensureApplication(), true);  // before any widget
    testing::TestPlatform platform;
    int captures = 0;
    ContentView view{platform, [this] { ++captures; }};
};

TEST_F(ContentViewTest, HeaderAtTheEdgesAndTabsFillTheRest) {
    EXPECT_EQ(view.size(), QSize(300, 400));
    EXPECT_EQ(view.minimumSize(), view.maximumSize());
    const auto *title = view.findChild<QLabel *>("title");
    EXPECT_EQ(title->text(), "Codalume");
    EXPECT_EQ(area(title).left(), views::standardPadding);
    EXPECT_EQ(area(view.closeButton()).right(), 300 - views::standardPadding - 1);
    EXPECT_GT(area(view.tabs()).top(), area(view.closeButton()).bottom());
    EXPECT_EQ(area(view.tabs()).bottom(), 400 - views::standardPadding - 1);
}

TEST_F(ContentViewTest, ThreeTabsWithSymbolsStartingOnTheFirst) {
    const std::pair<const char *, QWidget *> tabs[] = {{"最近图片", view.recentImagesView()},
                                                       {"使用帮助", view.helpView()},
                                                       {"关于", view.aboutView()}};
    ASSERT_EQ(view.tabs()->count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(view.tabs()->tabText(i), tabs[i].first);
        EXPECT_EQ(view.tabs()->widget(i), tabs[i].second);
        EXPECT_FALSE(view.tabs()->tabIcon(i).isNull());
    }
    EXPECT_EQ(view.selectedTab(), 0);
    EXPECT_TRUE(view.recentImagesView()->isVisible());
    // Nothing saved yet, nothing made up: the list starts empty.
    EXPECT_EQ(view.recentImagesView()->list()->count(), 0);
}

TEST_F(ContentViewTest, CloseOnlyAsksToCloseAndPagesKeepTheirState) {
    int closeRequests = 0;
    QObject::connect(&view, &ContentView::closeRequested, [&] { ++closeRequests; });
    for (const char *name : {"/tmp/a.png", "/tmp/b.png", "/tmp/c.png"}) {
        view.recentImages()->addSaved(name, "Go", QDateTime::currentDateTime());
    }
    view.recentImagesView()->deleteRows({1});
    for (int tab : {2, 1}) {
        view.tabs()->setCurrentIndex(tab);  // as a click on the tab does
        EXPECT_EQ(view.selectedTab(), tab);
        EXPECT_TRUE(view.tabs()->widget(tab)->isVisible());
    }
    view.closeButton()->click();
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(view.selectedTab(), 1);
    EXPECT_TRUE(platform.alerts.empty());
    view.hide();
    view.show();
    EXPECT_EQ(view.recentImagesView()->list()->count(), 2);
    view.recentImagesView()->captureButton()->click();
    EXPECT_EQ(captures, 1);
}

TEST(Symbols, EverySymbolThePagesNameIsDrawnInTheTint) {
    testing::ensureApplication();
    for (const char *name : {"xmark.circle.fill", "photo.on.rectangle", "questionmark.circle",
                             "info.circle", "photo", "trash", "scissors"}) {
        const QImage image = views::tintedSymbol(name, 20, Qt::blue, 2.0).toImage();
        ASSERT_EQ(image.size(), QSize(40, 40)) << name;
        int opaque = 0, blue = 0;
        for (int i = 0; i < 40 * 40; ++i) {
            const QColor pixel = image.pixelColor(i % 40, i / 40);
            opaque += pixel.alpha() == 255;
            blue += pixel == QColor(Qt::blue);
        }
        EXPECT_GT(opaque, 60) << name;
        EXPECT_EQ(blue, opaque) << name;
    }
    EXPECT_TRUE(views::tintedSymbol("no.such.symbol", 10, Qt::blue).isNull());
}

}  // namespace
}  // namespace codalume
