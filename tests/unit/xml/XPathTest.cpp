#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/xml/Document.h"
#include "platform/xml/XPath.h"
#include "support/Expect.h"

using belvora::xml::Document;
using belvora::xml::XPath;

TEST(XmlXPath, PrefixesComeOnlyFromTheDeclarationStringAndPathsFromTheContextNode) {
  const Document doc =
      Document::parseMemory(R"(<rsm:Invoice xmlns:rsm="urn:rsm" xmlns:ram="urn:ram">
  <rsm:Doc><ram:ID>RE-1</ram:ID></rsm:Doc>
  <ram:Line><ram:ID>1</ram:ID><ram:Name>Schraube</ram:Name></ram:Line>
  <ram:Line><ram:ID>2</ram:ID><ram:Bin mimeCode='application/pdf' filename=' a.pdf '/></ram:Line>
  <ram:Line><ram:ID>3</ram:ID><ram:Name>Mutter</ram:Name></ram:Line>
</rsm:Invoice>)");
  XPath xp(doc);
  // Unregistered prefix: the expression cannot be evaluated.
  EXPECT_THROW(xp.first("//ram:Line"), std::runtime_error);
  // Other prefixes than the document's: only the namespaces matter.
  xp.registerNamespaces("xmlns=\"urn:default\" xmlns:x=\"urn:ram\" xmlns:d='urn:rsm'");
  const auto lines = xp.all("//x:Line");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(xp.text("x:ID", lines[1]).value(), "2");
  EXPECT_FALSE(xp.text("x:Name", lines[1]).has_value());
  EXPECT_EQ(xp.text("x:Name", lines[2]).value(), "Mutter");
  // "//" ignores the context node: the first name of the document.
  EXPECT_EQ(xp.text("//x:Name", lines[2]).value(), "Schraube");
  EXPECT_EQ(xp.text("d:Invoice/d:Doc/x:ID").value(), "RE-1");
  EXPECT_EQ(xp.first("x:Missing", lines[0]), nullptr);
  // Attribute nodes give their value as text, trimmed.
  EXPECT_EQ(xp.text("//x:Bin/@mimeCode").value(), "application/pdf");
  EXPECT_EQ(xp.text("//x:Bin/@filename").value(), "a.pdf");
  EXPECT_FALSE(xp.text("//x:Bin/@missing").has_value());
  // Malformed declarations and expressions.
  EXPECT_THROW_MSG(xp.registerNamespaces("xmlns:rsm=urn:x"),
                   "Invalid namespace declarations: xmlns:rsm=urn:x");
  for (const char* bad : {"xmlns:rsm=urn:x", "rsm='urn:x'", "xmlns:rsm='urn:x"})
    EXPECT_THROW(xp.registerNamespaces(bad), std::invalid_argument) << bad;
  EXPECT_THROW_MSG(xp.first("//["), "Invalid XPath expression: //[");
  EXPECT_THROW(xp.first("//["), std::runtime_error);
}

TEST(XmlXPath, WholeDocumentSearchesKeepXPathMeaning) {
  // Same local name in two namespaces, nested elements of one name, a
  // default namespace, attributes at the end of a path.
  const Document doc = Document::parseMemory(R"(<r xmlns:a="urn:a" xmlns:b="urn:b">
  <b:X><b:Y>b1</b:Y></b:X>
  <a:X id="outer"><a:X id="inner"><a:Y>inner-y</a:Y></a:X><a:Y k="v">outer-y</a:Y></a:X>
  <X xmlns="urn:a"><Y>default-y</Y></X>
</r>)");
  XPath xp(doc);
  xp.registerNamespaces("xmlns:p='urn:a' xmlns:q='urn:b'");
  const auto xs = xp.all("//p:X");
  ASSERT_EQ(xs.size(), 3u);
  EXPECT_EQ(belvora::xml::attribute(xs[0], "id"), "outer");
  EXPECT_EQ(belvora::xml::attribute(xs[1], "id"), "inner");
  // Document order across nested parents: the inner Y comes first.
  const auto ys = xp.all("//p:X/p:Y");
  ASSERT_EQ(ys.size(), 3u);
  EXPECT_EQ(belvora::xml::nodeText(ys[0]), "inner-y");
  EXPECT_EQ(belvora::xml::nodeText(ys[1]), "outer-y");
  EXPECT_EQ(belvora::xml::nodeText(ys[2]), "default-y");
  EXPECT_EQ(xp.text("//p:X/p:Y").value(), "inner-y");
  EXPECT_EQ(xp.text("//q:X/q:Y").value(), "b1");
  EXPECT_EQ(xp.text("//p:X/p:Y/@k").value(), "v");
  EXPECT_EQ(xp.all("//p:Nothing").size(), 0u);
  EXPECT_EQ(xp.first("//p:Nothing/p:Y"), nullptr);
  // The same answers through libxml2's own evaluation.
  EXPECT_EQ(xp.all("//p:X/p:Y | //p:None"), ys);
  EXPECT_EQ(xp.all("(//p:X)[2]").front(), xs[1]);
}

