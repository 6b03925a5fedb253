#pragma once

// A parsed XML document (libxml2) read from a file or from memory. Parsing
// never touches the network, never loads a DTD and never expands external
// entities: a document that declares an external entity or an external DTD
// is refused with a parse error, and nested internal entities that would
// blow up (an entity bomb) fail fast with libxml2's own parse error.

#include <libxml/tree.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace belvora::xml {

// Why a document could not be parsed: the parser's reason, the position
// (1-based line and column; 0 when there is none, e.g. a missing file) and
// the text of the failing line (cut around the column when very long).
class ParseError : public std::runtime_error {
 public:
  ParseError(std::string reason, int line, int column, std::string lineText);

  const std::string& reason() const { return reason_; }
  int line() const { return line_; }
  int column() const { return column_; }
  const std::string& lineText() const { return lineText_; }

 private:
  std::string reason_;
  int line_;
  int column_;
  std::string lineText_;
};

// A document in an encoding the parser cannot read (UTF-32), recognised
// before parsing.
class UnsupportedEncoding : public ParseError {
 public:
  explicit UnsupportedEncoding(std::string encoding);
  const std::string& encoding() const { return encoding_; }

 private:
  std::string encoding_;
};

struct DocDeleter {
  void operator()(xmlDoc* doc) const noexcept { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocDeleter>;

// The elements of a document by name (the name pointer interned in the
// document's dictionary), each list in document order, and every distinct
// namespace an element is in. Gathered while parsing.
struct ElementIndex {
  std::unordered_map<const xmlChar*, std::vector<xmlNode*>> byName;
  std::vector<const xmlNs*> namespaces;
};

class Document {
 public:
  // Both throw ParseError (UnsupportedEncoding for UTF-32). Only regular
  // files are read. name appears in libxml2's own diagnostics only.
  static Document parseFile(const std::string& path);
  static Document parseMemory(std::string_view bytes, const std::string& name = "memory.xml");

  xmlDoc* get() const { return doc_.get(); }
  // The root element; never null for a parsed document.
  xmlNode* root() const { return xmlDocGetRootElement(doc_.get()); }
  const ElementIndex& elements() const { return *index_; }

 private:
  static void initialise();
  // Parses from a prepared context. bytes gives the input for the line an
  // error shows; checkInput throws when reading the input failed.
  static Document parse(xmlParserCtxt* ctxt, const std::string& name, std::size_t size,
                        const std::function<std::string_view()>& bytes,
                        const std::function<void()>& checkInput);
  Document(DocPtr doc, std::unique_ptr<ElementIndex> index)
      : doc_(std::move(doc)), index_(std::move(index)) {}
  DocPtr doc_;
  std::unique_ptr<ElementIndex> index_;
};

// Text content of a node (element, attribute or text) with leading and
// trailing white space removed; empty for null.
std::string nodeText(const xmlNode* node);

// Value of an attribute without namespace; empty when absent.
std::string attribute(const xmlNode* node, const char* name);

}  // namespace belvora::xml
