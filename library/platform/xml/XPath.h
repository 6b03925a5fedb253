#pragma once

// XPath 1.0 over one parsed document. Namespace prefixes come from a
// declaration string such as "xmlns:rsm='urn:...' xmlns:ram='urn:...'" (the
// form each reader hands out). Expressions are compiled on first use and
// kept, so a reader that evaluates "ram:Name" for every line compiles it once.
// A path without a leading "//" is searched below the given node; one with
// "//" searches the whole document, as XPath says. Whole-document searches of
// the form "//p:name" or "//p:name/<child steps>" are answered from the
// document's index of the elements by name (gathered while parsing), so a
// reader that makes many of them does not walk a large document many times.
// Relative child paths ("p:a/p:b", "p:a/@attr") are walked directly.

#include <libxml/xpath.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/xml/Document.h"

namespace belvora::xml {

struct XPathContextDeleter {
  void operator()(xmlXPathContext* ctx) const noexcept { xmlXPathFreeContext(ctx); }
};
struct XPathObjectDeleter {
  void operator()(xmlXPathObject* obj) const noexcept { xmlXPathFreeObject(obj); }
};
struct XPathCompDeleter {
  void operator()(xmlXPathCompExpr* comp) const noexcept { xmlXPathFreeCompExpr(comp); }
};
using XPathContextPtr = std::unique_ptr<xmlXPathContext, XPathContextDeleter>;
using XPathObjectPtr = std::unique_ptr<xmlXPathObject, XPathObjectDeleter>;
using XPathCompPtr = std::unique_ptr<xmlXPathCompExpr, XPathCompDeleter>;

class XPath {
 public:
  // The document must outlive this object.
  explicit XPath(const Document& doc);

  // Registers every "xmlns:prefix='uri'" of the string (single or double
  // quotes). A default "xmlns='uri'" is accepted and ignored: XPath 1.0 has
  // no default namespace for names. Throws std::invalid_argument when the
  // string is not a list of such declarations.
  void registerNamespaces(std::string_view declarations);

  // First node the expression selects below context (the document when
  // null), or null. Throws std::runtime_error for an invalid expression.
  xmlNode* first(std::string_view expr, const xmlNode* context = nullptr);
  // All nodes, in document order.
  std::vector<xmlNode*> all(std::string_view expr, const xmlNode* context = nullptr);
  // Text of the first node selected; nullopt when nothing is selected.
  std::optional<std::string> text(std::string_view expr, const xmlNode* context = nullptr);

  // True when any element of the document is in the namespace (the same
  // answer as "//*[namespace-uri()='uri']", from the index).
  bool hasElementIn(std::string_view uri);

 private:
  // "//p:name[/rest]" taken apart; usable is false for other expressions.
  struct Indexed {
    bool usable = false;
    std::string uri;
    const xmlChar* name = nullptr;  // interned in the document's dictionary; null: no such element
    std::string rest;               // relative child steps, may be empty
  };

  // "p:a/p:b[/@attr]" taken apart; usable is false for other expressions.
  struct Step {
    const xmlChar* name = nullptr;  // element name, interned; null: no such element
    std::string uri;                // the element's namespace
    bool attribute = false;         // an attribute without namespace instead
    std::string attributeName;
  };
  struct ChildPath {
    bool usable = false;
    std::vector<Step> steps;
  };

  XPathObjectPtr eval(std::string_view expr, const xmlNode* context);
  const ChildPath& childPath(std::string_view expr);
  // Walks the steps below node in document order; stops at the first hit
  // when firstOnly. Answers what XPath would for a child path.
  xmlNode* walkStart(const xmlNode* context) const;
  static bool walk(const std::vector<Step>& steps, std::size_t k, xmlNode* node, bool firstOnly,
                   std::vector<xmlNode*>& out);
  const Indexed& indexed(std::string_view expr);
  // Elements of the name and namespace, in document order.
  std::vector<xmlNode*> elements(const Indexed& path);

  // Looked up by string_view, so a lookup allocates nothing.
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept {
      return std::hash<std::string_view>{}(s);
    }
  };

  const Document& doc_;
  XPathContextPtr ctx_;
  std::unordered_map<std::string, XPathCompPtr, Hash, std::equal_to<>> compiled_;
  std::unordered_map<std::string, Indexed, Hash, std::equal_to<>> indexed_;
  std::unordered_map<std::string, ChildPath, Hash, std::equal_to<>> childPaths_;
};

}  // namespace belvora::xml
