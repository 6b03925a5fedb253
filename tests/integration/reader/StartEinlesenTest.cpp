// The real Start program with the action "EINLESEN", end to end through the
// public reader entry: corpus invoices (CII, UBL Invoice and CreditNote,
// hybrid PDFs) shown by the console viewer and compared with the expected
// views in tests/data/reader/view; questions, messages, exit status and
// what ends up in the database; input built to hurt (the size limit as a
// setting, unusable output folders, files that are no invoice). Every
// failure ends with its message and status 1.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>

#include "ReaderTestSupport.h"
#include "platform/pdf/EmbeddedFiles.h"
#include "support/PdfBuilder.h"
#include "support/Process.h"
#include "support/SharedArtefacts.h"

using belvora::test::readAll;
using belvora::test::rowsOf;
using belvora::test::RunResult;
using belvora::test::tableOf;
using belvora::test::TempDir;
using belvora::test::writeAll;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
namespace fs = std::filesystem;

namespace {

const std::string kCorpus = belvora::test::CorpusDir();
const std::string kData = BELVORA_TEST_DATA_DIR;
const std::string kExample5 = kCorpus + "/en16931/cii/CII_example5.xml";
const std::string kHybrid = kCorpus + "/pdf/ferd-zf23__XRECHNUNG_Einfach.pdf";
const std::string kZugferd1 = kCorpus + "/pdf/ferd-zf10__ZUGFeRD_1p0_BASIC_Einfach.pdf";
const std::string kLabel = "Ihre XRechnung wird eingelesen.\n";
constexpr std::size_t kMB = std::size_t{1} << 20;

// CII_example5 cut before its document part, so that filler can go between.
std::string ciiPart(bool head) {
  const std::string cii = readAll(kExample5);
  const auto cut = cii.find("<rsm:ExchangedDocument>");
  return head ? cii.substr(0, cut) : cii.substr(cut);
}

class StartEinlesen : public ::testing::Test {
 protected:
  // Start (or a wrapper around it) in a child with bounded address space,
  // so that a fault fails the test instead of exhausting the machine.
  RunResult run(std::vector<std::string> argv, const std::vector<std::string>& extraEnv = {}) {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // Sanitizers reserve terabytes of address space: no limit there.
    argv.insert(argv.begin(), {"/usr/bin/prlimit", "--as=" + std::to_string(2048 * kMB), "--"});
#endif
    belvora::test::Run r{argv,
                         {"BELVORA_UI=console", "BELVORA_VIEW=json", "BELVORA_ANSWER=no",
                          "USER=buchhaltung", "TMPDIR=" + dir.path().string(), "PATH=/usr/bin:/bin",
                          "XDG_CONFIG_HOME=" + (dir / "config")},
                         true};
    r.env.insert(r.env.end(), extraEnv.begin(), extraEnv.end());
    return belvora::test::RunProcess(r);
  }
  RunResult start(const std::string& parameters, const std::vector<std::string>& extraEnv = {}) {
    return run({BELVORA_START_EXE, parameters}, extraEnv);
  }
  std::string read(const std::string& input, const std::string& more = "") {
    return "action=einlesen|language=GB|connect=" + connect + "|inputxml=" + input + more;
  }
  // What the reads left in the private work folder (none: nothing).
  std::vector<std::string> leftovers() const {
    std::vector<std::string> names;
    std::error_code none;
    for (const auto& e : std::filesystem::recursive_directory_iterator(
             dir.path() / ("belvora-" + std::to_string(::getuid())), none))
      names.push_back(e.path().string());
    return names;
  }
  std::size_t count(const std::string& table) {
    return rowsOf(*belvora::db::open(connect), "SELECT * FROM " + table).size();
  }
  // The largest resident set of the children so far, in KB (CTest runs
  // each test in a process of its own).
  static long peakKB() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
  }

