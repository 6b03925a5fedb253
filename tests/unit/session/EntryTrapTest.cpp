// Every public entry runs in the one exception trap: whatever breaks inside
// reaches the user as exactly one message, the entry's own, and the caller
// as False. The break is the interaction itself failing at the entry's
// first message, with each kind of exception.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "support/TempDir.h"
#include "belvora/belvora.h"
#include "belvora/clsXConverter.h"
#include "belvora/clsXRechnung.h"
#include "support/FakeInteraction.h"
#include "platform/db/Connection.h"

// An allocation that fails on request, for the entries no interaction
// reaches. A sanitizer brings its own allocator: there the test is skipped.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define BELVORA_TEST_OWN_ALLOCATOR 1
namespace {
std::atomic<bool> failNextAllocation{false};
}
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
using belvora::test::TempDir;

// Throws once, at the first message or question after it is armed.
class FailingInteraction : public FakeInteraction {
 public:
  std::function<void()> raise;
  void message(const std::string& title, const std::string& text, belvora::ui::Icon icon) override {
    fire();
    FakeInteraction::message(title, text, icon);
  }
  bool question(const std::string& title, const std::string& text, belvora::ui::Icon icon,
                bool defaultYes) override {
    fire();
    return FakeInteraction::question(title, text, icon, defaultYes);
  }

 private:
  void fire() {
    if (auto r = std::exchange(raise, nullptr)) r();
  }
};

enum class Report { ErrorInDll, ConnectFailed, Reader };

struct Break {
  const char* name;
  void (*raise)();
  const char* description;
};

const Break kBreaks[] = {
    {"bad_alloc", [] { throw std::bad_alloc(); }, "std::bad_alloc"},
    {"runtime_error", [] { throw std::runtime_error("the screen went away"); },
     "the screen went away"},
    {"not a std::exception", [] { throw 42; }, "unknown error"},
};

struct Entry {
  const char* name;
  Report report;
  // Runs the entry; arm() makes the next message or question throw.
  // nullopt for entries without a result, else whether it gave True.
  std::function<std::optional<bool>(const std::string& dir, const std::function<void()>& arm)> run;
};

// A database with one row that lacks every required column: DLL_Init_DB
// succeeds, CreateXRechnung shows its first message.
std::string RowWithoutColumns(const std::string& dir) {
  const std::string path = dir + "/rows.sqlite";
  std::ofstream(path).close();
  auto c = belvora::db::open("Data Source=" + path);
  c->execute("CREATE TABLE t (Remark TEXT)");
  c->execute("INSERT INTO t VALUES ('x')");
  return "Data Source=" + path;
}

std::optional<bool> CFlag(int16_t result) {
  EXPECT_TRUE(result == 0 || result == -1);
  return result != 0;
}

// The C ABI's object for one call of an entry.
struct CObject {
  explicit CObject(const char* name) : obj(belvora_create(name)) {}
  ~CObject() { belvora_release(obj); }
  belvora_object* obj;
};

