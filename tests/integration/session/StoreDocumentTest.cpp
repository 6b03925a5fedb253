// The documents table row of a written or read invoice file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <system_error>

#include "SessionFixture.h"
#include "reader/StoreDocument.h"

using belvora::reader::DocumentFileName;
using belvora::reader::DocumentFileType;
using belvora::reader::StoreDocument;
using ::testing::HasSubstr;

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

TEST_F(StoreDocumentTest, FailuresThrowAndStoreNothing) {
  auto c = belvora::db::open(connect());
  std::string missing = dir / "missing.xml";
  try {
    StoreDocument(*c, "tblDocuments", missing, "AU", "1");
    FAIL() << "no error";
  } catch (const std::system_error& e) {
    EXPECT_THAT(e.what(), HasSubstr(missing));
  }
  std::string file = dir / "out/a.xml";
  std::ofstream(file) << "x";
  c->execute("CREATE TABLE tblShort (DocType TEXT, Number TEXT)");
  EXPECT_THROW(StoreDocument(*c, "tblShort", file, "AU", "1"), belvora::db::Error);
  EXPECT_THROW(StoreDocument(*c, "tblDocuments x", file, "AU", "1"), belvora::db::Error);
  EXPECT_TRUE(storedDocuments().empty());
  // The connection is usable again: no transaction was left open.
  EXPECT_TRUE(StoreDocument(*c, "tblDocuments", file, "AU", "1"));
  EXPECT_EQ(storedDocuments().size(), 1u);
}
