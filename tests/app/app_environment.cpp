#include <gtest/gtest.h>
#include <QApplication>

namespace {

// One QApplication for the whole run (dialogs, clipboard, icons); without a display the
// offscreen platform serves (ctest sets it; a direct run gets it here).
class AppEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "app_tests";
            static char *argv[] = {name, nullptr};
            application_ = std::make_unique<QApplication>(argc, argv);
        }
    }
    void TearDown() override { application_.reset(); }

  private:
    std::unique_ptr<QApplication> application_;
};

const auto *const environment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

}  // namespace
