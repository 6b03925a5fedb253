// Every public entry runs in the one exception trap: whatever breaks inside
// reaches the user as exactly one message, the entry's own, and the caller
// as False. The break is the interaction itself failing at the entry's
// first message, with each kind of exception.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>

#include "belvora/belvora.h"
#include "belvora/clsXConverter.h"
#include "belvora/clsXRechnung.h"
#include "platform/db/Connection.h"
#include "support/FakeInteraction.h"
#include "support/TempDir.h"

// An allocation that fails on request, for the entries no interaction
// reaches. A sanitizer brings its own allocator: there the test is skipped.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define BELVORA_TEST_OWN_ALLOCATOR 1
// At -O3 GCC inlines the replaced operators and then sees new paired with
// free; they are this pair's own operators, so the pairing is right.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
static std::atomic<bool> failNextAllocation{false};
void* operator new(std::size_t size) {
  if (failNextAllocation.exchange(false)) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace {

using belvora::test::FakeInteraction;
using belvora::ui::Icon;

// Throws once, at the first message or question after it is armed.
class FailingInteraction : public FakeInteraction {
 public:
  std::function<void()> raise;
  void message(const std::string& title, const std::string& text, Icon icon) override {
    if (auto r = std::exchange(raise, nullptr)) r();
    FakeInteraction::message(title, text, icon);
  }
  bool question(const std::string& title, const std::string& text, Icon icon, bool yes) override {
    if (auto r = std::exchange(raise, nullptr)) r();
    return FakeInteraction::question(title, text, icon, yes);
  }
};

const std::string kErrorInDll = "Error in DLL|An error has occurred: 1\r\n%\r\n0\r\nbelvora";
const std::string kConnectFailed =
    "Note|Connect to database failed.\r\nPlease note the error from the interface.\r\n" +
    std::string(50, '-') + "\r\n\r\n%";
const std::string kReader = "belvora|%";

// A database with one row that lacks every required column: DLL_Init_DB
// succeeds, CreateXRechnung shows its first message.
std::string RowWithoutColumns(const std::string& dir) {
  belvora::test::writeAll(dir + "/rows.sqlite", "");
  auto c = belvora::db::open("Data Source=" + dir + "/rows.sqlite");
  c->execute("CREATE TABLE t (Remark TEXT)");
  c->execute("INSERT INTO t VALUES ('x')");
  return "Data Source=" + dir + "/rows.sqlite";
}

using X = belvora::clsXRechnung;
using Arm = std::function<void()>;
// Runs an entry in a fresh folder; arm() makes the next message or question
// throw. The result: 1 True, 0 False, -1 none (the Show methods), 2 a C
// ABI flag that is neither -1 nor 0.
using Run = int (*)(const std::string& dir, const Arm& arm);

int CFlag(int16_t result) { return result == -1 ? 1 : result == 0 ? 0 : 2; }

const struct {
  const char* name;
  const std::string& report;  // title|text with % for the description; icon by title
  Run run;
} kEntries[] = {
    {"ShowAbout", kErrorInDll,
     [](const std::string&, const Arm& arm) { return arm(), X().ShowAbout(), -1; }},
    {"ShowSupport", kErrorInDll,
     [](const std::string&, const Arm& arm) {
       return arm(), X().ShowSupport("hilfe@example.org"), -1;
     }},
    {"ShowParameter", kErrorInDll,
     [](const std::string&, const Arm& arm) {
       return arm(),
              X().ShowParameter("Data Source=x", "SELECT 1", "/tmp/x.xml", false, "", "", false),
              -1;
     }},
    {"DLL_Init_DB", kConnectFailed,
     [](const std::string& dir, const Arm& arm) {
       return arm(), int(X().DLL_Init_DB(dir + "/a.xml", "Data Source=" + dir + "/none",
                                         "SELECT * FROM t", "", false));
     }},
    {"CreateXRechnung", kErrorInDll,
     [](const std::string& dir, const Arm& arm) {
       X x;
       EXPECT_TRUE(x.DLL_Init_DB(dir + "/a.xml", RowWithoutColumns(dir), "SELECT * FROM t", "",
                                 false, "", ""));
       return arm(), int(x.CreateXRechnung());
     }},
    {"XConverter", kReader,
     [](const std::string& dir, const Arm& arm) {
       return arm(), int(belvora::clsXConverter().XConverter(dir + "/none.xml", "", "", ""));
     }},
    {"belvora_ShowAbout", kErrorInDll,
     [](const std::string&, const Arm& arm) {
       belvora_object* x = belvora_create("belvora.clsXRechnung");
       arm(), belvora_ShowAbout(x), belvora_release(x);
       return -1;
     }},
    {"belvora_XConverter", kReader,
     [](const std::string& dir, const Arm& arm) {
       belvora_object* x = belvora_create("belvora.clsXConverter");
       arm();
       const int result =
           CFlag(belvora_XConverter(x, (dir + "/none.xml").c_str(), "", "", "", "GB", 0));
       belvora_release(x);
       return result;
     }},
};

const struct {
  const char* name;
  void (*raise)();
  const char* description;
} kBreaks[] = {
    {"bad_alloc", [] { throw std::bad_alloc(); }, "std::bad_alloc"},
    {"runtime_error", [] { throw std::runtime_error("the screen went away"); },
     "the screen went away"},
    {"not a std::exception", [] { throw 42; }, "unknown error"},
};

TEST(EntryTrap, EveryEntryShowsExactlyItsOwnMessageAndGivesFalse) {
  // The sessions record their settings here, not where other tests read them.
  belvora::test::TempDir config;
  const char* shared = std::getenv("XDG_CONFIG_HOME");
  const std::string sharedConfig = shared ? shared : "";
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  for (const auto& entry : kEntries) {
    for (const auto& b : kBreaks) {
      SCOPED_TRACE(std::string(entry.name) + ", " + b.name);
      belvora::test::TempDir dir;
      auto owned = std::make_unique<FailingInteraction>();
      FailingInteraction& ui = *owned;
      auto previous = belvora::ui::install(std::move(owned));
      const int result = entry.run(dir.path().string(), [&] { ui.raise = b.raise; });
      const auto done = belvora::ui::install(std::move(previous));  // keeps `ui` alive

      EXPECT_FALSE(ui.raise) << "the entry never reached its first message";
      EXPECT_TRUE(result == 0 || result == -1) << result;
      const auto shown = ui.messages();
      EXPECT_EQ(ui.calls.size(), shown.size()) << "a question was asked";
      ASSERT_EQ(shown.size(), 1u);
      const size_t bar = entry.report.find('|'), mark = entry.report.find('%');
      EXPECT_EQ(shown[0].title, entry.report.substr(0, bar));
      EXPECT_EQ(shown[0].text, entry.report.substr(bar + 1, mark - bar - 1) + b.description +
                                   entry.report.substr(mark + 1));
      EXPECT_EQ(shown[0].icon, shown[0].title == "Note" ? Icon::Information : Icon::Critical);
    }
  }
  shared ? ::setenv("XDG_CONFIG_HOME", sharedConfig.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
}

TEST(EntryTrap, CreateReportsAnAllocationFailureAndGivesNull) {
#ifndef BELVORA_TEST_OWN_ALLOCATOR
  GTEST_SKIP() << "the sanitizer owns the allocator";
#else
  belvora::test::ScopedFakeInteraction fake;
  failNextAllocation = true;
  belvora_object* obj = belvora_create("belvora.clsXRechnung");
  failNextAllocation = false;
  EXPECT_EQ(obj, nullptr);
  belvora_release(obj);
  const auto shown = fake->messages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, "Error in DLL");
  EXPECT_EQ(shown[0].text, "An error has occurred: 1\r\nstd::bad_alloc\r\n0\r\nbelvora");
#endif
}

}  // namespace
