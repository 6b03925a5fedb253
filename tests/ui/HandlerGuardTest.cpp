// A button handler's error reaches the user under the window's title,
// whatever it throws, and never unwinds into Qt's event loop.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "dialogs/SlotGuard.h"
#include "support/FakeInteraction.h"

namespace {

TEST(HandlerGuard, EveryErrorIsShownOnceUnderTheTitle) {
  const struct {
    void (*raise)();
    const char* description;
  } kErrors[] = {
      {[] { throw std::bad_alloc(); }, "std::bad_alloc"},
      {[] { throw std::runtime_error("no database"); }, "no database"},
      {[] { throw 42; }, "unknown error"},
  };
  for (const auto& e : kErrors) {
    SCOPED_TRACE(e.description);
    belvora::test::ScopedFakeInteraction fake;
    belvora::dialogs::Guarded("Support", e.raise);
    const auto shown = fake->messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Support");
    EXPECT_EQ(shown[0].text, e.description);
    EXPECT_EQ(shown[0].icon, belvora::ui::Icon::Critical);
  }
}

}  // namespace
