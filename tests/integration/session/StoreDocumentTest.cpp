// The documents table row of a written or read invoice file, and the store
// of a created invoice: a failure is shown with the database's reason and
// fails the creation run, whatever the database refused.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <system_error>

#include "SessionFixture.h"
#include "belvora/clsXRechnung.h"
#include "reader/StoreDocument.h"
#include "support/ReadOnlyPath.h"

using belvora::reader::DocumentFileName;
using belvora::reader::DocumentFileType;
using belvora::reader::StoreDocument;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {
using StoreDocumentTest = belvora::test::SessionFixture;
}

TEST(DocumentFileNames, NameAfterTheLastSlashAndTypeFromTheLastThreeCharacters) {
  EXPECT_EQ(DocumentFileName("/srv/out/RE-2024-7.xml"), "RE-2024-7.xml");
  EXPECT_EQ(DocumentFileName("RG1.xml"), "RG1.xml") << "a bare name keeps its name";
  EXPECT_EQ(DocumentFileName("/srv/out/"), "");
  EXPECT_EQ(DocumentFileType("/srv/out/RE-2024-7.xml"), "xml");
  EXPECT_EQ(DocumentFileType("/tmp/scan.jpeg"), "peg");
  EXPECT_EQ(DocumentFileType("/tmp/Rechnung.bäö"), "bäö") << "characters, not bytes";
  EXPECT_EQ(DocumentFileType("ab"), "ab");
}

TEST_F(StoreDocumentTest, StoresTheFileBytesWithBoundValues) {
  std::string file = dir / "out/zFile.xml";
  std::string bytes("<x>\0\xFF</x>", 9);
  std::ofstream(file, std::ios::binary) << bytes;
  auto c = belvora::db::open(connect());
  EXPECT_TRUE(StoreDocument(*c, "TBLDOCUMENTS", file, "IN", "R'1; --"));
  auto docs = storedDocuments();
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_EQ(docs[0].docType, "IN");
  EXPECT_EQ(docs[0].number, "R'1; --");
  EXPECT_EQ(docs[0].bytes, bytes);
  EXPECT_EQ(docs[0].fileName, "zFile.xml");
  EXPECT_EQ(docs[0].fileType, "xml");
  EXPECT_EQ(docs[0].fileSize, 9);
}

TEST_F(StoreDocumentTest, FailuresAreShownWithTheirReasonAndStoreNothing) {
  auto c = belvora::db::open(connect());
  const std::string file = dir / "out/a.xml";
  std::ofstream(file) << "x";
  c->execute("CREATE TABLE tblShort (DocType TEXT, Number TEXT)");
  const std::string missing = dir / "missing.xml";
  for (const auto& [table, path, reason] :
       {std::tuple<std::string, std::string, std::string>{"tblDocuments", missing,
                                                          "cannot open '" + missing + "'"},
        {"tblNope", file, "table not found: tblNope"},
        {"tblShort", file, "BinaryFile"},
        {"tblDocuments x", file, "invalid table name: tblDocuments x"}}) {
    SCOPED_TRACE(table);
    ui->calls.clear();
    EXPECT_FALSE(StoreDocument(*c, table, path, "AU", "1"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].title, "Note");
    EXPECT_EQ(messages()[0].icon, belvora::ui::Icon::Exclamation);
    EXPECT_THAT(messages()[0].text,
                StartsWith("The XInvoice was written to " + path +
                           " but could not be stored in the table " + table + ":\r\n"));
    EXPECT_THAT(messages()[0].text, HasSubstr(reason));
  }
  EXPECT_TRUE(storedDocuments().empty());
  // The connection is usable again: no transaction was left open.
  EXPECT_TRUE(StoreDocument(*c, "tblDocuments", file, "AU", "1"));
  EXPECT_EQ(storedDocuments().size(), 1u);
}

TEST_F(StoreDocumentTest, ReadOnlyDatabaseFailsTheCreationRunAfterTheQuestion) {
  {
    belvora::test::ReadOnlyPath readOnly(dbPath);
    if (!readOnly.failure().empty())
      GTEST_SKIP() << "cannot make the database read-only: " << readOnly.failure();
    belvora::clsXRechnung x;
    ASSERT_TRUE(x.DLL_Init_DB(out("RG1.xml"), connect(), "Select * from xRechnung", "252068", false,
                              "", "tblDocuments", true));
    ui->answers = {true};
    EXPECT_FALSE(x.CreateXRechnung());
  }
  ASSERT_EQ(questions().size(), 1u);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_THAT(messages()[0].text,
              StartsWith("The XInvoice was written to " + out("RG1.xml") +
                         " but could not be stored in the table tblDocuments:\r\nattempt to "
                         "write a readonly database (" +
                         dbPath + ": "));
  EXPECT_TRUE(std::filesystem::exists(out("RG1.xml")));
  EXPECT_TRUE(storedDocuments().empty());
}
