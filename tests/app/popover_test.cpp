#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <vector>

#include "app/popover.h"

namespace codalume {
namespace {

TEST(PopoverTest, OpensNextToTheIconAndStaysOnScreen) {
    const QRect screen(0, 0, 1024, 768);
    const QSize size(300, 400);
    const QPoint cursor(500, 300);
    struct Case {
        const char *name;
        QRect anchor;
        QPoint cursor;
        QPoint expected;
    };
    const std::vector<Case> cases = {
        {"icon in a top panel", QRect(500, 2, 20, 20), cursor, QPoint(360, 26)},
        {"icon in a bottom panel", QRect(500, 746, 20, 20), cursor, QPoint(360, 342)},
        {"icon at the right edge", QRect(1000, 2, 20, 20), cursor, QPoint(724, 26)},
        {"icon at the left edge", QRect(4, 746, 20, 20), cursor, QPoint(0, 342)},
        {"unknown geometry: near the pointer", QRect(), QPoint(100, 100), QPoint(0, 105)},
        {"not yet placed: near the pointer", QRect(0, 0, 22, 22), QPoint(700, 760),
         QPoint(550, 356)},
    };
    for (const Case &c : cases) {
        const QPoint position = popoverPosition(c.anchor, size, screen, c.cursor);
        EXPECT_EQ(position, c.expected) << c.name;
        EXPECT_TRUE(screen.contains(QRect(position, size))) << c.name;
    }
    // A screen offset from the origin (a second monitor) keeps it on that screen.
    const QRect second(1024, 0, 800, 600);
    const QPoint position = popoverPosition(QRect(1800, 580, 16, 16), size, second, cursor);
    EXPECT_TRUE(second.contains(QRect(position, size)));
}

TEST(PopoverTest, FixedSizeContentAndClosing) {
    Popover popover;
    EXPECT_EQ(popover.size(), QSize(300, 400));
    EXPECT_TRUE(popover.windowFlags() & Qt::FramelessWindowHint);

    QPointer<QLabel> first = new QLabel(QStringLiteral("one"));
    popover.setContentWidget(first);
    popover.setContentWidget(new QLabel(QStringLiteral("two")));
    EXPECT_TRUE(first.isNull());  // replaced content is freed
    EXPECT_EQ(qobject_cast<QLabel *>(popover.contentWidget())->text(), QStringLiteral("two"));

    int closed = 0;
    QObject::connect(&popover, &Popover::closed, [&closed] { ++closed; });
    popover.showRelativeTo(QRect());
    EXPECT_TRUE(popover.isShown());
    EXPECT_EQ(popover.size(), QSize(300, 400));

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&popover, &escape);
    EXPECT_FALSE(popover.isShown());
    EXPECT_EQ(closed, 1);

    popover.showRelativeTo(QRect(10, 10, 20, 20));
    popover.performClose();
    EXPECT_FALSE(popover.isShown());
    EXPECT_EQ(closed, 2);
}

}  // namespace
}  // namespace codalume
