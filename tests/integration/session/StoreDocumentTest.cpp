// The documents table row of a written or read invoice file, and the store
// of a created invoice: a failure is shown with the database's reason and
// fails the creation run, whatever the database refused.
#include "reader/StoreDocument.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "SessionFixture.h"
#include "belvora/clsXRechnung.h"
#include "support/ReadOnlyPath.h"

namespace belvora::test {
namespace {

using reader::StoreDocument;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

using StoreDocumentTest = SessionFixture;

TEST(DocumentFileNames, NameAfterTheLastSlashAndTypeFromTheLastThreeCharacters) {
  const struct {
    const char *path, *name, *type;  // nullptr: not asked
  } cases[] = {{"/srv/out/RE-2024-7.xml", "RE-2024-7.xml", "xml"},
               {"RG1.xml", "RG1.xml", "xml"},
               {"/srv/out/", "", nullptr},
               {"/tmp/scan.jpeg", "scan.jpeg", "peg"},
               {"/tmp/Rechnung.bäö", "Rechnung.bäö", "bäö"},  // characters, not bytes
               {"ab", "ab", "ab"}};
  for (const auto& c : cases) {
    EXPECT_EQ(reader::DocumentFileName(c.path), c.name) << c.path;
    if (c.type) {
      EXPECT_EQ(reader::DocumentFileType(c.path), c.type) << c.path;
    }
  }
}

TEST_F(StoreDocumentTest, StoresTheFileBytesWithBoundValuesOrShowsWhyNot) {
  auto c = db::open(connect());
  const std::string file = dir / "out/zFile.xml", bytes("<x>\0\xFF</x>", 9);
  writeAll(file, bytes);
  c->execute("CREATE TABLE tblShort (DocType TEXT, Number TEXT)");
  const std::string missing = dir / "missing.xml";
  const struct {
    std::string table, path, reason;
  } failures[] = {
      {"tblDocuments", missing, "cannot open '" + missing + "'"},
      {"tblNope", file, "table not found: tblNope"},
      {"tblShort", file, "BinaryFile"},
      {"tblDocuments x", file, "invalid table name: tblDocuments x"},
      {"tblDocuments; DROP TABLE x", file, "invalid table name: tblDocuments; DROP TABLE x"}};
  for (const auto& f : failures) {
    SCOPED_TRACE(f.table);
    ui->calls.clear();
    EXPECT_FALSE(StoreDocument(*c, f.table, f.path, "AU", "1"));
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_THAT(shown()[0],
                StartsWith("Note|!|The XInvoice was written to " + f.path +
                           " but could not be stored in the table " + f.table + ":\r\n"));
    EXPECT_THAT(shown()[0], HasSubstr(f.reason));
  }
  EXPECT_THAT(storedDocuments(), IsEmpty());
  // The connection is usable again: no transaction was left open.
  EXPECT_TRUE(StoreDocument(*c, "TBLDOCUMENTS", file, "IN", "R'1; --"));
  EXPECT_THAT(storedDocuments(), ElementsAre(Stored("IN", "R'1; --", bytes, "zFile.xml")));
}

TEST_F(StoreDocumentTest, ReadOnlyDatabaseFailsTheCreationRunAfterTheQuestion) {
  {
    ReadOnlyPath readOnly(dbPath);
    if (!readOnly.failure().empty())
      GTEST_SKIP() << "cannot make the database read-only: " << readOnly.failure();
    clsXRechnung x;
    ASSERT_TRUE(x.DLL_Init_DB(out("RG1.xml"), connect(), "Select * from xRechnung", "252068", false,
                              "", "tblDocuments", true));
    ui->answers = {true};
    EXPECT_FALSE(x.CreateXRechnung());
  }
  EXPECT_EQ(shown("question").size(), 1u);
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_THAT(shown()[0], StartsWith("Note|!|The XInvoice was written to " + out("RG1.xml") +
                                     " but could not be stored in the table tblDocuments:\r\n"
                                     "attempt to write a readonly database (" +
                                     dbPath + ": "));
  EXPECT_TRUE(std::filesystem::exists(out("RG1.xml")));
  EXPECT_THAT(storedDocuments(), IsEmpty());
}

}  // namespace
}  // namespace belvora::test
