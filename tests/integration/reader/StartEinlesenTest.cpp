// The real Start program with the action "EINLESEN": exit status, the view,
// questions and messages, and what ends up in the database; input built to
// hurt (the size limit as a setting, an output folder nobody may write to,
// XML that is no invoice). Every failure ends with its message and status 1.
#include <fstream>

#include "StartChild.h"
#include "support/ReadOnlyPath.h"

using belvora::test::ciiPart;
using belvora::test::kMB;
using belvora::test::RunResult;
using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

namespace {

const std::string kCorpus = belvora::test::CorpusDir();
const std::string kExample5 = kCorpus + "/en16931/cii/CII_example5.xml";
class StartEinlesen : public belvora::test::StartChild {};

TEST_F(StartEinlesen, ReadsShowsAndStoresWithoutAsking) {
  BELVORA_REQUIRE_CORPUS();
  const std::string pdf = kCorpus + "/pdf/ferd-zf23__EN16931_Gutschrift.pdf";
  auto r = start("action=einlesen|inputxml=" + pdf + "|connect=" + connect +
                 "|table=tblDocuments|language=DE|askimport=nein");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("Ihre XRechnung wird eingelesen.\n"));
  EXPECT_THAT(r.err, Not(HasSubstr("speichern?")));
  EXPECT_THAT(r.out, HasSubstr(R"(","syntax":1,)"));
  EXPECT_THAT(r.out, HasSubstr(R"("SumOfNet":"473,00")"));  // German separators in the view
  EXPECT_THAT(r.out, HasSubstr("/zFile.xml\""));
  EXPECT_EQ(count("tblInvoice_Items"), 2u);
  EXPECT_EQ(count("tblDocuments"), 1u);
  EXPECT_EQ(belvora::test::tableOf(*belvora::db::open(connect),
                                   "SELECT SumOfNet, CreateUser FROM tblInvoice"),
            "sumofnet=473 createuser=buchhaltung\n");
}

TEST_F(StartEinlesen, AsksByDefaultAndTakesTheAnswer) {
  BELVORA_REQUIRE_CORPUS();
  auto r = start(" ACTION = Einlesen | InputXML = " + kExample5 + " | Connect = " + connect +
                 " | Table = tblDocuments ");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("[Note] Eingangsrechnung + Datei in Datenbank speichern?\n-> No"));
  EXPECT_EQ(count("tblInvoice"), 0u);

  r = start(read(kExample5, "|table=tblDocuments|askimport=ja"), {"BELVORA_ANSWER=yes"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("[Note] Incoming invoice + file save into database?\n-> Yes"));
  EXPECT_THAT(r.err, HasSubstr("[Note] Invoice and File: " + kExample5 + " saved.\r\n"));
  EXPECT_EQ(count("tblInvoice"), 1u);
  EXPECT_EQ(count("tblInvoice_Deduction"), 4u);
}

TEST_F(StartEinlesen, FailuresEndWithTheirMessageAndStatus) {
  auto r = start("action=einlesen|inputxml=" + (dir / "fehlt.xml") + "|connect=" + connect);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("XML-Fehler:\r\nBeschreibung: "));
  EXPECT_THAT(r.err, HasSubstr("[Note] XML-Datei kann nicht eingelesen werden\n"));
  EXPECT_EQ(r.out, "");
  r = start("action=einlesen|inputxml=" + kExample5);
  EXPECT_EQ(r.status, 2);  // no connect: usage
  EXPECT_THAT(r.err, Not(HasSubstr("eingelesen")));
  EXPECT_EQ(start("action=einlesen|connect=" + connect).status, 2);

  // XML that is no invoice, or an invoice root in another namespace.
  const std::string notes = dir / "notes.xml", foreign = dir / "foreign.xml";
  belvora::test::writeAll(notes, "<notes xmlns='urn:example:notes'><n>1</n></notes>");
  belvora::test::writeAll(foreign, "<CrossIndustryInvoice xmlns='urn:example:cii'/>");
  for (const auto& [file, root] :
       {std::pair{notes, "notes"}, std::pair{foreign, "CrossIndustryInvoice"}}) {
    r = start(read(file, "|table=tblDocuments|askimport=nein"));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr(std::string("The file is not an invoice (root element ") + root));
  }
  EXPECT_EQ(count("tblInvoice"), 0u);
  EXPECT_EQ(count("tblDocuments"), 0u);
}

