#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include "platform/mail/MailText.h"

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

}  // namespace

TEST(MailAddress, ExactlyOnePlainAddress) {
  for (const char* good : {"a@example.com", "support.team+xr@mail.example.de",
                           "o'neil@ex-ample.org", "x@a.b.c.example"})
    EXPECT_TRUE(IsValidAddress(good)) << good;
  for (const char* bad : {"",
                          "a",
                          "@example.com",
                          "a@",
                          "a@example",
                          "a@@example.com",
                          "a@b@example.com",
                          "a b@example.com",
                          "a@exa mple.com",
                          ".a@example.com",
                          "a.@example.com",
                          "a..b@example.com",
                          "a@-example.com",
                          "a@example-.com",
                          "a@example..com",
                          "Anna <a@example.com>",
                          "a@example.com, b@example.com",
                          "a@example.com\r\nBcc: b@example.com",
                          "a\"b@example.com",
                          "ä@example.com"})
    EXPECT_FALSE(IsValidAddress(bad)) << bad;
  EXPECT_FALSE(IsValidAddress(std::string(65, 'a') + "@example.com")) << "local part over 64";
}

TEST(MailText, SubjectIsEncodedInFoldedWordsThatNeverSplitACharacter) {
  EXPECT_EQ(EncodeHeaderText("Support-Anfrage von: 4711"), "Support-Anfrage von: 4711");
  EXPECT_EQ(EncodeHeaderText("Müller"), "=?UTF-8?B?TcO8bGxlcg==?=");
  EXPECT_EQ(EncodeHeaderText("=?x?"), "=?UTF-8?B?PT94Pw==?=") << "looks like a word: encoded";
  std::string longText;
  for (int i = 0; i < 40; ++i) longText += "Grüße ";
  std::string encoded = EncodeHeaderText(longText);
  for (const auto& line : lines(encoded)) {
    EXPECT_LE(line.size() + 9, 78u) << line;  // "Subject: " on the first line
    std::string word = line.front() == ' ' ? line.substr(1) : line;
    EXPECT_EQ(word.rfind("=?UTF-8?B?", 0), 0u);
    EXPECT_EQ(word.substr(word.size() - 2), "?=");
  }
  EXPECT_GT(lines(encoded).size(), 4u);
}

TEST(MailText, QuotedPrintableKeepsLinesShortAndBlanksVisible) {
  EXPECT_EQ(QuotedPrintable("a=b\nc \n.x\r\nä\rend "), "a=3Db\r\nc=20\r\n=2Ex\r\n=C3=A4\r\nend=20");
  std::string encoded = QuotedPrintable(std::string(300, 'x'));
  for (const auto& line : lines(encoded)) EXPECT_LE(line.size(), 76u);
  std::string joined;
  for (const auto& line : lines(encoded))
    joined += line.back() == '=' ? line.substr(0, line.size() - 1) : line;
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
  if (saved)
    setenv("TZ", saved, 1);
  else
    unsetenv("TZ");
  tzset();
}

TEST(MailText, AttachmentCarriesOnlyItsBaseName) {
  EXPECT_EQ(FilenameParameters("/home/anna/Rechnungen/RE-1.pdf"), "filename=\"RE-1.pdf\"");
  EXPECT_EQ(FilenameParameters("/x/a\"b\\c.xml"), "filename=\"a\\\"b\\\\c.xml\"");
  EXPECT_EQ(FilenameParameters("/x/März 1.pdf"), "filename*=UTF-8''M%C3%A4rz%201.pdf");
  EXPECT_EQ(FilenameParameters("/x/a\r\nb.pdf"), "filename=\"ab.pdf\"");
  EXPECT_EQ(FilenameParameters("/x/"), "filename=\"attachment\"");
}

TEST(MailText, ComposeRefusesWhatWouldBreakTheHeaders) {
  ComposedMail m{"support@example.org", "a@example.com", "Betreff", "Text", "", "", 0, "id"};
  EXPECT_NO_THROW(ComposeMail(m));
  m.subject = "B\r\nBcc: x@example.com";
  EXPECT_THROW(ComposeMail(m), std::invalid_argument);
  m.subject = "B";
  m.to = "a@example.com\nBcc: x@example.com";
  EXPECT_THROW(ComposeMail(m), std::invalid_argument);
  m.to = "a@example.com";
  m.from = "no address";
  EXPECT_THROW(ComposeMail(m), std::invalid_argument);
}
