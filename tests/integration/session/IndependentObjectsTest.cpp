// Objects never share a session: interleaved in one thread, or each in its
// own thread at the same time (this executable also runs under
// ThreadSanitizer).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include "SessionFixture.h"
#include "belvora/clsXConverter.h"
#include "belvora/clsXRechnung.h"

using belvora::clsXConverter;
using belvora::clsXRechnung;
using belvora::test::SessionFixture;

namespace {

const std::string kSql = "Select * from xRechnung";

// The invoice numbers stored in a table of a database.
std::multiset<std::string> numbers(const std::string& db, const std::string& sql) {
  std::multiset<std::string> out;
  auto rows = belvora::db::open("Data Source=" + db)->query(sql);
  while (rows->next()) out.insert(rows->row()[0].text());
  return out;
}

bool holdsInvoice(const std::string& file, const std::string& number) {
  return belvora::sys::readFile(file).find("<ram:ID>" + number + "</ram:ID>") != std::string::npos;
}

using IndependentObjects = SessionFixture;

}  // namespace

TEST_F(IndependentObjects, InterleavedSessionsInOneThreadKeepTheirOwnValues) {
  const std::string otherDb = dir / "other.sqlite";
  std::filesystem::copy_file(dbPath, otherDb);

  clsXRechnung a, b;
  ASSERT_TRUE(a.DLL_Init_DB(out("A.xml"), connect(), kSql, "252068", false));
  ASSERT_TRUE(b.DLL_Init_DB(out("B.xml"), "Data Source=" + otherDb, kSql, "252069", false, "",
                            "tblDocuments", false));
  ASSERT_TRUE(a.CreateXRechnung());
  EXPECT_FALSE(std::filesystem::exists(out("B.xml"))) << "B's file is written by B only";
  EXPECT_TRUE(holdsInvoice(out("A.xml"), "252068"));
  ASSERT_TRUE(b.CreateXRechnung());
  EXPECT_TRUE(holdsInvoice(out("B.xml"), "252069"));

  const std::string docs = "SELECT Number FROM tblDocuments";
  EXPECT_EQ(numbers(dbPath, docs), std::multiset<std::string>{"252068"});
  EXPECT_EQ(numbers(otherDb, docs), std::multiset<std::string>{"252069"});
  EXPECT_TRUE(ui->calls.empty());
}

TEST_F(IndependentObjects, EightThreadsCreateAndReadEachTheirOwnInvoice) {
  constexpr int kThreads = 8;
  const char* invoices[] = {"252068", "252069", "252070", "252071"};
  std::vector<std::string> dbs;
  for (int i = 0; i < kThreads; ++i) {
    dbs.push_back(dir / ("db" + std::to_string(i) + ".sqlite"));
    std::filesystem::copy_file(dbPath, dbs.back());
    std::filesystem::create_directory(dir / ("att" + std::to_string(i)));
  }

  // Without USER every thread asks the password database for the account.
  const std::string user = std::getenv("USER") ? std::getenv("USER") : "";
  ::unsetenv("USER");

  bool created[kThreads] = {}, read[kThreads] = {};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      const std::string connect = "Data Source=" + dbs[i];
      const std::string file = out("T" + std::to_string(i) + ".xml");
      clsXRechnung x;
      created[i] =
          x.DLL_Init_DB(file, connect, kSql, invoices[i % 4], false) && x.CreateXRechnung();
      clsXConverter reader;
      read[i] = reader.XConverter(file, dir / ("att" + std::to_string(i)), connect, "tblDocuments",
                                  "DE", false);
    });
  }
  for (auto& t : threads) t.join();
  if (!user.empty()) ::setenv("USER", user.c_str(), 1);

  for (int i = 0; i < kThreads; ++i) {
    SCOPED_TRACE("thread " + std::to_string(i));
    const std::string number = invoices[i % 4];
    EXPECT_TRUE(created[i]);
    EXPECT_TRUE(read[i]);
    EXPECT_TRUE(holdsInvoice(out("T" + std::to_string(i) + ".xml"), number));
    // The created file, then the read one: both rows of this thread's invoice.
    EXPECT_EQ(numbers(dbs[i], "SELECT Number FROM tblDocuments"),
              (std::multiset<std::string>{number, number}));
    EXPECT_EQ(numbers(dbs[i], "SELECT InvoiceNumber FROM tblInvoice"),
              std::multiset<std::string>{number});
  }
  EXPECT_TRUE(messages().empty());
}