TEST_F(StartEinlesen, FailedSavesEndNonZeroWithTheReasonAndStoreNothing) {
  BELVORA_REQUIRE_CORPUS();
  const std::string parameters =
      "action=einlesen|inputxml=" + kExample5 + "|table=tblDocuments|connect=" + connect;
  belvora::db::open(connect)->execute("DROP TABLE tblInvoice_Items");
  // Silent: the header alone must not go in without its lines.
  auto r = start(parameters + "|askimport=nein");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("[Note] Rechnung nicht in der Datenbank gespeichert!\r\ntable "
                               "not found: tblInvoice_Items\n"));
  EXPECT_EQ(count("tblInvoice"), 0u);
  EXPECT_EQ(count("tblDocuments"), 0u);

  // Asking: the header table missing, after the user said Yes.
  belvora::db::open(connect)->execute("DROP TABLE tblInvoice");
  r = start(parameters + "|language=GB", {"BELVORA_ANSWER=yes"});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("-> Yes\n[Note] Invoice not saved in database!\r\ntable not "
                               "found: tblInvoice\n"));
  EXPECT_EQ(count("tblDocuments"), 0u);
}

TEST_F(StartEinlesen, TheSizeLimitIsASetting) {
  BELVORA_REQUIRE_CORPUS();
  belvora::test::PdfBuilder b;
  const std::string big = belvora::test::deflateFilled(ciiPart(true), ' ', 3 * kMB, ciiPart(false));
  b.setEmbeddedFiles(b.leaf({{"factur-x.xml", b.compressedFileSpec("factur-x.xml", big)}}));
  const std::string pdf = dir / "drei.pdf", huge = dir / "huge.xml";
  belvora::test::writeAll(pdf, b.bytes());
  belvora::test::writeAll(huge, ciiPart(true) + std::string(2 * kMB, ' ') + ciiPart(false));
  const std::string limit = "BELVORA_READER_MAXSIZE_MB=";

  RunResult r = start(read(pdf), {limit + "2"});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("larger than the limit of 2 MB"));
  EXPECT_EQ(start(read(pdf), {limit + "4"}).status, 0);
  // The settings file, overridden by the variable; a bad value is reported.
  fs::create_directories(dir / "config/belvora");
  std::ofstream(dir / "config/belvora/belvora.conf") << "[Reader]\nmaxsizemb=2\n";
  EXPECT_EQ(start(read(pdf)).status, 1);
  EXPECT_EQ(start(read(pdf), {limit + "4"}).status, 0);
  for (const char* bad : {"0", "zwei", "-1", "99999999999"}) {
    r = start(read(kExample5), {limit + bad});
    EXPECT_EQ(r.status, 1) << bad;
    EXPECT_THAT(r.err, HasSubstr("BELVORA_READER_MAXSIZE_MB")) << bad;
  }
  // The limit holds for an XML file too.
  EXPECT_EQ(start(read(kExample5), {limit + "1"}).status, 0);
  r = start(read(huge), {limit + "1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("is larger than the limit of 1 MB"));
}

TEST_F(StartEinlesen, UnwritableOutputFolderReportsEveryAttachment) {
  BELVORA_REQUIRE_CORPUS();
  // A read-only bind mount in a private namespace: refused even to root.
  const std::string out = dir / "anlagen";
  fs::create_directory(out);
  const std::string parameters =
      read(kCorpus + "/en16931/cii/CII_example2.xml", "|outputfolder=" + out);
  RunResult r =
      run({"/usr/bin/unshare", "-rm", "/bin/sh", "-c",
           "mount --bind \"$1\" \"$1\" && mount -o remount,bind,ro \"$1\" && exec \"$2\" \"$3\"",
           "sh", out, BELVORA_START_EXE, parameters});
  if (r.status == 127 || r.err.find("mount") != std::string::npos ||
      r.err.find("unshare") != std::string::npos)
    GTEST_SKIP() << "no private mount namespace here: " << r.err;
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_THAT(r.out, HasSubstr(R"("InvoiceNumber":"TOSL108")"));
  EXPECT_THAT(r.err, HasSubstr("These attachments were not saved in " + out + ":\r\n"));
  EXPECT_THAT(r.err, HasSubstr("Doc1: Read-only file system"));
  EXPECT_THAT(r.err, HasSubstr("Reference to Doc1.url: Read-only file system"));
  EXPECT_THAT(r.err, Not(HasSubstr("Open export folder?")));
  EXPECT_TRUE(fs::is_empty(out));
}

}  // namespace
