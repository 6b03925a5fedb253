#include "platform/ui/qt/QtApplication.h"

#include <QApplication>
#include <QThread>
#include <QWidget>
#include <cstdlib>
#include <mutex>

namespace belvora::ui::qt {
namespace {

bool isSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

std::mutex& creationLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

bool displayAvailable() {
  return QCoreApplication::instance() || isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") ||
         isSet("WAYLAND_DISPLAY");
}

std::string windowsRefusedReason() {
  QCoreApplication* app = nullptr;
  {
    std::lock_guard<std::mutex> guard(creationLock());
    app = QCoreApplication::instance();
    if (!app) {
      // Qt keeps argc by reference for the application's lifetime.
      static int argc = 1;
      static char name[] = "belvora";
      static char* argv[] = {name, nullptr};
      // Lives as long as the process: destroying it at exit would run after
      // Qt's own clean-up in a host that unloads plugins first.
      auto* created = new QApplication(argc, argv);
      created->setQuitOnLastWindowClosed(false);
      app = created;
    }
  }
  if (!qobject_cast<QApplication*>(app)) return kNoWidgets;
  if (QThread::currentThread() != app->thread()) return kForeignThread;
  return {};
}

QWidget* dialogParent() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

}  // namespace belvora::ui::qt