TEST(XmlXPath, ChildPathsBelowANodeGiveXPathAnswers) {
  // Namespaces by URI, nested same names, an attribute in a namespace, text
  // and comments between elements, an unknown prefix.
  const Document doc = Document::parseMemory(R"(<r xmlns:a="urn:a" xmlns:b="urn:b" xmlns:c="urn:a">
  <a:L><b:N>wrong-ns</b:N><a:N n="1" b:n="ns">first</a:N> text <!-- c --><c:N>second</c:N>
    <a:P><a:N>deep</a:N></a:P><a:P><a:N>deep2</a:N><a:Q/></a:P></a:L>
  <a:L><a:P><a:N>other-line</a:N></a:P></a:L>
</r>)");
  XPath xp(doc);
  xp.registerNamespaces("xmlns:p='urn:a' xmlns:q='urn:b'");
  const xmlNode* line = xp.first("//p:L");
  ASSERT_NE(line, nullptr);
  // "./..." is the same path evaluated by libxml2 itself.
  for (const char* path : {"p:N", "q:N", "p:P/p:N", "p:P/p:Q", "p:N/@n", "p:N/@missing", "p:Z",
                           "p:P/p:Z/p:N", "p:Undeclared"}) {
    const std::string same = std::string("./") + path;
    EXPECT_EQ(xp.all(path, line), xp.all(same, line)) << path;
    EXPECT_EQ(xp.first(path, line), xp.first(same, line)) << path;
  }
  EXPECT_EQ(xp.all("p:N", line).size(), 2u);
  EXPECT_EQ(xp.text("p:N", line).value(), "first");
  EXPECT_EQ(xp.text("p:P/p:N", line).value(), "deep");
  EXPECT_EQ(xp.text("p:N/@n", line).value(), "1");
  // From the document node: the root element is the first step.
  EXPECT_EQ(xp.all("p:L/p:P/p:N").size(), 0u);
  EXPECT_EQ(xp.first("r"), xp.first("./r"));
  EXPECT_THROW(xp.first("x:N", line), std::runtime_error);
  // A prefix declared again later points to its new namespace.
  xp.registerNamespaces("xmlns:p='urn:b'");
  EXPECT_EQ(xp.text("p:N", line).value(), "wrong-ns");
}

TEST(XmlXPath, ElementsOfEntityTextAreNotPartOfTheDocumentIndex) {
  const Document doc = Document::parseMemory(
      "<!DOCTYPE r [<!ENTITY e '<z:N xmlns:z=\"urn:z\">z</z:N><a:N xmlns:a=\"urn:a\">e</a:N>'>]>"
      "<r xmlns:a='urn:a'>&e;<a:N>real</a:N>&e;</r>");
  XPath xp(doc);
  xp.registerNamespaces("xmlns:p='urn:a' xmlns:z='urn:z'");
  EXPECT_EQ(xp.all("//p:N"), xp.all("//p:N | //p:None"));
  ASSERT_EQ(xp.all("//p:N").size(), 1u);
  EXPECT_EQ(xp.text("//p:N").value(), "real");
  EXPECT_EQ(xp.all("//z:N").size(), 0u);
  EXPECT_FALSE(xp.hasElementIn("urn:z"));
  EXPECT_TRUE(xp.hasElementIn("urn:a"));
}
