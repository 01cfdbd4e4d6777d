// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <QApplication>

namespace {

// One QApplication for the whole run of a widget suite (dialogs, clipboard, icons); without a
// display the offscreen platform serves (ctest sets it; a direct run gets it here). It is
// compiled into each suite that needs it rather than into the support library, where nothing
// would reference the registration and the linker would drop it.
class AppEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "codalume_tests";
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
