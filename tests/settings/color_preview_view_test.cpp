#include "settings/color_preview_view.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <cstdlib>

namespace codalume {
namespace {

const RgbColor red{1, 0, 0};
const RgbColor blue{0, 0, 1};

struct Preview {
    Preview() {
        view.resize(250, 24);
        view.layer().cornerRadius = 4;
        view.layer().borderWidth = 1;
        view.layer().borderColor = QColor(128, 128, 128);
    }
    QImage paint(const RgbColor &start, const RgbColor &end, bool gradient,
                 const QString &direction) {
        view.applyPreviewBackground(start, end, gradient, direction);
        return view.grab().toImage();
    }
    ColorPreviewView view;
};

// Red share of a pixel: 1 where the start colour lies, 0 at the end colour.
double redShare(const QImage &image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    return c.redF() / (c.redF() + c.blueF());
}

TEST(ColorPreviewView, GradientRunsFromStartToEndInEachDirection) {
    // Red share at the bottom-left, top-right, bottom-right and top-left of a square view.
    const struct {
        const char *direction;
        double shares[4];
    } cases[] = {
        {"horizontal", {1, 0, 0, 1}}, {"diagonal", {1, 0, 0.5, 0.5}}, {"vertical", {1, 0, 1, 0}},
        {"Horizontal", {1, 0, 1, 0}},  // compared exactly: drawn as vertical
        {"", {1, 0, 1, 0}},
    };
    const QPoint points[4] = {{6, 53}, {53, 6}, {53, 53}, {6, 6}};
    for (const auto &c : cases) {
        Preview preview;
        preview.view.resize(60, 60);
        const QImage image = preview.paint(red, blue, true, c.direction);
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(redShare(image, points[i].x(), points[i].y()), c.shares[i], 0.15)
                << c.direction << " point " << i;
        }
    }
}

TEST(ColorPreviewView, SolidFillWithGreyRoundedBorderAndSampleInContrastColour) {
    const struct {
        RgbColor start, end;
        bool gradient;
        QColor text;
    } cases[] = {
        {{0.12, 0.12, 0.12}, {0.2, 0.2, 0.3}, false, Qt::white},
        {{1, 1, 1}, {0.2, 0.2, 0.3}, false, Qt::black},
        {{1, 1, 1}, {0, 0, 0}, true, Qt::black},  // the end colour never decides
        {{0.5, 0.5, 0.5}, {1, 1, 1}, true, Qt::white},
    };
    for (const auto &c : cases) {
        Preview preview;
        const QImage image = preview.paint(c.start, c.end, c.gradient, "vertical");
        EXPECT_EQ(preview.view.layer().text->foregroundColor, c.text);
        EXPECT_EQ(preview.view.layer().text->string, "Sample");
        if (!c.gradient) {
            EXPECT_EQ(image.pixel(20, 12), c.start.toQColor().rgb());
        }
        EXPECT_EQ(image.pixelColor(125, 0), QColor(128, 128, 128));
        EXPECT_NE(image.pixelColor(0, 0), image.pixelColor(125, 0));  // rounded corner
        int textPixels = 0;
        for (int x = 100; x < 150; ++x) {
            for (int y = 4; y < 20; ++y) {
                textPixels += std::abs(qGray(image.pixel(x, y)) - qGray(c.text.rgb())) < 60;
            }
        }
        EXPECT_GT(textPixels, 10);
    }
}

TEST(ColorPreviewView, RepaintsReplaceTheGradientAndKeepTheBackground) {
    PreviewLayer layer;
    ColorPreviewView::applyPreviewBackground(layer, red, blue, false, "vertical");
    EXPECT_FALSE(layer.gradient);
    ColorPreviewView::applyPreviewBackground(layer, blue, red, true, "diagonal");
    ASSERT_TRUE(layer.gradient);
    EXPECT_EQ(layer.gradient->startColor, blue.toQColor());
    EXPECT_EQ(layer.gradient->endPoint, QPointF(1, 1));
    EXPECT_EQ(layer.backgroundColor, red.toQColor());  // left as it was under the gradient
    ColorPreviewView::applyPreviewBackground(layer, blue, red, false, "diagonal");
    EXPECT_FALSE(layer.gradient);
    EXPECT_EQ(layer.backgroundColor, blue.toQColor());
}

TEST(ColorPreviewView, IgnoresUpdatesUntilEveryInputIsSet) {
    ColorWell start, end;
    QCheckBox gradient;
    QComboBox popup;
    popup.addItems({"垂直", "水平"});
    for (int missing = 0; missing <= 5; ++missing) {
        ColorPreviewView view;
        if (missing != 0)
            view.startColorWell = &start;
        if (missing != 1)
            view.endColorWell = &end;
        if (missing != 2)
            view.useGradientCheckbox = &gradient;
        if (missing != 3)
            view.directionPopup = &popup;
        if (missing != 4)
            view.directionMapReverse = QMap<QString, QString>{{"水平", "horizontal"}};
        view.updatePreview(nullptr);
        EXPECT_EQ(view.layer().text.has_value(), missing == 5) << missing;
    }
}

TEST(ColorWell, KeepsExactComponentsAndSignalsOnlyUserPicks) {
    ColorWell well;
    int changes = 0;
    QObject::connect(&well, &ColorWell::colorChanged, [&changes] { ++changes; });
    well.setColor({1.5, -0.25, 0.123456789012345});
    EXPECT_EQ(well.color(), RgbColor({1.5, -0.25, 0.123456789012345}));
    EXPECT_EQ(well.color().toQColor().rgb(), qRgb(255, 0, 31));  // the swatch is clamped
    EXPECT_EQ(changes, 0);
    // A dialog pick of 8-bit values yields the nearest doubles: #33334C is 0.2, 0.2, 76 / 255.
    well.pickColor(RgbColor::fromQColor(QColor(0x33, 0x33, 0x4C)));
    EXPECT_EQ(well.color(), RgbColor({0.2, 0.2, 76 / 255.0}));
    EXPECT_EQ(changes, 1);
}

}  // namespace
}  // namespace codalume
