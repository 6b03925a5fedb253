#include "reader/ViewerWindow.h"

#include <atomic>

#include "platform/ui/Interaction.h"

namespace belvora::reader {
namespace {

std::atomic<ViewerWindow>& registered() {
  static std::atomic<ViewerWindow> window{nullptr};
  return window;
}

}  // namespace

void RegisterViewerWindow(ViewerWindow window) { registered() = window; }

ViewerWindow ActiveViewerWindow() {
  ViewerWindow window = registered();
  return window && ui::current().windows() ? window : nullptr;
}

}  // namespace belvora::reader
