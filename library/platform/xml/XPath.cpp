#include "platform/xml/XPath.h"

#include <libxml/dict.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
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
  // Taken-apart paths hold the namespaces of their prefixes.
  indexed_.clear();
  childPaths_.clear();
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

namespace {

bool isNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
}

// A QName "p:name" of plain characters.
bool splitQName(std::string_view qname, std::string_view& prefix, std::string_view& local) {
  const auto colon = qname.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon + 1 == qname.size()) return false;
  prefix = qname.substr(0, colon);
  local = qname.substr(colon + 1);
  return std::all_of(prefix.begin(), prefix.end(), isNameChar) &&
         std::all_of(local.begin(), local.end(), isNameChar);
}

// Child steps ("p:a/p:b", optionally ending in "@attr"): nothing that could
// reach outside the subtree of the element they start from.
bool isChildSteps(std::string_view rest) {
  if (rest.empty()) return true;
  if (rest.front() == '/' || rest.back() == '/' || rest.find("//") != std::string_view::npos) {
    return false;
  }
  return std::all_of(rest.begin(), rest.end(),
                     [](char c) { return isNameChar(c) || c == ':' || c == '/' || c == '@'; }) &&
         rest.find("..") == std::string_view::npos;
}

// Child paths are walked from an element or the document node; other
// context nodes are left to XPath.
bool isWalkable(const xmlNode* context) {
  return context == nullptr || context->type == XML_ELEMENT_NODE ||
         context->type == XML_DOCUMENT_NODE;
}

// True when a comes before b in document order.
bool before(xmlNode* a, xmlNode* b) { return xmlXPathCmpNodes(a, b) == 1; }

}  // namespace

xmlNode* XPath::walkStart(const xmlNode* context) const {
  return context != nullptr ? const_cast<xmlNode*>(context)
                            : reinterpret_cast<xmlNode*>(doc_.get());
}

const XPath::Indexed& XPath::indexed(std::string_view expr) {
  auto it = indexed_.find(expr);
  if (it != indexed_.end()) return it->second;
  Indexed path;
  if (expr.substr(0, 2) == "//" && doc_.get()->dict != nullptr) {
    const std::string_view body = expr.substr(2);
    const auto slash = body.find('/');
    const std::string_view qname = body.substr(0, slash);
    const std::string_view rest =
        slash == std::string_view::npos ? std::string_view() : body.substr(slash + 1);
    std::string_view prefix;
    std::string_view local;
    if (splitQName(qname, prefix, local) && isChildSteps(rest)) {
      const xmlChar* uri = xmlXPathNsLookup(ctx_.get(), BAD_CAST std::string(prefix).c_str());
      if (uri != nullptr) {
        path.usable = true;
        path.uri = reinterpret_cast<const char*>(uri);
        path.name =
            xmlDictExists(doc_.get()->dict, BAD_CAST local.data(), static_cast<int>(local.size()));
        path.rest = std::string(rest);
      }
    }
  }
  return indexed_.emplace(std::string(expr), std::move(path)).first->second;
}

const XPath::ChildPath& XPath::childPath(std::string_view expr) {
  auto it = childPaths_.find(expr);
  if (it != childPaths_.end()) return it->second;
  ChildPath path;
  xmlDict* dict = doc_.get()->dict;
  if (!expr.empty() && dict != nullptr && isChildSteps(expr)) {
    path.usable = true;
    std::string_view rest = expr;
    while (path.usable && !rest.empty()) {
      const auto slash = rest.find('/');
      const std::string_view part = rest.substr(0, slash);
      rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
      Step step;
      if (part.front() == '@') {
        // An attribute without namespace, and only as the last step.
        const std::string_view local = part.substr(1);
        path.usable = rest.empty() && slash == std::string_view::npos && !local.empty() &&
                      std::all_of(local.begin(), local.end(), isNameChar);
        step.attribute = true;
        step.attributeName = std::string(local);
      } else {
        std::string_view prefix;
        std::string_view local;
        const xmlChar* uri = nullptr;
        if (splitQName(part, prefix, local)) {
          uri = xmlXPathNsLookup(ctx_.get(), BAD_CAST std::string(prefix).c_str());
        }
        // An unknown prefix is left to XPath, which reports it.
        path.usable = uri != nullptr;
        if (uri != nullptr) step.uri = reinterpret_cast<const char*>(uri);
        step.name = xmlDictExists(dict, BAD_CAST local.data(), static_cast<int>(local.size()));
      }
      path.steps.push_back(std::move(step));
    }
  }
  if (!path.usable) path.steps.clear();
  return childPaths_.emplace(std::string(expr), std::move(path)).first->second;
}

