#include "platform/xml/XPath.h"

#include <libxml/xpathInternals.h>

#include <cctype>
#include <stdexcept>

namespace belvora::xml {

namespace {

void ignoreError(void*, xmlError*) {}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

XPath::XPath(const Document& doc) : doc_(doc), ctx_(xmlXPathNewContext(doc.get())) {
  if (!ctx_) throw std::bad_alloc();
  ctx_->error = ignoreError;
}

void XPath::registerNamespaces(std::string_view decl) {
  std::size_t pos = 0;
  auto fail = [&decl]() {
    throw std::invalid_argument("Invalid namespace declarations: " + std::string(decl));
  };
  while (true) {
    while (pos < decl.size() && isBlank(decl[pos])) ++pos;
    if (pos == decl.size()) break;
    if (decl.substr(pos, 5) != "xmlns") fail();
    pos += 5;
    std::string prefix;
    if (pos < decl.size() && decl[pos] == ':') {
      const auto eq = decl.find('=', pos);
      if (eq == std::string_view::npos) fail();
      prefix = std::string(decl.substr(pos + 1, eq - pos - 1));
      pos = eq;
      if (prefix.empty()) fail();
    }
    if (pos >= decl.size() || decl[pos] != '=') fail();
    ++pos;
    if (pos >= decl.size() || (decl[pos] != '\'' && decl[pos] != '"')) fail();
    const char quote = decl[pos++];
    const auto close = decl.find(quote, pos);
    if (close == std::string_view::npos) fail();
    const std::string uri(decl.substr(pos, close - pos));
    pos = close + 1;
    if (!prefix.empty() &&
        xmlXPathRegisterNs(ctx_.get(), BAD_CAST prefix.c_str(), BAD_CAST uri.c_str()) != 0) {
      fail();
    }
  }
}

XPathObjectPtr XPath::eval(std::string_view expr, const xmlNode* context) {
  auto it = compiled_.find(expr);
  if (it == compiled_.end()) {
    // Compilation needs the registered prefixes only at evaluation time.
    XPathCompPtr comp(xmlXPathCtxtCompile(ctx_.get(), BAD_CAST std::string(expr).c_str()));
    if (!comp) throw std::runtime_error("Invalid XPath expression: " + std::string(expr));
    it = compiled_.emplace(std::string(expr), std::move(comp)).first;
  }
  ctx_->node =
      context != nullptr ? const_cast<xmlNode*>(context) : reinterpret_cast<xmlNode*>(doc_.get());
  XPathObjectPtr result(xmlXPathCompiledEval(it->second.get(), ctx_.get()));
  if (!result) throw std::runtime_error("XPath evaluation failed: " + std::string(expr));
  return result;
}

xmlNode* XPath::first(std::string_view expr, const xmlNode* context) {
  XPathObjectPtr result = eval(expr, context);
  if (result->type != XPATH_NODESET || result->nodesetval == nullptr ||
      result->nodesetval->nodeNr == 0) {
    return nullptr;
  }
  return result->nodesetval->nodeTab[0];
}

std::vector<xmlNode*> XPath::all(std::string_view expr, const xmlNode* context) {
  XPathObjectPtr result = eval(expr, context);
  std::vector<xmlNode*> nodes;
  if (result->type == XPATH_NODESET && result->nodesetval != nullptr) {
    nodes.assign(result->nodesetval->nodeTab,
                 result->nodesetval->nodeTab + result->nodesetval->nodeNr);
  }
  return nodes;
}

std::optional<std::string> XPath::text(std::string_view expr, const xmlNode* context) {
  const xmlNode* node = first(expr, context);
  if (node == nullptr) return std::nullopt;
  return nodeText(node);
}

}  // namespace belvora::xml
