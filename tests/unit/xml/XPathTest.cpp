#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/xml/Document.h"
#include "platform/xml/XPath.h"

using belvora::xml::Document;
using belvora::xml::XPath;

namespace {

const char* kInvoice = R"(<?xml version="1.0" encoding="UTF-8"?>
<rsm:CrossIndustryInvoice xmlns:rsm="urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100"
    xmlns:ram="urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:100">
  <rsm:ExchangedDocument><ram:ID>RE-1</ram:ID></rsm:ExchangedDocument>
  <ram:Line><ram:ID>1</ram:ID><ram:Name>Schraube</ram:Name></ram:Line>
  <ram:Line><ram:ID>2</ram:ID></ram:Line>
  <ram:Line><ram:ID>3</ram:ID><ram:Name>Mutter</ram:Name></ram:Line>
</rsm:CrossIndustryInvoice>)";

const char* kDecl =
    "xmlns:rsm='urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100' "
    "xmlns:ram='urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:"
    "100'";

}  // namespace

TEST(XmlXPath, SelectsRelativeToTheContextNodeAndDocumentWideWithSlashes) {
  const Document doc = Document::parseMemory(kInvoice);
  XPath xp(doc);
  xp.registerNamespaces(kDecl);
  const auto lines = xp.all("//ram:Line");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(xp.text("ram:ID", lines[1]).value(), "2");
  EXPECT_FALSE(xp.text("ram:Name", lines[1]).has_value());
  EXPECT_EQ(xp.text("ram:Name", lines[2]).value(), "Mutter");
  // "//" ignores the context node: the first name of the document.
  EXPECT_EQ(xp.text("//ram:Name", lines[2]).value(), "Schraube");
  EXPECT_EQ(xp.text("rsm:CrossIndustryInvoice/rsm:ExchangedDocument/ram:ID").value(), "RE-1");
  EXPECT_EQ(xp.first("ram:Missing", lines[0]), nullptr);
}

TEST(XmlXPath, PrefixesComeOnlyFromTheDeclarationString) {
  const Document doc = Document::parseMemory(kInvoice);
  XPath xp(doc);
  // Unregistered prefix: the expression cannot be evaluated.
  EXPECT_THROW(xp.first("//ram:Line"), std::runtime_error);
  // Another prefix for the same namespace works: the document's prefixes do not matter.
  xp.registerNamespaces(
      "xmlns=\"urn:default\" xmlns:x=\"urn:un:unece:uncefact:data:standard:"
      "ReusableAggregateBusinessInformationEntity:100\"");
  EXPECT_EQ(xp.all("//x:Line").size(), 3u);
}

TEST(XmlXPath, MalformedDeclarationsAndExpressionsThrowWithText) {
  const Document doc = Document::parseMemory(kInvoice);
  XPath xp(doc);
  try {
    xp.registerNamespaces("xmlns:rsm=urn:x");
    FAIL();
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "Invalid namespace declarations: xmlns:rsm=urn:x");
  }
  EXPECT_THROW(xp.registerNamespaces("rsm='urn:x'"), std::invalid_argument);
  EXPECT_THROW(xp.registerNamespaces("xmlns:rsm='urn:x"), std::invalid_argument);
  try {
    xp.first("//[");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Invalid XPath expression: //[");
  }
}

TEST(XmlXPath, AttributeNodesGiveTheirValueAsText) {
  const Document doc = Document::parseMemory(
      "<r xmlns:c='urn:c'><c:Bin mimeCode='application/pdf' filename=' a.pdf '>QUJD</c:Bin></r>");
  XPath xp(doc);
  xp.registerNamespaces("xmlns:c='urn:c'");
  EXPECT_EQ(xp.text("//c:Bin/@mimeCode").value(), "application/pdf");
  EXPECT_EQ(xp.text("//c:Bin/@filename").value(), "a.pdf");
  EXPECT_FALSE(xp.text("//c:Bin/@missing").has_value());
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