bool XPath::walk(const std::vector<Step>& steps, std::size_t k, xmlNode* node, bool firstOnly,
                 std::vector<xmlNode*>& out) {
  const Step& step = steps[k];
  if (step.attribute) {
    if (node->type != XML_ELEMENT_NODE) return false;
    const auto* name = reinterpret_cast<const xmlChar*>(step.attributeName.c_str());
    for (xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
      if (attr->ns == nullptr && xmlStrEqual(attr->name, name)) {
        out.push_back(reinterpret_cast<xmlNode*>(attr));
        return true;
      }
    }
    return false;
  }
  if (step.name == nullptr) return false;  // no element of the name in the document
  const bool last = k + 1 == steps.size();
  const auto* uri = reinterpret_cast<const xmlChar*>(step.uri.c_str());
  bool found = false;
  for (xmlNode* child = node->children; child != nullptr; child = child->next) {
    // Names are interned in the document's dictionary, so equal names are one pointer.
    if (child->type != XML_ELEMENT_NODE || child->name != step.name || child->ns == nullptr ||
        !xmlStrEqual(child->ns->href, uri)) {
      continue;
    }
    if (last) {
      out.push_back(child);
      found = true;
    } else {
      found = walk(steps, k + 1, child, firstOnly, out) || found;
    }
    if (found && firstOnly) return true;
  }
  return found;
}

bool XPath::hasElementIn(std::string_view uri) {
  const auto& namespaces = doc_.elements().namespaces;
  return std::any_of(namespaces.begin(), namespaces.end(), [uri](const xmlNs* ns) {
    return ns->href != nullptr && uri == reinterpret_cast<const char*>(ns->href);
  });
}

std::vector<xmlNode*> XPath::elements(const Indexed& path) {
  std::vector<xmlNode*> found;
  if (path.name == nullptr) return found;
  const auto& byName = doc_.elements().byName;
  const auto it = byName.find(path.name);
  if (it == byName.end()) return found;
  for (xmlNode* node : it->second) {
    if (node->ns != nullptr && node->ns->href != nullptr &&
        path.uri == reinterpret_cast<const char*>(node->ns->href)) {
      found.push_back(node);
    }
  }
  return found;
}

xmlNode* XPath::first(std::string_view expr, const xmlNode* context) {
  const Indexed& path = indexed(expr);
  if (path.usable) {
    const auto candidates = elements(path);
    if (path.rest.empty()) return candidates.empty() ? nullptr : candidates.front();
    xmlNode* best = nullptr;
    for (xmlNode* candidate : candidates) {
      // Everything below a later element comes after a result already found.
      if (best != nullptr && before(best, candidate)) break;
      xmlNode* hit = first(path.rest, candidate);
      if (hit != nullptr && (best == nullptr || before(hit, best))) best = hit;
    }
    return best;
  }
  if (isWalkable(context)) {
    const ChildPath& steps = childPath(expr);
    if (steps.usable) {
      std::vector<xmlNode*> found;
      walk(steps.steps, 0, walkStart(context), true, found);
      return found.empty() ? nullptr : found.front();
    }
  }
  XPathObjectPtr result = eval(expr, context);
  if (result->type != XPATH_NODESET || result->nodesetval == nullptr ||
      result->nodesetval->nodeNr == 0) {
    return nullptr;
  }
  return result->nodesetval->nodeTab[0];
}

std::vector<xmlNode*> XPath::all(std::string_view expr, const xmlNode* context) {
  const Indexed& path = indexed(expr);
  if (path.usable) {
    auto candidates = elements(path);
    if (path.rest.empty()) return candidates;
    std::vector<xmlNode*> nodes;
    std::size_t contributors = 0;
    for (xmlNode* candidate : candidates) {
      auto hits = all(path.rest, candidate);
      if (hits.empty()) continue;
      ++contributors;
      nodes.insert(nodes.end(), hits.begin(), hits.end());
    }
    // Nested elements of the same name can interleave their results.
    if (contributors > 1 && !std::is_sorted(nodes.begin(), nodes.end(), before)) {
      std::stable_sort(nodes.begin(), nodes.end(), before);
    }
    return nodes;
  }
  if (isWalkable(context)) {
    const ChildPath& steps = childPath(expr);
    if (steps.usable) {
      std::vector<xmlNode*> found;
      walk(steps.steps, 0, walkStart(context), false, found);
      return found;
    }
  }
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
