#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/xml/Document.h"

namespace fs = std::filesystem;
using belvora::xml::Document;
using belvora::xml::ParseError;

namespace {

// Parses and returns the error; fails the test when parsing succeeds.
ParseError parseFailure(const std::string& text) {
  try {
    Document::parseMemory(text);
  } catch (const ParseError& e) {
    return e;
  }
  ADD_FAILURE() << "parsed without error: " << text.substr(0, 80);
  return ParseError("", 0, 0, "");
}

std::string billionLaughs() {
  std::string doc = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol \"lol\">\n";
  std::string prev = "lol";
  for (int i = 1; i <= 9; ++i) {
    const std::string name = "lol" + std::to_string(i);
    doc += "<!ENTITY " + name + " \"";
    for (int k = 0; k < 10; ++k) doc += "&" + prev + ";";
    doc += "\">\n";
    prev = name;
  }
  doc += "]>\n<lolz>&" + prev + ";</lolz>\n";
  return doc;
}

}  // namespace

TEST(XmlDocument, ParsesWellFormedDocumentAndReadsText) {
  const Document doc =
      Document::parseMemory("<a xmlns='urn:x'><b id='7'>  Hallo &amp; Welt \r\n</b></a>");
  ASSERT_NE(doc.root(), nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(doc.root()->name), "a");
  const xmlNode* b = xmlFirstElementChild(doc.root());
  EXPECT_EQ(belvora::xml::nodeText(b), "Hallo & Welt");
  EXPECT_EQ(belvora::xml::attribute(b, "id"), "7");
  EXPECT_EQ(belvora::xml::attribute(b, "missing"), "");
  EXPECT_EQ(belvora::xml::nodeText(nullptr), "");
}

TEST(XmlDocument, TruncatedDocumentReportsReasonLineColumnAndLineText) {
  const ParseError e =
      parseFailure("<?xml version=\"1.0\"?>\n<root>\n  <child>text</chil>\n</root>");
  EXPECT_NE(e.reason().find("mismatch"), std::string::npos) << e.reason();
  EXPECT_EQ(e.line(), 3);
  EXPECT_GT(e.column(), 0);
  EXPECT_EQ(e.lineText(), "  <child>text</chil>");
}

TEST(XmlDocument, EmptyAndNonXmlInputsFailWithReason) {
  EXPECT_EQ(parseFailure("").reason(), "Document is empty");
  const ParseError text = parseFailure("Dies ist keine Rechnung.\n");
  EXPECT_EQ(text.reason(), "Start tag expected, '<' not found");
  EXPECT_EQ(text.line(), 1);
  EXPECT_EQ(text.lineText(), "Dies ist keine Rechnung.");
  const ParseError cut = parseFailure("<?xml version=\"1.0\"?>\n<a><b>x</b>");
  EXPECT_EQ(cut.line(), 2);
  EXPECT_NE(cut.reason().find("Premature end of data"), std::string::npos) << cut.reason();
}

TEST(XmlDocument, BinaryBytesInTheFailingLineAreShownAsQuestionMarks) {
  const ParseError e = parseFailure(std::string("<a>\x01\xff\xc3\xa4</a>", 11));
  EXPECT_EQ(e.line(), 1);
  EXPECT_EQ(e.lineText(), "<a>??\xc3\xa4</a>");
}

TEST(XmlDocument, MissingFileIsAParseErrorNamingThePath) {
  try {
    Document::parseFile("/nonexistent/belvora/RE-1.xml");
    FAIL() << "no error";
  } catch (const ParseError& e) {
    EXPECT_NE(e.reason().find("/nonexistent/belvora/RE-1.xml"), std::string::npos) << e.reason();
    EXPECT_EQ(e.line(), 0);
    EXPECT_EQ(e.column(), 0);
  }
}

TEST(XmlDocument, LongSingleLineIsCutAroundTheColumn) {
  std::string doc = "<a>" + std::string(5000, 'x') + "<b></a>";
  const ParseError e = parseFailure(doc);
  EXPECT_EQ(e.line(), 1);
  EXPECT_LE(e.lineText().size(), 250u);
  EXPECT_NE(e.lineText().find("<b></a>"), std::string::npos) << e.lineText();
  EXPECT_EQ(e.lineText().substr(0, 3), "...");
}

TEST(XmlDocument, EntityBombFailsQuicklyWithParseError) {
  const auto start = std::chrono::steady_clock::now();
  const ParseError e = parseFailure(billionLaughs());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(e.reason(), "Entity expansion exceeds the allowed size");
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 2000);
}

TEST(XmlDocument, QuadraticEntityBlowUpFailsBeforeTheTextIsBuilt) {
  // One 50 kB entity referenced 50,000 times: 2.5 GB of text from 200 kB.
  std::string doc = "<!DOCTYPE r [<!ENTITY a \"" + std::string(50000, 'a') + "\">]>\n<r>";
  for (int i = 0; i < 50000; ++i) doc += "&a;";
  doc += "</r>";
  const auto start = std::chrono::steady_clock::now();
  const ParseError e = parseFailure(doc);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(e.reason(), "Entity expansion exceeds the allowed size");
  EXPECT_EQ(e.line(), 2);
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 2000);
}

