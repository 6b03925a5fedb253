// Start "EINLESEN" against input built to hurt: the size limit as a
// setting, an output folder nobody may write to, XML that is no invoice.
// Each ends with its message and status.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "StartChild.h"
#include "support/SharedArtefacts.h"

using belvora::test::ChildRun;
using belvora::test::ciiHead;
using belvora::test::ciiTail;
using belvora::test::Json;
using belvora::test::kMB;
using ::testing::HasSubstr;
using ::testing::Not;

namespace fs = std::filesystem;

namespace {
const std::string kCorpus = belvora::test::CorpusDir();
class HostileInput : public belvora::test::StartChild {};
}  // namespace

TEST_F(HostileInput, TheLimitIsASetting) {
  BELVORA_REQUIRE_CORPUS();
  belvora::test::PdfBuilder b;
  const std::string big = belvora::test::deflateFilled(ciiHead(), ' ', 3 * kMB, ciiTail());
  b.setEmbeddedFiles(b.leaf({{"factur-x.xml", b.compressedFileSpec("factur-x.xml", big)}}));
  const std::string pdf = dir / "drei.pdf";
  belvora::test::writeAll(pdf, b.bytes());
  const std::string xml = kCorpus + "/en16931/cii/CII_example5.xml";

  ChildRun r = start(read(pdf), {"BELVORA_READER_MAXSIZE_MB=2"});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("larger than the limit of 2 MB"));
  EXPECT_EQ(start(read(pdf), {"BELVORA_READER_MAXSIZE_MB=4"}).status, 0);

  // The settings file, overridden by the variable; a bad value is reported.
  fs::create_directories(dir / "config/belvora");
  std::ofstream(dir / "config/belvora/belvora.conf") << "[Reader]\nmaxsizemb=2\n";
  EXPECT_EQ(start(read(pdf)).status, 1);
  EXPECT_EQ(start(read(pdf), {"BELVORA_READER_MAXSIZE_MB=4"}).status, 0);
  for (const char* bad : {"0", "zwei", "-1", "99999999999"}) {
    r = start(read(xml), {std::string("BELVORA_READER_MAXSIZE_MB=") + bad});
    EXPECT_EQ(r.status, 1) << bad;
    EXPECT_THAT(r.err, HasSubstr("BELVORA_READER_MAXSIZE_MB")) << bad;
  }
  // The limit holds for an XML file too.
  r = start(read(xml), {"BELVORA_READER_MAXSIZE_MB=1"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string huge = dir / "huge.xml";
  belvora::test::writeAll(huge, ciiHead() + std::string(2 * kMB, ' ') + ciiTail());
  r = start(read(huge), {"BELVORA_READER_MAXSIZE_MB=1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("is larger than the limit of 1 MB"));
}

TEST_F(HostileInput, UnwritableOutputFolderReportsEveryAttachment) {
  BELVORA_REQUIRE_CORPUS();
  // A read-only bind mount in a private namespace: refused even to root.
  const std::string out = dir / "anlagen";
  fs::create_directory(out);
  const std::string invoice = kCorpus + "/en16931/cii/CII_example2.xml";
  const std::string parameters = read(invoice, "|outputfolder=" + out);
  ChildRun r =
      run({"/usr/bin/unshare", "-rm", "/bin/sh", "-c",
           "mount --bind \"$1\" \"$1\" && mount -o remount,bind,ro \"$1\" && exec \"$2\" \"$3\"",
           "sh", out, BELVORA_START_EXE, parameters});
  if (r.status == 127 || r.err.find("mount") != std::string::npos ||
      r.err.find("unshare") != std::string::npos) {
    GTEST_SKIP() << "no private mount namespace here: " << r.err;
  }
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(Json::parse(r.out)["fields"]["InvoiceNumber"].str(), "TOSL108");
  EXPECT_THAT(r.err, HasSubstr("These attachments were not saved in " + out + ":\r\n"));
  EXPECT_THAT(r.err, HasSubstr("Doc1: Read-only file system"));
  EXPECT_THAT(r.err, HasSubstr("Reference to Doc1.url: Read-only file system"));
  EXPECT_THAT(r.err, Not(HasSubstr("Open export folder?")));
  EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(HostileInput, XmlThatIsNoInvoiceStoresNothing) {
  const std::string notes = dir / "notes.xml";
  belvora::test::writeAll(notes, "<notes xmlns='urn:example:notes'><n>1</n></notes>");
  ChildRun r = start(read(notes, "|table=tblDocuments|askimport=nein"));
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("The file is not an invoice (root element notes"));
  EXPECT_EQ(count("tblInvoice"), 0u);
  EXPECT_EQ(count("tblDocuments"), 0u);
}
