#include <gtest/gtest.h>

#include <QCoreApplication>

#include "app/instance_requests.h"
#include "flow_fixture.h"
#include "render/code_image.h"

namespace codalume {
namespace {

using testing::FlowTest;

// The capture command, from what the clipboard holds to the alerts and the file in Downloads.
TEST_F(FlowTest, CaptureShowsTheRightAlertsAndSavesOnlyWhatTheUserConfirmed) {
    const QString code = QStringLiteral("def f():\n    return 1\n");
    const char16_t units[] = u"let s = \"\0\xD800\";\n// مرحبا 👨‍👩‍👧\n\xDC00";
    const QString hostile(reinterpret_cast<const QChar *>(units), std::size(units) - 1);
    const QString tooLong(PictureLimits::maxCharacters + 1, u'x');
    const QImage image = noise(1500, 1100);  // larger than the preview shows it
    struct Row {
        const char *fault;
        std::optional<QString> text;
        std::optional<QImage> image;
        bool preview;
        int answer;  // to the first alert
        QStringList alerts;
    };
    // clang-format off
    const Row rows[] = {
        {"text saved without its preview", code, image, true, 1000, {"图片预览", "图片已保存"}},
        {"a cancelled preview still saves", code, image, true, 1001, {"图片预览"}},
        {"a preview although it is off", code, std::nullopt, false, 1000, {"图片已保存"}},
        {"an empty text is not text", QString(), image, false, 1000, {"图片已保存"}},
        {"NUL, lone surrogates, RTL, emoji", hostile, std::nullopt, false, 1000, {"图片已保存"}},
        {"a clipboard image not offered", std::nullopt, image, true, 1000,
         {"剪贴板包含图片", "图片已保存"}},
        {"a cancelled image offer still saves", std::nullopt, image, true, 1001, {"剪贴板包含图片"}},
        {"an empty clipboard unanswered", std::nullopt, QImage(), true, 1000, {"无法识别的剪贴板内容"}},
        {"a text too large for a picture", tooLong, std::nullopt, true, 1000,
         {"图片预览", "创建图片失败"}},
        {"the same without preview", tooLong, std::nullopt, false, 1000, {"创建图片失败"}},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.fault);
        QDir(downloads).removeRecursively();
        platform.alerts.clear();
        platform.text = row.text;
        platform.image = row.image;
        controller.userPreferences.showPreview = row.preview;
        platform.answerNext(row.answer);

        controller.getClipboardContent();

        EXPECT_EQ(platform.messages(), row.alerts);
        const QString saved = downloads + u'/' + fileName;
        EXPECT_EQ(QFileInfo::exists(saved), row.alerts.endsWith("图片已保存"));
        EXPECT_EQ(entries(downloads).size(), QFileInfo::exists(saved) ? 1 : 0);
        if (QFileInfo::exists(saved)) {  // a code picture for text, else the image unchanged
            EXPECT_EQ(decoded(saved) == image, !row.text.has_value());
        }
        if (row.alerts[0] == "图片预览") {  // a picture exactly when one could be made
            EXPECT_EQ(platform.alerts[0].accessoryImage.isNull(), row.text == tooLong);
        }
    }
}

// Another start asking for a capture is answered before anything runs (the asker would wait
// on the capture's dialogs otherwise), and captures run one at a time: one asked for and not
// started yet counts, and so does the one whose preview is open.
TEST_F(FlowTest, RequestsFromOtherStartsAreAnsweredFirstAndCaptureOneAtATime) {
    using Answers = std::vector<InstanceAnswer>;
    platform.text = QStringLiteral("print(1)");
    InstanceRequests requests([this] { return &controller; });
    const auto ask = [&requests](InstanceCommand command) {
        return requests.handle({command, {}});
    };
    Answers duringPreview;
    platform.answerNext([&](const Alert &) {
        duringPreview = {ask(InstanceCommand::Capture), ask(InstanceCommand::Settings)};
        return firstButtonReturn + 1;  // 取消
    });

    EXPECT_EQ((Answers{ask(InstanceCommand::Capture), ask(InstanceCommand::Capture),
                       ask(InstanceCommand::Settings)}),
              (Answers{InstanceAnswer::Done, InstanceAnswer::Busy, InstanceAnswer::Busy}));
    EXPECT_TRUE(platform.alerts.empty()) << "nothing runs before the asker has its answer";
    for (int turn = 0; turn < 10 && platform.alerts.empty(); ++turn) {
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(platform.alerts.size(), 1u);
    EXPECT_EQ(duringPreview, (Answers{InstanceAnswer::Busy, InstanceAnswer::Busy}));
    EXPECT_EQ(ask(InstanceCommand::Capture), InstanceAnswer::Done) << "free again";
}

}  // namespace
}  // namespace codalume
