// Runs the GUI tests inside one QApplication (on the xcb platform under Xvfb, see
// scripts/run-gui-test.sh).
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
