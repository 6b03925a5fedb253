#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <sstream>

#include "platform/mail/MailText.h"
#include "support/TempDir.h"

using namespace belvora::mail;

namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    out.push_back(text.substr(start, end - start));
  out.push_back(text.substr(start));
  return out;
}

TEST(MailAddress, ExactlyOnePlainAddress) {
  std::istringstream table(belvora::test::readAll(BELVORA_TEST_DATA_DIR "/mail/addresses.txt"));
  int count = 0;
  for (std::string line; std::getline(table, line); ++count)
    if (line[0] != '#') {
      EXPECT_EQ(IsValidAddress(line.substr(1)), line[0] == '+') << line;
    }
  EXPECT_EQ(count, 25);
  EXPECT_FALSE(IsValidAddress("a@example.com\r\nBcc: b@example.com"));
}

TEST(MailText, SubjectIsEncodedInFoldedWordsThatNeverSplitACharacter) {
  EXPECT_EQ(EncodeHeaderText("Support-Anfrage von: 4711"), "Support-Anfrage von: 4711");
  EXPECT_EQ(EncodeHeaderText("Müller"), "=?UTF-8?B?TcO8bGxlcg==?=");
  EXPECT_EQ(EncodeHeaderText("=?x?"), "=?UTF-8?B?PT94Pw==?=") << "looks like a word: encoded";
  std::string longText;
  for (int i = 0; i < 40; ++i) longText += "Grüße ";
  const std::vector<std::string> encoded = lines(EncodeHeaderText(longText));
  EXPECT_GT(encoded.size(), 4u);
  for (const auto& line : encoded) {
    EXPECT_LE(line.size() + 9, 78u) << line;  // "Subject: " on the first line
    std::string word = line.front() == ' ' ? line.substr(1) : line;
    EXPECT_EQ(word.rfind("=?UTF-8?B?", 0), 0u);
    EXPECT_EQ(word.substr(word.size() - 2), "?=");
  }
}

TEST(MailText, QuotedPrintableKeepsLinesShortAndBlanksVisible) {
  EXPECT_EQ(QuotedPrintable("a=b\nc \n.x\r\nä\rend "), "a=3Db\r\nc=20\r\n=2Ex\r\n=C3=A4\r\nend=20");
  std::string joined;
  for (const auto& line : lines(QuotedPrintable(std::string(300, 'x')))) {
    EXPECT_LE(line.size(), 76u);
    joined += line.back() == '=' ? line.substr(0, line.size() - 1) : line;
  }
  EXPECT_EQ(joined, std::string(300, 'x'));
  EXPECT_EQ(Base64Lines("Man"), "TWFu\r\n");
  EXPECT_EQ(Base64Lines(std::string(57, 'a')).size(), 76u + 2);
}

TEST(MailText, DateIsEnglishWhateverTheLocaleAndCarriesTheOffset) {
  const char* saved = getenv("TZ");
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  EXPECT_EQ(MailDate(1709644029), "Tue, 05 Mar 2024 14:07:09 +0100");
  EXPECT_EQ(MailDate(1720181229), "Fri, 05 Jul 2024 14:07:09 +0200");
  saved ? setenv("TZ", saved, 1) : unsetenv("TZ");
  tzset();
}

TEST(MailText, AttachmentCarriesOnlyItsBaseNameWithoutLineBreaks) {
  EXPECT_EQ(FilenameParameters("/home/anna/Rechnungen/RE-1.pdf"), "filename=\"RE-1.pdf\"");
  EXPECT_EQ(FilenameParameters("/x/a\"b\\c.xml"), "filename=\"a\\\"b\\\\c.xml\"");
  EXPECT_EQ(FilenameParameters("/x/März 1.pdf"), "filename*=UTF-8''M%C3%A4rz%201.pdf");
  EXPECT_EQ(FilenameParameters("/x/a\r\nb.pdf"), "filename=\"ab.pdf\"");
  EXPECT_EQ(FilenameParameters("/x/"), "filename=\"attachment\"");
}

TEST(MailText, ComposeRefusesWhatWouldBreakTheHeaders) {
  const ComposedMail m{"support@example.org", "a@example.com", "Betreff", "Text", "", "", 0, "id"};
  EXPECT_NO_THROW(ComposeMail(m));
  for (auto change : {+[](ComposedMail& c) { c.subject = "B\r\nBcc: x@example.com"; },
                      +[](ComposedMail& c) { c.to = "a@example.com\nBcc: x@example.com"; },
                      +[](ComposedMail& c) { c.from = "no address"; }}) {
    ComposedMail broken = m;
    change(broken);
    EXPECT_THROW(ComposeMail(broken), std::invalid_argument);
  }
}

}  // namespace
