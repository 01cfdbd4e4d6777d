#include "views/about_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

#include "view_test_support.h"
#include "views/view_style.h"

namespace codalume {
namespace {

TEST(AboutView, TextsInOrderFooterAtTheBottomDescriptionWrapsCentred) {
    testing::ensureApplication();
    for (const int height : {310, 600}) {
        SCOPED_TRACE(height);
        AboutView view;
        view.resize(276, height);
        view.show();
        QApplication::processEvents();

        EXPECT_EQ(testing::visibleTexts(&view),
                  QStringList({"Codalume", "版本 1.0.0",
                               "一个简单易用的工具，可以将剪贴板中的文本代码转换为美观的图片。",
                               AboutView::footer}));
        EXPECT_TRUE(AboutView::footer.contains("2025"));
        EXPECT_NE(view.findChild<QLabel *>("symbol:scissors"), nullptr);

        const auto *footer = view.findChild<QLabel *>("footer");
        ASSERT_NE(footer, nullptr);
        EXPECT_EQ(footer->geometry().bottom(), height - views::standardPadding - 1);

        const auto *description = view.findChild<QLabel *>("description");
        ASSERT_NE(description, nullptr);
        EXPECT_TRUE(description->alignment() & Qt::AlignHCenter);
        EXPECT_GE(description->height(), 2 * description->fontMetrics().lineSpacing());
        EXPECT_LT(description->geometry().bottom(), footer->geometry().top());
    }
}

}  // namespace
}  // namespace codalume