TEST(XmlDocument, ExternalEntityIsRefusedAndTheFileIsNeverRead) {
  const fs::path secret = fs::temp_directory_path() / "belvora-xml-secret.txt";
  { std::ofstream(secret) << "GEHEIM-4711"; }
  const std::string doc = "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY xxe SYSTEM \"file://" +
                          secret.string() + "\">\n]>\n<r>&xxe;</r>\n";
  const ParseError e = parseFailure(doc);
  EXPECT_EQ(e.reason(), "External entity \"xxe\" is not allowed");
  EXPECT_EQ(e.line(), 3);
  EXPECT_EQ(e.lineText().find("GEHEIM"), std::string::npos);
  // Parameter entities and external DTDs are refused the same way.
  EXPECT_EQ(
      parseFailure("<!DOCTYPE r [<!ENTITY % p SYSTEM \"file://" + secret.string() + "\"> %p;]><r/>")
          .reason(),
      "External entity \"p\" is not allowed");
  EXPECT_EQ(parseFailure("<!DOCTYPE r SYSTEM \"file://" + secret.string() + "\"><r/>").reason(),
            "External DTD is not allowed");
  fs::remove(secret);
}

TEST(XmlDocument, InternalEntityIsStillExpandedInText) {
  const Document doc =
      Document::parseMemory("<!DOCTYPE r [<!ENTITY firm \"Muster GmbH\">]><r>&firm; AG</r>");
  EXPECT_EQ(belvora::xml::nodeText(doc.root()), "Muster GmbH AG");
}

TEST(XmlDocument, LargeAttachmentTextNodeIsRead) {
  // Scanned PDFs of many megabytes arrive as one Base64 text node.
  const std::string payload(12 * 1024 * 1024, 'A');
  const Document doc = Document::parseMemory("<r><b>" + payload + "</b></r>");
  ASSERT_NE(doc.root(), nullptr);
}

TEST(XmlDocument, TextOfEveryKindOfNodeIsTrimmedContent) {
  const Document doc = Document::parseMemory(
      "<!DOCTYPE r [<!ENTITY e 'ent'>]><r a=' v &amp; w '>"
      "<t>  one  </t><c><![CDATA[ <two> ]]></c><m> x <b>y</b> z </m><e>&e;!</e>"
      "<s>short</s><k/><w>  \n </w><x>a<![CDATA[b]]>c</x></r>");
  const xmlNode* r = doc.root();
  std::vector<std::string> texts;
  for (const xmlNode* n = r->children; n != nullptr; n = n->next) {
    texts.push_back(belvora::xml::nodeText(n));
  }
  EXPECT_EQ(texts,
            (std::vector<std::string>{"one", "<two>", "x y z", "ent!", "short", "", "", "abc"}));
  EXPECT_EQ(belvora::xml::nodeText(reinterpret_cast<const xmlNode*>(r->properties)), "v & w");
  EXPECT_EQ(belvora::xml::nodeText(r->children->children), "one");  // the text node itself
  EXPECT_EQ(belvora::xml::attribute(r, "a"), " v & w ");
}

TEST(XmlDocument, FileIsReadInPiecesWithTheSameResultsAsMemory) {
  const fs::path dir =
      fs::temp_directory_path() / ("belvora-xml-file-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  auto write = [&dir](const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
    return (dir / name).string();
  };
  // Larger than one read, in Latin-1 with a non-ASCII letter after the first read.
  std::string latin = "<?xml version='1.0' encoding='ISO-8859-1'?>\n<r>\n";
  for (int i = 0; i < 20000; ++i) latin += "  <l>Zeile " + std::to_string(i) + "</l>\n";
  latin +=
      "  <n>M\xFC"
      "ller</n>\n</r>\n";
  const Document fromFile = Document::parseFile(write("latin.xml", latin));
  const xmlNode* last = fromFile.root()->last->prev;
  EXPECT_EQ(belvora::xml::nodeText(last), "M\xC3\xBCller");
  EXPECT_EQ(fromFile.elements().byName.size(), 3u);

  // Errors early, beyond the first read and at the very end: same reason,
  // position and line text as from memory.
  std::string big = "<r>\n";
  for (int i = 0; i < 20000; ++i) big += "  <l>x" + std::to_string(i) + "</l>\n";
  for (const std::string& broken :
       {std::string("<r><a></r>"), big + "  <l>bad</x>\n</r>\n", big, big + "</r>\n<r/>"}) {
    const ParseError expected = parseFailure(broken);
    try {
      Document::parseFile(write("broken.xml", broken));
      ADD_FAILURE() << "no error";
    } catch (const ParseError& e) {
      EXPECT_EQ(e.reason(), expected.reason());
      EXPECT_EQ(e.line(), expected.line());
      EXPECT_EQ(e.column(), expected.column());
      EXPECT_EQ(e.lineText(), expected.lineText());
    }
  }

  try {
    Document::parseFile(write("empty.xml", ""));
    ADD_FAILURE() << "no error";
  } catch (const ParseError& e) {
    EXPECT_EQ(e.reason(), "Document is empty");
  }
  try {
    Document::parseFile(dir.string());
    ADD_FAILURE() << "no error";
  } catch (const ParseError& e) {
    EXPECT_EQ(e.reason(), "cannot read '" + dir.string() + "': Is a directory");
  }
  fs::remove_all(dir);
}
