// One QApplication for the whole test binary, made before the first test and
// destroyed after the last, as a program's main() holds it.
#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

namespace {

class QtEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "ostrand-test";
    static char* argv[] = {name, nullptr};
    application_ = std::make_unique<QApplication>(argc, argv);
    // Closing a window under test must not end anything.
    QApplication::setQuitOnLastWindowClosed(false);
  }
  void TearDown() override { application_.reset(); }

 private:
  std::unique_ptr<QApplication> application_;
};

const ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
