// Objects never share a session: interleaved in one thread, or each in its
// own thread at the same time (this executable also runs under
// ThreadSanitizer).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "SessionFixture.h"
#include "belvora/clsXConverter.h"
#include "belvora/clsXRechnung.h"

namespace belvora::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::string kSql = "Select * from xRechnung";

// The values of one column of a query.
std::vector<std::string> Column(const std::string& db, const std::string& table,
                                const std::string& column) {
  std::vector<std::string> out;
  for (Row& r : Rows("Data Source=" + db, "SELECT " + column + " FROM " + table + " ORDER BY 1"))
    out.push_back(r[column]);
  return out;
}

using IndependentObjects = SessionFixture;

TEST_F(IndependentObjects, InterleavedSessionsInOneThreadKeepTheirOwnValues) {
  const std::string otherDb = dir / "other.sqlite";
  std::filesystem::copy_file(dbPath, otherDb);
  clsXRechnung a, b;
  ASSERT_TRUE(a.DLL_Init_DB(out("A.xml"), connect(), kSql, "252068", false));
  ASSERT_TRUE(b.DLL_Init_DB(out("B.xml"), "Data Source=" + otherDb, kSql, "252069", false, "",
                            "tblDocuments", false));
  ASSERT_TRUE(a.CreateXRechnung());
  EXPECT_FALSE(std::filesystem::exists(out("B.xml"))) << "B's file is written by B only";
  ASSERT_TRUE(b.CreateXRechnung());
  EXPECT_THAT(readAll(out("A.xml")), HasSubstr("<ram:ID>252068</ram:ID>"));
  EXPECT_THAT(readAll(out("B.xml")), HasSubstr("<ram:ID>252069</ram:ID>"));
  EXPECT_THAT(Column(dbPath, "tblDocuments", "number"), ElementsAre("252068"));
  EXPECT_THAT(Column(otherDb, "tblDocuments", "number"), ElementsAre("252069"));
  EXPECT_THAT(ui->calls, IsEmpty());
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
      read[i] = clsXConverter().XConverter(file, dir / ("att" + std::to_string(i)), connect,
                                           "tblDocuments", "DE", false);
    });
  }
  for (auto& t : threads) t.join();
  if (!user.empty()) ::setenv("USER", user.c_str(), 1);

  for (int i = 0; i < kThreads; ++i) {
    SCOPED_TRACE("thread " + std::to_string(i));
    const std::string number = invoices[i % 4];
    EXPECT_TRUE(created[i]);
    EXPECT_TRUE(read[i]);
    EXPECT_THAT(readAll(out("T" + std::to_string(i) + ".xml")),
                HasSubstr("<ram:ID>" + number + "</ram:ID>"));
    // The created file, then the read one: both rows of this thread's invoice.
    EXPECT_THAT(Column(dbs[i], "tblDocuments", "number"), ElementsAre(number, number));
    EXPECT_THAT(Column(dbs[i], "tblInvoice", "invoicenumber"), ElementsAre(number));
  }
  EXPECT_THAT(shown(), IsEmpty());
}

}  // namespace
}  // namespace belvora::test
