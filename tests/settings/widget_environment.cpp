#include <gtest/gtest.h>
#include <QApplication>

namespace {

// Widgets need one QApplication for the whole run; without a display the offscreen platform
// serves (ctest sets it; a direct run gets it here).
class WidgetEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "settings_tests";
        static char *argv[] = {name, nullptr};
        application_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { application_.reset(); }

  private:
    std::unique_ptr<QApplication> application_;
};

const auto *const environment = ::testing::AddGlobalTestEnvironment(new WidgetEnvironment);

}  // namespace