const Entry kEntries[] = {
    {"ShowAbout", Report::ErrorInDll,
     [](const std::string&, const auto& arm) -> std::optional<bool> {
       arm();
       belvora::clsXRechnung().ShowAbout();
       return std::nullopt;
     }},
    {"ShowSupport", Report::ErrorInDll,
     [](const std::string&, const auto& arm) -> std::optional<bool> {
       arm();
       belvora::clsXRechnung().ShowSupport("hilfe@example.org");
       return std::nullopt;
     }},
    {"ShowParameter", Report::ErrorInDll,
     [](const std::string&, const auto& arm) -> std::optional<bool> {
       arm();
       belvora::clsXRechnung().ShowParameter("Data Source=x", "SELECT 1", "/tmp/x.xml", false, "",
                                             "", false);
       return std::nullopt;
     }},
    {"DLL_Init_DB", Report::ConnectFailed,
     [](const std::string& dir, const auto& arm) -> std::optional<bool> {
       arm();
       return belvora::clsXRechnung().DLL_Init_DB(dir + "/a.xml", "Data Source=" + dir + "/none",
                                                  "SELECT * FROM t", "", false);
     }},
    {"CreateXRechnung", Report::ErrorInDll,
     [](const std::string& dir, const auto& arm) -> std::optional<bool> {
       belvora::clsXRechnung x;
       EXPECT_TRUE(x.DLL_Init_DB(dir + "/a.xml", RowWithoutColumns(dir), "SELECT * FROM t", "",
                                 false, "", ""));
       arm();
       return x.CreateXRechnung();
     }},
    {"XConverter", Report::Reader,
     [](const std::string& dir, const auto& arm) -> std::optional<bool> {
       arm();
       return belvora::clsXConverter().XConverter(dir + "/none.xml", "", "", "");
     }},
    {"belvora_ShowAbout", Report::ErrorInDll,
     [](const std::string&, const auto& arm) -> std::optional<bool> {
       CObject x("belvora.clsXRechnung");
       arm();
       belvora_ShowAbout(x.obj);
       return std::nullopt;
     }},
    {"belvora_XConverter", Report::Reader,
     [](const std::string& dir, const auto& arm) -> std::optional<bool> {
       CObject x("belvora.clsXConverter");
       arm();
       return CFlag(belvora_XConverter(x.obj, (dir + "/none.xml").c_str(), "", "", "", "GB", 0));
     }},
};

TEST(EntryTrap, EveryEntryShowsExactlyItsOwnMessageAndGivesFalse) {
  // The sessions record their settings here, not where other tests read them.
  TempDir config;
  const char* shared = std::getenv("XDG_CONFIG_HOME");
  const std::string sharedConfig = shared ? shared : "";
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  for (const Entry& entry : kEntries) {
    for (const Break& b : kBreaks) {
      SCOPED_TRACE(std::string(entry.name) + ", " + b.name);
      TempDir dir;
      auto owned = std::make_unique<FailingInteraction>();
      FailingInteraction& ui = *owned;
      auto previous = belvora::ui::install(std::move(owned));
      const std::optional<bool> result =
          entry.run(dir.path().string(), [&] { ui.raise = b.raise; });
      const auto done = belvora::ui::install(std::move(previous));  // keeps `ui` alive

      EXPECT_FALSE(ui.raise) << "the entry never reached its first message";
      EXPECT_NE(result, std::optional<bool>(true));
      const auto shown = ui.messages();
      EXPECT_EQ(ui.calls.size(), shown.size()) << "a question was asked";
      if (shown.size() != 1) {
        ADD_FAILURE() << shown.size() << " messages instead of one";
        continue;
      }
      const std::string d = b.description;
      switch (entry.report) {
        case Report::ErrorInDll:
          EXPECT_EQ(shown[0].title, "Error in DLL");
          EXPECT_EQ(shown[0].text, "An error has occurred: 1\r\n" + d + "\r\n0\r\nbelvora");
          EXPECT_EQ(shown[0].icon, belvora::ui::Icon::Critical);
          break;
        case Report::ConnectFailed:
          EXPECT_EQ(shown[0].title, "Note");
          EXPECT_EQ(shown[0].text,
                    "Connect to database failed.\r\nPlease note the error from the interface.\r\n" +
                        std::string(50, '-') + "\r\n\r\n" + d);
          EXPECT_EQ(shown[0].icon, belvora::ui::Icon::Information);
          break;
        case Report::Reader:
          EXPECT_EQ(shown[0].title, "belvora");
          EXPECT_EQ(shown[0].text, d);
          EXPECT_EQ(shown[0].icon, belvora::ui::Icon::Critical);
          break;
      }
    }
  }
  if (shared)
    ::setenv("XDG_CONFIG_HOME", sharedConfig.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
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