  // The file the JSON view names: the input, or the work file of a PDF,
  // which must be zFile.xml in a folder of its own and gone with the read.
  std::string shownFile(const RunResult& r, const std::string& input) {
    std::smatch m;
    if (!std::regex_search(r.out, m, std::regex(R"re(^\{"file":"([^"]*)")re"))) return "";
    if (m[1] != input) {
      const fs::path work = dir.path() / ("belvora-" + std::to_string(::getuid()));
      EXPECT_EQ(fs::path(m[1].str()).filename(), "zFile.xml");
      EXPECT_EQ(fs::path(m[1].str()).parent_path().parent_path(), work);
    }
    EXPECT_THAT(leftovers(), IsEmpty());
    return m[1];
  }

  TempDir dir;
  std::string connect = belvora::test::makeDatabase(belvora::test::Backend::Sqlite, dir);
};

TEST_F(StartEinlesen, ShowsTheViewOfEveryKindOfInput) {
  BELVORA_REQUIRE_CORPUS();
  // A hybrid PDF is recognised by its content alone.
  fs::copy_file(kHybrid, dir / "rechnung.bin");
  struct Case {
    std::string file, language, view, expected;
  };
  const Case cases[] = {
      {kExample5, "GB", "json", "CII_example5.json"},
      {kExample5, "DE", "text", "CII_example5-DE.txt"},
      {kExample5, "FR", "text", "CII_example5-FR.txt"},  // every language but DE: English
      {kCorpus + "/en16931/ubl/ubl-tc434-example6.xml", "DE", "json", "ubl-tc434-example6.json"},
      // Credit note lines fill the line grid as invoice lines do.
      {kCorpus + "/ubl/mustang__UBL-CreditNote-2.1-Example.ubl.xml", "GB", "json",
       "UBL-CreditNote.json"},
      {kHybrid, "GB", "json", "XRECHNUNG_Einfach.json"},
      {dir / "rechnung.bin", "GB", "json", "XRECHNUNG_Einfach.json"},
      {kData + "/pdf/ubl-inside.pdf", "GB", "json", "ubl-inside.json"},  // read as UBL
      {kZugferd1, "GB", "json", "ZUGFeRD_1p0.json"},  // neither syntax: the cleared fields
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + " " + c.language + " " + c.view);
    auto r = start(
        "action=einlesen|language=" + c.language + "|connect=" + connect + "|inputxml=" + c.file,
        {"BELVORA_VIEW=" + c.view});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, kLabel);  // no message, no question
    if (c.view == "json") {
      const std::string file = shownFile(r, c.file);
      // One field or grid row a line, the file's path left out.
      r.out = std::regex_replace(r.out.replace(9, file.size(), "<file>"),
                                 std::regex(R"(,(?=["\[]))"), ",\n");
    }
    EXPECT_EQ(r.out, readAll(kData + "/reader/view/" + c.expected));
  }
}

TEST_F(StartEinlesen, StoresTheInvoiceItShowsAfterAskingOrNot) {
  BELVORA_REQUIRE_CORPUS();
  // Asked by default (in German unless told otherwise), declined.
  auto r = start(" ACTION = Einlesen | InputXML = " + kExample5 + " | Connect = " + connect +
                 " | Table = tblDocuments ");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr(kLabel + "[Note] Eingangsrechnung + Datei in Datenbank speichern?\n"
                                        "-> No"));
  EXPECT_EQ(count("tblInvoice"), 0u);
  // Not asked.
  r = start(read(kExample5, "|table=tblDocuments|askimport=nein"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, kLabel);
  EXPECT_EQ(count("tblInvoice_Deduction"), 4u);

  // A hybrid PDF: the document stored is the one shown, the PDF's own invoice.
  const std::string pdf = kCorpus + "/pdf/ferd-zf23__EN16931_Gutschrift.pdf";
  r = start(read(pdf, "|table=tblDocuments|askimport=ja"), {"BELVORA_ANSWER=yes"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("[Note] Incoming invoice + file save into database?\n-> Yes"));
  EXPECT_THAT(r.err, HasSubstr("[Note] Invoice and File: " + shownFile(r, pdf) + " saved.\r\n"));
  EXPECT_THAT(r.out, HasSubstr(R"("SumOfNet":"473.00")"));
  auto db = belvora::db::open(connect);
  EXPECT_EQ(tableOf(*db,
                    "SELECT SumOfNet, CreateUser, FileName, FileType FROM tblInvoice "
                    "JOIN tblDocuments ON Number = InvoiceNumber WHERE DocType = "
                    "'IN' AND FileName = 'zFile.xml'"),
            "sumofnet=473 createuser=buchhaltung filename=zFile.xml filetype=xml\n");
  const auto blob =
      rowsOf(*db, "SELECT BinaryFile FROM tblDocuments WHERE FileName = 'zFile.xml'")[0][0].blob();
  EXPECT_EQ(std::string(blob.begin(), blob.end()),
            belvora::pdf::findInvoiceXml(readAll(pdf))->data);
  EXPECT_EQ(count("tblInvoice_Items"), 3u + 2u);

  // A document in neither syntax offers nothing to store.
  r = start(read(kZugferd1, "|table=tblDocuments|askimport=ja"), {"BELVORA_ANSWER=yes"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, kLabel);
  EXPECT_EQ(count("tblInvoice"), 2u);
}

TEST_F(StartEinlesen, UnreadableFilesEndWithTheirMessageAndNoView) {
  const std::string broken = kData + "/reader/broken/";
  const std::string notes = dir / "notes.xml", foreign = dir / "foreign.xml";
  writeAll(notes, "<notes xmlns='urn:example:notes'><n>1</n></notes>");
  writeAll(foreign, "<CrossIndustryInvoice xmlns='urn:example:cii'/>");
  writeAll(dir / "wirr.pdf", "%PDF-1.7\n\x01\x02 trailer <<>>");
  const std::string parseError = "[belvora] XML-Error:\r\nDescription: ";
  const std::pair<std::string, std::string> cases[] = {
      {dir / "fehlt.xml", parseError},
      {broken + "empty.xml", parseError},
      {broken + "truncated.xml", parseError},
      {broken + "not-xml.txt", parseError},
      {broken + "no-invoice.pdf", "[belvora] The PDF file carries no invoice: "},
      {broken + "truncated.pdf", "[belvora] The PDF file "},
      {dir / "wirr.pdf", "[belvora] The PDF file cannot be read: "},
      // XML that is no invoice, or an invoice root in another namespace.
      {notes, "The file is not an invoice (root element notes"},
      {foreign, "The file is not an invoice (root element CrossIndustryInvoice"},
  };
  for (const auto& [file, message] : cases) {
    SCOPED_TRACE(file);
    const auto r = start(read(file, "|table=tblDocuments|askimport=nein"));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr(message));
    EXPECT_EQ(r.out, "");
    EXPECT_THAT(leftovers(), IsEmpty());
  }
  EXPECT_EQ(count("tblInvoice"), 0u);
  EXPECT_EQ(count("tblDocuments"), 0u);

  auto r = start("action=einlesen|inputxml=" + (dir / "fehlt.xml") + "|connect=" + connect);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("XML-Fehler:\r\nBeschreibung: "));
  EXPECT_THAT(r.err, HasSubstr("[Note] XML-Datei kann nicht eingelesen werden\n"));
  r = start("action=einlesen|inputxml=" + kExample5);
  EXPECT_EQ(r.status, 2);  // no connect: usage
  EXPECT_THAT(r.err, Not(HasSubstr("eingelesen")));
  EXPECT_EQ(start("action=einlesen|connect=" + connect).status, 2);
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
  EXPECT_THAT(r.out, HasSubstr("TOSL110")) << "the view was shown all the same";
  EXPECT_EQ(count("tblInvoice"), 0u);
  EXPECT_EQ(count("tblDocuments"), 0u);
}

TEST_F(StartEinlesen, TheSizeLimitIsASetting) {
  BELVORA_REQUIRE_CORPUS();
  belvora::test::PdfBuilder b;
  const std::string big = belvora::test::deflateFilled(ciiPart(true), ' ', 3 * kMB, ciiPart(false));
  b.setEmbeddedFiles(b.leaf({{"factur-x.xml", b.compressedFileSpec("factur-x.xml", big)}}));
  const std::string pdf = dir / "drei.pdf", huge = dir / "huge.xml";
  writeAll(pdf, b.bytes());
  writeAll(huge, ciiPart(true) + std::string(2 * kMB, ' ') + ciiPart(false));
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
  // By default 256 MB: a 300 MB invoice (mostly blanks) in a PDF of well
  // under a megabyte is refused, and leaves nothing behind.
  fs::remove(dir / "config/belvora/belvora.conf");
  b.setEmbeddedFiles(b.leaf(
      {{"factur-x.xml", b.compressedFileSpec(
                            "factur-x.xml", belvora::test::deflateFilled(
                                                ciiPart(true), ' ', 300 * kMB, ciiPart(false)))}}));
  writeAll(pdf, b.bytes());
  ASSERT_LT(fs::file_size(pdf), kMB);
  r = start(read(pdf, "|table=tblDocuments"));
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("The invoice in the PDF file is larger than the limit of 256 MB"));
  EXPECT_EQ(r.out, "");
  EXPECT_THAT(leftovers(), IsEmpty());
  EXPECT_EQ(count("tblDocuments"), 0u);
}

TEST_F(StartEinlesen, AttachmentsLostInAMissingOrReadOnlyFolderAreReported) {
  BELVORA_REQUIRE_CORPUS();
  const std::string anlage = kCorpus + "/cii/ferd-zf24__EN16931_Elektron_Anlage_XML.xml";
  fs::create_directory(dir / "anlagen");
  auto r = start(read(anlage, "|outputfolder=" + dir / "anlagen"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, kLabel + "[Note] Open export folder?\n-> No\n");
  EXPECT_FALSE(fs::is_empty(dir / "anlagen"));
  // A missing folder is reported, and the read fails: the attachments are lost.
  r = start(read(anlage, "|outputfolder=" + dir / "fehlt"));
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.out, HasSubstr(R"("InvoiceNumber":"181301674")"));  // still shown
  EXPECT_THAT(r.err, HasSubstr("[Note] This output folder does not exist!\n[Note] These "
                               "attachments were not saved in " +
                               dir / "fehlt" + ":\r\n"));
  EXPECT_FALSE(fs::exists(dir / "fehlt"));
  // A document without attachments only gets the note; the read succeeds.
  r = start(read(kCorpus + "/en16931/cii/CII_example1.xml", "|outputfolder=" + dir / "fehlt"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, kLabel + "[Note] This output folder does not exist!\n");

  // A read-only bind mount in a private namespace: refused even to root.
  const std::string out = dir / "anlagen2";
  fs::create_directory(out);
  r = run({"/usr/bin/unshare", "-rm", "/bin/sh", "-c",
           "mount --bind \"$1\" \"$1\" && mount -o remount,bind,ro \"$1\" && exec \"$2\" \"$3\"",
           "sh", out, BELVORA_START_EXE,
           read(kCorpus + "/en16931/cii/CII_example2.xml", "|outputfolder=" + out)});
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

TEST_F(StartEinlesen, PdfOfBombsStaysSmallInMemoryAndItsInvoiceIsRead) {
  BELVORA_REQUIRE_CORPUS();
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "sanitizers inflate the memory this test measures";
#endif
  // 20 MB of embedded files that inflate to about 20 GB, one of them under
  // a preferred name, and after them a small invoice.
  const std::string bomb = belvora::test::deflateFilled("", '\0', 1000 * kMB);
  belvora::test::PdfBuilder b;
  std::vector<std::pair<std::string, QPDFObjectHandle>> files;
  files.push_back({"factur-x.xml", b.compressedFileSpec("factur-x.xml", bomb)});
  for (int i = 0; files.size() * bomb.size() < 20 * kMB; ++i) {
    const std::string name = "anlage-" + std::to_string(i) + ".bin";
    files.push_back({name, b.compressedFileSpec(name, bomb)});
  }
  files.push_back(
      {"zz-rechnung.xml", b.fileSpec("zz-rechnung.xml", ciiPart(true) + ciiPart(false))});
  b.setEmbeddedFiles(b.leaf(files));
  const std::string pdf = dir / "bombs.pdf";
  writeAll(pdf, b.bytes());
  ASSERT_GE(fs::file_size(pdf), 20 * kMB);

  const auto begin = std::chrono::steady_clock::now();
  const auto r = start(read(pdf));
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, ::testing::HasSubstr(R"("InvoiceNumber":"TOSL110")"));
  EXPECT_LT(peakKB(), 300 * 1024) << "peak memory " << peakKB() / 1024 << " MB";
  std::cout << "[ MEASURED ] bomb PDF of " << fs::file_size(pdf) / kMB << " MB: peak memory "
            << peakKB() / 1024 << " MB, " << took.count() << " s\n";
  EXPECT_THAT(leftovers(), ::testing::IsEmpty());
}

}  // namespace
