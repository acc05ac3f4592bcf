// main() for tests of Qt widgets: Qt's offscreen platform unless the run names another, and a
// short per-function limit for Qt's test helpers, so that a hung modal fails fast.
#include <gtest/gtest.h>
#include <QInputDevice>

#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QTEST_FUNCTION_TIMEOUT", "20000", 0);
  // Qt's test helpers make input devices after the application; the list Qt keeps them in has
  // to outlive the application, which deletes them at exit, so it is made first.
  static_cast<void>(QInputDevice::devices());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
