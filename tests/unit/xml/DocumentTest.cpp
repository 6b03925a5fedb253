#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/xml/Document.h"
#include "support/TempDir.h"

using belvora::xml::Document;
using belvora::xml::nodeText;
using belvora::xml::ParseError;

namespace {

// Parses and returns the error; fails the test when parsing succeeds.
ParseError Failure(const std::string& text) {
  try {
    Document::parseMemory(text);
  } catch (const ParseError& e) {
    return e;
  }
  ADD_FAILURE() << "parsed without error: " << text.substr(0, 80);
  return ParseError("", 0, 0, "");
}

TEST(XmlDocument, ErrorsGiveReasonLineAndLineText) {
  belvora::test::TempDir dir;
  belvora::test::writeAll(dir / "secret.txt", "GEHEIM-4711");
  const std::string secret = "\"file://" + (dir / "secret.txt") + "\"";
  const struct {
    std::string text, reason;  // reason: how it starts
    int line;
    std::string lineText;  // "*": not checked
  } cases[] = {
      {"<?xml version=\"1.0\"?>\n<root>\n  <child>text</chil>\n</root>",
       "Opening and ending tag mismatch", 3, "  <child>text</chil>"},
      {"", "Document is empty", 1, "*"},
      {"Dies ist keine Rechnung.\n", "Start tag expected, '<' not found", 1,
       "Dies ist keine Rechnung."},
      {"<?xml version=\"1.0\"?>\n<a><b>x</b>", "Premature end of data", 2, "*"},
      // Binary bytes in the failing line are shown as question marks.
      {std::string("<a>\x01\xff\xc3\xa4</a>", 11), "", 1, "<a>??\xc3\xa4</a>"},
      // The file is never read: its text does not show up in the line either.
      {"<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY xxe SYSTEM " + secret +
           ">\n]>\n<r>&xxe;</r>\n",
       "External entity \"xxe\" is not allowed", 3, "<!ENTITY xxe SYSTEM " + secret + ">"},
      {"<!DOCTYPE r [<!ENTITY % p SYSTEM " + secret + "> %p;]><r/>",
       "External entity \"p\" is not allowed", 1, "*"},
      {"<!DOCTYPE r SYSTEM " + secret + "><r/>", "External DTD is not allowed", 1, "*"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    const ParseError e = Failure(c.text);
    EXPECT_EQ(e.reason().substr(0, c.reason.size()), c.reason) << e.reason();
    EXPECT_EQ(e.line(), c.line);
    EXPECT_GT(e.column(), 0);
    if (c.lineText != "*") {
      EXPECT_EQ(e.lineText(), c.lineText);
    }
    EXPECT_EQ(e.lineText().find("GEHEIM"), std::string::npos);
  }
  // A long single line is cut around the column.
  const ParseError e = Failure("<a>" + std::string(5000, 'x') + "<b></a>");
  EXPECT_LE(e.lineText().size(), 250u);
  EXPECT_NE(e.lineText().find("<b></a>"), std::string::npos) << e.lineText();
  EXPECT_EQ(e.lineText().substr(0, 3), "...");
}

TEST(XmlDocument, EntityBlowUpsFailQuicklyBeforeTheTextIsBuilt) {
  std::string laughs = "<!DOCTYPE lolz [\n<!ENTITY lol0 \"lol\">\n";
  for (int i = 1; i <= 9; ++i) {
    laughs += "<!ENTITY lol" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) laughs += "&lol" + std::to_string(i - 1) + ";";
    laughs += "\">\n";
  }
  // One 50 kB entity referenced 50,000 times: 2.5 GB of text from 200 kB.
  std::string quadratic = "<!DOCTYPE r [<!ENTITY a \"" + std::string(50000, 'a') + "\">]>\n<r>";
  for (int i = 0; i < 50000; ++i) quadratic += "&a;";
  for (const auto& [doc, line] :
       {std::pair{laughs + "]>\n<lolz>&lol9;</lolz>\n", 13}, std::pair{quadratic + "</r>", 2}}) {
    const auto start = std::chrono::steady_clock::now();
    const ParseError e = Failure(doc);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(e.reason(), "Entity expansion exceeds the allowed size");
    EXPECT_EQ(e.line(), line);
  }
}

TEST(XmlDocument, TextOfEveryKindOfNodeIsTrimmedContent) {
  const Document doc = Document::parseMemory(
      "<!DOCTYPE r [<!ENTITY e 'ent'>]><r xmlns='urn:x' a=' v &amp; w '>"
      "<t>  one  </t><c><![CDATA[ <two> ]]></c><m> x <b>y</b> z </m><e>&e;!</e>"
      "<s>short</s><k/><w>  \n </w><x>a<![CDATA[b]]>c</x><n>  Hallo &amp; Welt \r\n</n></r>");
  const xmlNode* r = doc.root();
  ASSERT_NE(r, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(r->name), "r");
  std::vector<std::string> texts;
  for (const xmlNode* n = r->children; n != nullptr; n = n->next) texts.push_back(nodeText(n));
  EXPECT_EQ(texts, (std::vector<std::string>{"one", "<two>", "x y z", "ent!", "short", "", "",
                                             "abc", "Hallo & Welt"}));
  EXPECT_EQ(nodeText(reinterpret_cast<const xmlNode*>(r->properties)), "v & w");
  EXPECT_EQ(nodeText(r->children->children), "one");  // the text node itself
  EXPECT_EQ(nodeText(nullptr), "");
  EXPECT_EQ(belvora::xml::attribute(r, "a"), " v & w ");
  EXPECT_EQ(belvora::xml::attribute(r, "missing"), "");
  // Scanned PDFs of many megabytes arrive as one Base64 text node.
  EXPECT_NE(Document::parseMemory("<r><b>" + std::string(12 << 20, 'A') + "</b></r>").root(),
            nullptr);
}

TEST(XmlDocument, FileIsReadInPiecesWithTheSameResultsAsMemory) {
  belvora::test::TempDir dir;
  auto write = [&dir](const std::string& text) {
    belvora::test::writeAll(dir / "f.xml", text);
    return dir / "f.xml";
  };
  // Larger than one read, in Latin-1 with a non-ASCII letter after the first read.
  std::string latin = "<?xml version='1.0' encoding='ISO-8859-1'?>\n<r>\n";
  for (int i = 0; i < 20000; ++i) latin += "  <l>Zeile " + std::to_string(i) + "</l>\n";
  const Document fromFile = Document::parseFile(write(latin + "  <n>M\xFCller</n>\n</r>\n"));
  EXPECT_EQ(nodeText(fromFile.root()->last->prev), "M\xC3\xBCller");
  EXPECT_EQ(fromFile.elements().byName.size(), 3u);

  // Errors early, beyond the first read and at the very end: same reason,
  // position and line text as from memory.
  std::string big = "<r>\n";
  for (int i = 0; i < 20000; ++i) big += "  <l>x" + std::to_string(i) + "</l>\n";
  for (const std::string& broken :
       {std::string("<r><a></r>"), big + "  <l>bad</x>\n</r>\n", big, big + "</r>\n<r/>"}) {
    const ParseError expected = Failure(broken);
    try {
      Document::parseFile(write(broken));
      ADD_FAILURE() << "no error";
    } catch (const ParseError& e) {
      EXPECT_EQ(
          std::tuple(e.reason(), e.line(), e.column(), e.lineText()),
          std::tuple(expected.reason(), expected.line(), expected.column(), expected.lineText()));
    }
  }
  const std::pair<std::string, std::string> failures[] = {
      {write(""), "Document is empty"},
      {dir.path(), "cannot read '" + dir.path().string() + "': Is a directory"},
      {"/nonexistent/belvora/RE-1.xml",
       "cannot open '/nonexistent/belvora/RE-1.xml': No such file or directory"}};
  for (const auto& [path, reason] : failures) {
    try {
      Document::parseFile(path);
      ADD_FAILURE() << "no error for " << path;
    } catch (const ParseError& e) {
      EXPECT_EQ(e.reason(), reason);
      EXPECT_EQ(e.line(), reason == "Document is empty" ? 1 : 0);
    }
  }
}

}  // namespace
