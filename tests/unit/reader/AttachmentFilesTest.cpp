// Attachments never replace what the user has, never leave the output
// folder, never vanish without a word, and names of any length end in a
// file or a message.

#include <set>

#include "ReaderTestSupport.h"
#include "reader/AttachmentFiles.h"
#include "reader/ReaderCommon.h"
#include "text/Texte.h"

namespace fs = std::filesystem;
using namespace belvora;
using namespace belvora::reader;

namespace {

std::string yesNo(bool b) { return b ? "yes" : "no"; }
std::string decoded(std::string_view b64) { return DecodeBase64(b64).value_or("(refused)"); }
std::string web(std::string_view target) { return yesNo(IsWebAddress(target)); }

// A reference whose content (if any) carries a file name, so the
// identifier names the file, and/or an address.
std::string ref(const std::string& id, const std::string& bytes) {
  return "<ram:AdditionalReferencedDocument><ram:IssuerAssignedID>" + id +
         "</ram:IssuerAssignedID><ram:TypeCode>916</ram:TypeCode><ram:AttachmentBinaryObject "
         "mimeCode=\"application/pdf\" filename=\"f.pdf\">" +
         text::FileToBase64(bytes) +
         "</ram:AttachmentBinaryObject></ram:AdditionalReferencedDocument>";
}

std::string invoice(const std::string& references) {
  return test::Cii("<ram:ID>RE-1</ram:ID>", "", references);
}

class AttachmentFiles : public test::ReaderTest {};

}  // namespace

