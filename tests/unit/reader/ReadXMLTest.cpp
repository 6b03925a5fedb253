// Reads whose outcome a golden file cannot show: hundreds of lines, the
// folder opened on "yes", PDF reads one after another and in parallel, and
// inputs that are no regular file.

#include <sys/stat.h>

#include <thread>

#include "ReaderTestSupport.h"
#include "support/SharedArtefacts.h"

namespace fs = std::filesystem;
using namespace belvora;
using namespace belvora::reader;

namespace {

class ReadXMLTest : public test::ReaderTest {};

const std::string kCorpus = test::CorpusDir();

}  // namespace

TEST_F(ReadXMLTest, EveryLineIsReadBeyondTwoHundredFiftySix) {
  ASSERT_TRUE(read(write("re.xml", test::Cii("<ram:ID>RE-1</ram:ID>", test::CiiLines(300), ""))));
  ASSERT_EQ(view_.lvTable.rows.size(), 300u);
  EXPECT_EQ(view_.lvTable.rows[0].cells[0], "1");
  EXPECT_EQ(view_.lvTable.rows[299].cells[0], "300");
  EXPECT_EQ(view_.lvAbzuege.rows.size(), 300u);
}

TEST_F(ReadXMLTest, AnsweredYesOpensTheFolderWithXdgOpen) {
  fake_->answers = {true};
  ASSERT_TRUE(read(test::ReaderData("read/peppol-invoice.xml")));
  EXPECT_EQ(openedTarget(), out_.string());
}

TEST_F(ReadXMLTest, EveryPdfReadHasItsOwnWorkFileAlsoInParallelThreads) {
  BELVORA_REQUIRE_CORPUS();
  const std::string pdfs[] = {kCorpus + "/pdf/ferd-zf23__XRECHNUNG_Einfach.pdf",
                              kCorpus + "/pdf/mustang__validXRechnung.pdf"};
  auto number = [](const std::string& path, ReaderSettings& s) {
    s.invoiceFile = path;
    ViewModel v;
    EXPECT_TRUE(ReadXML(s, v)) << path;
    return v.txtRechnungdaten[InvoiceNumber];
  };
  ReaderSettings first, second, again;
  const std::string a = number(pdfs[0], first);
  const std::string b = number(pdfs[1], second);
  ASSERT_NE(a, b);
  EXPECT_NE(first.invoiceFile, second.invoiceFile);
  // What the first read stores is still its own invoice.
  EXPECT_EQ(number(first.invoiceFile, again), a);
  EXPECT_EQ(number(second.invoiceFile, again), b);
  std::vector<std::thread> threads;
  std::vector<std::string> seen(6);
  for (std::size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&, i] {
      ReaderSettings s, t;
      const std::string n = number(pdfs[i % 2], s);
      if (number(s.invoiceFile, t) == n) seen[i] = n;
    });
  }
  for (auto& t : threads) t.join();
  for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], i % 2 ? b : a) << i;
}

TEST_F(ReadXMLTest, OnlyRegularFilesAreRead) {
  const std::string fifo = (dir_ / "pipe.xml").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {std::string("/dev/zero"), fifo, (dir_ / "bin").string()}) {
    ASSERT_TRUE(readEnds(path, 10)) << path << " is read without end";
    for (const char* language : {"GB", "DE"}) {
      fake_->calls.clear();
      EXPECT_FALSE(read(path, language));
      EXPECT_FALSE(view_.saveEnabled);
      ASSERT_EQ(fake_->messages().size(), 1u);
      EXPECT_EQ(fake_->messages()[0].icon, ui::Icon::Critical);
      EXPECT_EQ(fake_->messages()[0].text,
                language[0] == 'G' ? "The invoice file " + path + " is not a regular file."
                                   : "Die Rechnungsdatei " + path + " ist keine reguläre Datei.");
    }
  }
  // A link to a regular file is read.
  fs::create_symlink(test::ReaderData("read/cii.xml"), dir_ / "link.xml");
  EXPECT_TRUE(read((dir_ / "link.xml").string()));
}
