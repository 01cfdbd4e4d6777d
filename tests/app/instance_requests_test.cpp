#include <gtest/gtest.h>

#include <QCoreApplication>

#include "app/instance_requests.h"
#include "flow_fixture.h"

namespace codalume {
namespace {

using testing::FlowTest;
using Answers = std::vector<InstanceAnswer>;

// Another start asking for a capture is answered before anything runs (the asker would wait
// on the capture's dialogs otherwise), and captures run one at a time, as with the shortcut:
// one asked for and not started yet counts, and so does the one whose preview is open.
TEST_F(FlowTest, RequestsFromOtherStartsAreAnsweredFirstAndCaptureOneAtATime) {
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

    const Answers beforeRunning = {ask(InstanceCommand::Capture), ask(InstanceCommand::Capture),
                                   ask(InstanceCommand::Settings)};
    EXPECT_EQ(beforeRunning,
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
