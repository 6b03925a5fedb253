// One QApplication for the whole run, on the offscreen platform unless the
// caller chose another (QT_QPA_PLATFORM=xcb under a display to watch).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#if BELVORA_UI_TEST_REGISTER
#include "dialogs/Windows.h"
#endif

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The library's interaction is chosen from this on first use.
  ::setenv("BELVORA_UI", "qt", 1);
  QApplication app(argc, argv);
#if BELVORA_UI_TEST_REGISTER
  belvora::dialogs::RegisterWindows();
#endif
  return RUN_ALL_TESTS();
}
