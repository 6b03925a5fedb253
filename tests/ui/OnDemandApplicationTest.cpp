// A host without a Qt application (a C program, a script through ctypes):
// the library creates one on the first window and keeps windows on that
// thread.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <thread>

#include "platform/ui/qt/QtApplication.h"

namespace {

TEST(OnDemandApplication, IsCreatedOnFirstUseAndBindsWindowsToItsThread) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  EXPECT_TRUE(belvora::ui::qt::displayAvailable());
  EXPECT_EQ(belvora::ui::qt::windowsRefusedReason(), "");
  ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
  QCoreApplication* first = QCoreApplication::instance();
  EXPECT_EQ(belvora::ui::qt::windowsRefusedReason(), "");
  EXPECT_EQ(QCoreApplication::instance(), first);
  std::string fromWorker;
  std::thread([&] { fromWorker = belvora::ui::qt::windowsRefusedReason(); }).join();
  EXPECT_EQ(fromWorker, belvora::ui::qt::kForeignThread);
}

}  // namespace