TEST(ReaderAttachmentNames, NamesContentsAndAddressesFromTheDocument) {
  struct Case {
    std::string (*function)(std::string_view);
    std::string in;
    std::string out;
  } cases[] = {
      {SafeBaseName, "Rechnung.pdf", "Rechnung.pdf"},
      {SafeBaseName, "../../x", "x"},
      {SafeBaseName, "/etc/passwd", "passwd"},
      {SafeBaseName, "C:\\Temp\\..\\Anhang.pdf", "Anhang.pdf"},
      {SafeBaseName, "a\nb\tc\x7f\x01.pdf", "abc.pdf"},
      {SafeBaseName, "  Leistungsnachweis.pdf  ", "Leistungsnachweis.pdf"},
      {SafeBaseName, "Größe Übersicht.csv", "Größe Übersicht.csv"},
      {SafeBaseName, "", ""},
      {SafeBaseName, "  ", ""},
      {SafeBaseName, ".", ""},
      {SafeBaseName, "..", ""},
      {SafeBaseName, "../..", ""},
      {SafeBaseName, "/", ""},
      {SafeBaseName, "dir/", ""},
      {SafeBaseName, "\x01\x02", ""},
      {MimeExtension, "application/pdf", ".pdf"},
      {MimeExtension, "image/jpg", ".jpg"},
      {MimeExtension, "image/jpeg", ".jpeg"},
      {MimeExtension, "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", ".xlsx"},
      {MimeExtension, "application/vnd.oasis.opendocument.spreadsheet", ".ods"},
      {MimeExtension, "text/plain", "text_plain"},
      {MimeExtension, "Application/PDF", "Application_PDF"},  // compared exactly
      {MimeExtension, "", ""},
      {decoded, "SGFsbG8gV2VsdA==", "Hallo Welt"},
      {decoded, "SGFs\r\nbG8g\nV2Vs dA==\n", "Hallo Welt"},
      {decoded, "SGFsbG8=", "Hallo"},
      {decoded, "", ""},
      {decoded, "AAEC/w==", std::string("\x00\x01\x02\xff", 4)},
      {decoded, "SGFsbG8", "(refused)"},
      {decoded, "SGF$bG8=", "(refused)"},
      {decoded, "SG=sbG8=", "(refused)"},
      {decoded, "SGFsbG8===", "(refused)"},
      {decoded, "====", "(refused)"},
      {decoded, "SGFs-G8=", "(refused)"},
      {web, "http://a.example/", "yes"},
      {web, "https://a.example/x?y", "yes"},
      {web, "HTTPS://A.EXAMPLE", "yes"},
      {web, "file:///etc/passwd", "no"},
      {web, "javascript:alert(1)", "no"},
      {web, "ftp://a.example/", "no"},
      {web, "smb://server/share", "no"},
      {web, "a.example/http://", "no"},
      {web, "", "no"},
      {web, "https:/a", "no"},
      {ShortcutName, "Katalog", "Reference to Katalog.url"},
      {ShortcutName, "../../x", "Reference to x.url"},
      {ShortcutText, "https://a.example/\r\nIconFile=/etc/passwd",
       "[InternetShortcut]\r\nURL=https://a.example/IconFile=/etc/passwd\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.function(c.in), c.out) << c.in;
}

TEST(ReaderAttachmentNames, ShortenedKeepingExtensionSuffixAndWholeCharacters) {
  std::string umlauts;
  for (int i = 0; i < 200; ++i) umlauts += "ä";  // 400 bytes
  const std::string base = SafeBaseName(umlauts + ".pdf");
  EXPECT_LE(base.size(), 255u);
  EXPECT_EQ(base.substr(base.size() - 4), ".pdf");
  EXPECT_EQ(base.size() % 2, 0u);  // "ä" is two bytes: none cut in half
  struct Case {
    std::string name;
    std::size_t max;
    int number;
    std::string expected;
  } cases[] = {
      {"Anhang.pdf", 255, 1, "Anhang.pdf"},
      {"Anhang.pdf", 255, 2, "Anhang_2.pdf"},
      {"Anhang", 255, 12, "Anhang_12"},
      {"archiv.tar.gz", 255, 3, "archiv.tar_3.gz"},
      {".profile", 255, 2, ".profile_2"},
      {"Anhang.pdf", 8, 1, "Anha.pdf"},
      {"Anhang.pdf", 8, 2, "An_2.pdf"},
      {"Größe.pdf", 9, 1, "Grö.pdf"},  // "ß" is two bytes: not cut in half
      // An ending of more than 16 bytes is no extension.
      {"x.eine-sehr-lange-endung", 12, 2, "x.eine-seh_2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FitName(c.name, c.max, c.number), c.expected) << c.name << " " << c.number;
    EXPECT_LE(FitName(c.name, c.max, c.number).size(), c.max);
  }
  // Every number gives a name of its own, however long the original.
  const std::string longName = std::string(300, 'a') + ".pdf";
  std::set<std::string> names;
  for (int n = 1; n <= 1000; ++n) names.insert(FitName(longName, 255, n));
  EXPECT_EQ(names.size(), 1000u);
}

TEST_F(AttachmentFiles, FolderThatCannotBeWrittenLosesEveryAttachmentWithTheReason) {
  AttachmentFolder folder((dir_ / "missing").string(), "GB");
  EXPECT_FALSE(folder.saveBase64("SGFsbG8=", "a.pdf"));
  EXPECT_FALSE(folder.saveShortcut("K", "https://a.example/"));
  EXPECT_FALSE(folder.saveBase64("SGFsbG8=", ".."));
  EXPECT_FALSE(folder.saveShortcut("", "mailto:a@example.com"));
  EXPECT_EQ(folder.saved(), 0u);
  folder.report();
  ASSERT_EQ(fake_->messages().size(), 1u);
  EXPECT_EQ(fake_->messages()[0].text, "These attachments were not saved in " +
                                           (dir_ / "missing").string() +
                                           ":\r\na.pdf: No such file or directory\r\n"
                                           "Reference to K.url: No such file or directory\r\n"
                                           "..: no usable file name\r\n"
                                           "(no name): the address mailto:a@example.com is not "
                                           "linked (only http and https)");
  EXPECT_TRUE(outputFiles().empty());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 2);  // out and bin alone
}

TEST_F(AttachmentFiles, LongNamesEndInAFileThatFitsAndKeepsItsExtension) {
  // The invoice lies in the output folder under a 255-byte name; one
  // attachment carries that name, one a far longer name cut to it.
  const std::string taken = std::string(251, 'a') + ".xml";
  std::string refs = ref(taken, "new") + ref(std::string(400, 'a') + ".xml", "x");
  // Names whose temporary name would pass the limit.
  for (std::size_t length = 248; length <= 255; ++length) {
    refs += ref(std::string(length - 4, 'b' + static_cast<char>(length - 248)) + ".pdf",
                "len " + std::to_string(length));
  }
  const std::string xml = invoice(refs);
  test::writeAll(out_ / taken, xml);
  ASSERT_TRUE(readEnds((out_ / taken).string(), 20)) << "the read did not end";
  EXPECT_EQ(test::readAll(out_ / taken), xml);
  std::set<std::string> contents;
  for (const auto& name : outputFiles()) {
    EXPECT_LE(name.size(), 255u) << name;
    const std::string ext = name.substr(name.size() - 4);
    EXPECT_TRUE(ext == ".pdf" || ext == ".xml") << name;
    contents.insert(test::readAll(out_ / name));
  }
  EXPECT_EQ(outputFiles().size(), 11u);
  for (std::size_t length = 248; length <= 255; ++length) {
    EXPECT_EQ(contents.count("len " + std::to_string(length)), 1u) << length;
  }
  EXPECT_EQ(contents.count("new"), 1u);
  EXPECT_EQ(contents.count("x"), 1u);
}

TEST_F(AttachmentFiles, SearchForAFreeNameIsBoundedAndEndsWithAMessage) {
  test::writeAll(out_ / "voll.pdf", "0");
  for (int n = 2; n <= 1000; ++n)
    test::writeAll(out_ / ("voll_" + std::to_string(n) + ".pdf"), std::to_string(n));
  ASSERT_TRUE(readEnds(write("probe.xml", invoice(ref("voll.pdf", "neu"))), 20));
  ASSERT_TRUE(read(write("re.xml", invoice(ref("voll.pdf", "neu"))), "DE"));
  EXPECT_TRUE(settings_.attachmentsLost);
  ASSERT_EQ(fake_->calls.size(), 1u);  // no question about the folder
  EXPECT_EQ(fake_->calls[0].text,
            "Diese Anhänge wurden nicht in " + out_.string() +
                " gespeichert:\r\nvoll.pdf: kein freier Dateiname (voll_2.pdf … voll_1000.pdf "
                "sind vergeben)");
  EXPECT_EQ(outputFiles().size(), 1000u);
}
