// Attachments never replace what the user has, never leave the output
// folder, never vanish without a word, and names of any length end in a
// file or a message.

#include <map>
#include <set>
#include <sstream>

#include "CaseTable.h"
#include "ReaderTestSupport.h"
#include "reader/AttachmentFiles.h"
#include "reader/ReaderCommon.h"
#include "text/Texte.h"

namespace fs = std::filesystem;
using namespace belvora;
using namespace belvora::reader;

namespace {

std::string decoded(std::string_view b64) { return DecodeBase64(b64).value_or("(refused)"); }
std::string web(std::string_view target) { return IsWebAddress(target) ? "yes" : "no"; }

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
  const std::map<std::string, std::string (*)(std::string_view)> functions = {
      {"SafeBaseName", SafeBaseName}, {"MimeExtension", MimeExtension},
      {"DecodeBase64", decoded},      {"IsWebAddress", web},
      {"ShortcutName", ShortcutName}, {"ShortcutText", ShortcutText}};
  const auto cases = test::ReadCaseTable(test::ReaderData("names.tsv"));
  for (const auto& c : cases) {
    ASSERT_EQ(c.size(), 3u) << c[0];
    std::istringstream call(c[0]);
    std::string function;
    std::size_t max = 0;
    int number = 0;
    call >> function >> max >> number;
    const std::string got = max ? FitName(c[1], max, number) : functions.at(function)(c[1]);
    EXPECT_EQ(got, c[2]) << c[0] << " " << c[1];
    EXPECT_LE(got.size(), max ? max : got.size()) << c[0] << " " << c[1];
  }
  EXPECT_EQ(cases.size(), 56u);
}

TEST(ReaderAttachmentNames, LongNamesKeepTheirExtensionAndEveryNumberGivesANameOfItsOwn) {
  std::string umlauts;
  for (int i = 0; i < 200; ++i) umlauts += "ä";  // 400 bytes
  const std::string base = SafeBaseName(umlauts + ".pdf");
  EXPECT_LE(base.size(), 255u);
  EXPECT_EQ(base.substr(base.size() - 4), ".pdf");
  EXPECT_EQ(base.size() % 2, 0u);  // "ä" is two bytes: none cut in half
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
