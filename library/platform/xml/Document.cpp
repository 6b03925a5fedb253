#include "platform/xml/Document.h"
#include "platform/sys/Ascii.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <vector>

namespace belvora::xml {

namespace {

// No network, no DTD loading, no entity substitution (XML_PARSE_NOENT would
// load external entities). Huge-text mode is on because real invoices embed
// attachments of many megabytes in one Base64 text node; entity expansion is
// bounded by our own check below instead of libxml2's text limit.
// The tree is never changed after parsing, so small texts may be stored
// compactly (fewer allocations for large documents).
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                              XML_PARSE_BIG_LINES | XML_PARSE_COMPACT | XML_PARSE_HUGE;

// A failing line longer than this is shown as a window around the column.
constexpr std::size_t kMaxLineText = 240;

// Expanded entity text allowed for any document; larger documents may expand
// to ten times their own size.
constexpr std::size_t kMinEntityExpansion = 1 << 20;

struct ParserCtxtDeleter {
  void operator()(xmlParserCtxt* ctxt) const noexcept { xmlFreeParserCtxt(ctxt); }
};
using ParserCtxtPtr = std::unique_ptr<xmlParserCtxt, ParserCtxtDeleter>;

// What the SAX hooks found that the document must not do, and the index of
// the elements they saw.
struct Refusal {
  std::string reason;
  int line = 0;
  int column = 0;
  xmlParserCtxt* main = nullptr;
  ElementIndex* index = nullptr;
  const xmlNs* lastNs = nullptr;
};

void ignoreError(void*, xmlError*) {}

void refuse(xmlParserCtxt* ctxt, std::string reason) {
  auto* refusal = static_cast<Refusal*>(ctxt->_private);
  if (refusal->reason.empty()) {
    refusal->reason = std::move(reason);
    if (ctxt->input != nullptr) {
      refusal->line = ctxt->input->line;
      refusal->column = ctxt->input->col;
    }
  }
  xmlStopParser(ctxt);
}

void onInternalSubset(void* ctx, const xmlChar* name, const xmlChar* externalId,
                      const xmlChar* systemId) {
  auto* ctxt = static_cast<xmlParserCtxt*>(ctx);
  if (externalId != nullptr || systemId != nullptr) {
    refuse(ctxt, "External DTD is not allowed");
    return;
  }
  xmlSAX2InternalSubset(ctx, name, externalId, systemId);
}

void onEntityDecl(void* ctx, const xmlChar* name, int type, const xmlChar* publicId,
                  const xmlChar* systemId, xmlChar* content) {
  auto* ctxt = static_cast<xmlParserCtxt*>(ctx);
  if (type == XML_EXTERNAL_GENERAL_PARSED_ENTITY || type == XML_EXTERNAL_GENERAL_UNPARSED_ENTITY ||
      type == XML_EXTERNAL_PARAMETER_ENTITY || systemId != nullptr || publicId != nullptr) {
    refuse(ctxt, "External entity \"" + std::string(reinterpret_cast<const char*>(name)) +
                     "\" is not allowed");
    return;
  }
  xmlSAX2EntityDecl(ctx, name, type, publicId, systemId, content);
}

void onUnparsedEntityDecl(void* ctx, const xmlChar* name, const xmlChar*, const xmlChar*,
                          const xmlChar*) {
  refuse(static_cast<xmlParserCtxt*>(ctx), "External entity \"" +
                                               std::string(reinterpret_cast<const char*>(name)) +
                                               "\" is not allowed");
}

// Indexes each element of the document as it is created, while it is still
// in the cache. Elements of an entity's replacement text are parsed with a
// context of their own and are not part of the tree, so they are left out.
void onStartElementNs(void* ctx, const xmlChar* localname, const xmlChar* prefix,
                      const xmlChar* uri, int nbNamespaces, const xmlChar** namespaces,
                      int nbAttributes, int nbDefaulted, const xmlChar** attributes) {
  auto* ctxt = static_cast<xmlParserCtxt*>(ctx);
  const xmlNode* parent = ctxt->node;
  xmlSAX2StartElementNs(ctx, localname, prefix, uri, nbNamespaces, namespaces, nbAttributes,
                        nbDefaulted, attributes);
  auto* refusal = static_cast<Refusal*>(ctxt->_private);
  xmlNode* node = ctxt->node;
  if (refusal == nullptr || ctxt != refusal->main || node == nullptr || node == parent ||
      node->type != XML_ELEMENT_NODE) {
    return;
  }
  refusal->index->byName[node->name].push_back(node);
  if (node->ns != nullptr && node->ns != refusal->lastNs) {
    refusal->lastNs = node->ns;
    auto& known = refusal->index->namespaces;
    if (std::find(known.begin(), known.end(), node->ns) == known.end()) known.push_back(node->ns);
  }
}

// Shows raw input bytes as text: control characters (other than tab) and
// bytes that are no valid UTF-8 become "?", so a binary file gives a
// readable message.
std::string printable(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      out += (c < 32 && c != '\t') || c == 127 ? '?' : static_cast<char>(c);
      ++i;
      continue;
    }
    const std::size_t length = c >= 0xF0 && c <= 0xF4  ? 4
                               : c >= 0xE0             ? 3
                               : c >= 0xC2 && c < 0xE0 ? 2
                                                       : 0;
    bool valid = length > 0 && i + length <= bytes.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      valid = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
    }
    if (valid) {
      out.append(bytes.substr(i, length));
      i += length;
    } else {
      out += '?';
      ++i;
    }
  }
  return out;
}

// The text of 1-based line `line` of the input, without its line break.
std::string lineOf(std::string_view bytes, int line, int column) {
  if (line <= 0) return {};
  std::size_t start = 0;
  for (int current = 1; current < line; ++current) {
    const auto nl = bytes.find('\n', start);
    if (nl == std::string_view::npos) return {};
    start = nl + 1;
  }
  auto end = bytes.find('\n', start);
  if (end == std::string_view::npos) end = bytes.size();
  std::string_view text = bytes.substr(start, end - start);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  if (text.size() <= kMaxLineText) return printable(text);
  // A one-line document: show the neighbourhood of the column.
  std::size_t col = column > 0 ? static_cast<std::size_t>(column - 1) : 0;
  if (col > text.size()) col = text.size();
  const std::size_t from = col > kMaxLineText / 2 ? col - kMaxLineText / 2 : 0;
  std::string window(text.substr(from, kMaxLineText));
  // Do not cut a UTF-8 sequence in half at either end.
  auto isContinuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
  while (!window.empty() && isContinuation(window.front())) window.erase(0, 1);
  std::size_t lead = window.size();
  while (lead > 0 && isContinuation(window[lead - 1])) --lead;
  if (lead > 0) {
    const auto byte = static_cast<unsigned char>(window[lead - 1]);
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    if (window.size() - (lead - 1) < length) window.erase(lead - 1);
  }
  return (from > 0 ? "..." : "") + printable(window) +
         (from + kMaxLineText < text.size() ? "..." : "");
}

// The input text, fetched only when an error message shows a line of it.
using Source = std::function<std::string_view()>;

// Size of an entity's text when expanded, nested references included.
std::size_t expandedSize(const xmlEntity* ent,
                         std::unordered_map<const xmlEntity*, std::size_t>& memo) {
  if (auto it = memo.find(ent); it != memo.end()) return it->second;
  memo[ent] = 0;  // a reference loop counts nothing (libxml2 refuses loops itself)
  std::size_t size = 0;
  std::vector<const xmlNode*> stack;
  for (const xmlNode* child = ent->children; child != nullptr; child = child->next) {
    stack.push_back(child);
  }
  while (!stack.empty()) {
    const xmlNode* node = stack.back();
    stack.pop_back();
    if (node->type == XML_ENTITY_REF_NODE) {
      if (const xmlEntity* inner = xmlGetDocEntity(node->doc, node->name)) {
        size += expandedSize(inner, memo);
      }
      continue;
    }
    if (node->content != nullptr) size += xmlStrlen(node->content);
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
      stack.push_back(child);
    }
  }
  memo[ent] = size;
  return size;
}

// Internal entities referenced many times can make the text of a small
// document gigabytes long when it is read (a quadratic blow-up, which
// libxml2 lets pass). Throws when the expanded text exceeds the limit.
void checkEntityAmplification(const xmlDoc* doc, std::size_t size, const Source& bytes) {
  if (doc->intSubset == nullptr || doc->intSubset->entities == nullptr) return;
  const std::size_t limit = std::max<std::size_t>(kMinEntityExpansion, size * 10);
  std::unordered_map<const xmlEntity*, std::size_t> memo;
  std::size_t total = 0;
  const xmlNode* node = xmlDocGetRootElement(doc);
  std::vector<const xmlNode*> stack{node};
  while (!stack.empty()) {
    node = stack.back();
    stack.pop_back();
    if (node->type == XML_ENTITY_REF_NODE) {
      if (const xmlEntity* ent = xmlGetDocEntity(doc, node->name)) total += expandedSize(ent, memo);
      if (total > limit) {
        const int line = static_cast<int>(xmlGetLineNo(node));
        throw ParseError("Entity expansion exceeds the allowed size", line, 0,
                         lineOf(bytes(), line, 0));
      }
      continue;
    }
    if (node->type != XML_ELEMENT_NODE) continue;
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
      stack.push_back(child);
    }
    for (const xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
      for (const xmlNode* child = attr->children; child != nullptr; child = child->next) {
        stack.push_back(child);
      }
    }
  }
}

[[noreturn]] void failFile(const std::string& path, const char* what, int err) {
  throw ParseError(std::string(what) + " '" + path + "': " + std::strerror(err), 0, 0, "");
}

struct FileCloser {
  int fd;
  ~FileCloser() { ::close(fd); }
};

// Opens a regular file for reading; a missing or unreadable file, a folder,
// a FIFO or a device is a parse error without position. Non-blocking, so a
// FIFO without a writer cannot hold the open up.
int openForReading(const std::string& path, struct stat& info) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) failFile(path, "cannot open", errno);
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    const int err = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(fd);
    failFile(path, "cannot read", err);
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    throw ParseError("'" + path + "' is not a regular file", 0, 0, "");
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

// UTF-32 (UCS-4) in any byte order, by its byte-order mark or by the "<"
// that starts every document: libxml2 cannot read it and would only say
// that the document is empty.
bool isUtf32(std::string_view head) {
  if (head.size() < 4) return false;
  static constexpr std::string_view kMarks[] = {{"\0\0\xFE\xFF", 4}, {"\xFF\xFE\0\0", 4},
                                                {"\0\0\0<", 4},      {"<\0\0\0", 4},
                                                {"\0\0<\0", 4},      {"\0<\0\0", 4}};
  for (std::string_view mark : kMarks) {
    if (head.substr(0, 4) == mark) return true;
  }
  return false;
}

// The rest of an open file; size is what it is expected to hold.
std::string readAll(int fd, const std::string& path, std::size_t size) {
  // Read straight into the string; a file that grows meanwhile is read on.
  std::string bytes(size, '\0');
  std::size_t used = 0;
  char spill[1 << 16];
  while (true) {
    const bool full = used == bytes.size();
    char* target = full ? spill : bytes.data() + used;
    const std::size_t room = full ? sizeof spill : bytes.size() - used;
    const ssize_t n = ::read(fd, target, room);
    if (n < 0) {
      if (errno == EINTR) continue;
      failFile(path, "cannot read", errno);
    }
    if (n == 0) break;
    if (full) {
      bytes.append(spill, static_cast<std::size_t>(n));
      used = bytes.size();
    } else {
      used += static_cast<std::size_t>(n);
    }
  }
  bytes.resize(used);
  return bytes;
}

std::string readWholeFile(const std::string& path) {
  struct stat info {};
  FileCloser file{openForReading(path, info)};
  return readAll(file.fd, path, S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) : 0);
}

// Hands the parser an open file in large reads, so the whole file is never
// held in memory (the parser drops what it has read).
struct FileFeed {
  int fd;
  int error = 0;
  std::vector<char> buffer = std::vector<char>(1 << 18);
  std::size_t begin = 0;
  std::size_t end = 0;
};

int feedRead(void* context, char* out, int len) {
  auto* feed = static_cast<FileFeed*>(context);
  if (feed->begin == feed->end) {
    ssize_t n = 0;
    do {
      n = ::read(feed->fd, feed->buffer.data(), feed->buffer.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
      feed->error = errno;
      return -1;
    }
    feed->begin = 0;
    feed->end = static_cast<std::size_t>(n);
    if (n == 0) return 0;
  }
  const std::size_t count = std::min(feed->end - feed->begin, static_cast<std::size_t>(len));
  std::memcpy(out, feed->buffer.data() + feed->begin, count);
  feed->begin += count;
  return static_cast<int>(count);
}

}  // namespace

UnsupportedEncoding::UnsupportedEncoding(std::string encoding)
    : ParseError("Unsupported encoding " + encoding, 1, 1, ""), encoding_(std::move(encoding)) {}

ParseError::ParseError(std::string reason, int line, int column, std::string lineText)
    : std::runtime_error(reason),
      reason_(std::move(reason)),
      line_(line),
      column_(column),
      lineText_(std::move(lineText)) {}

Document Document::parseFile(const std::string& path) {
  struct stat info {};
  FileCloser file{openForReading(path, info)};
  char head[4];
  const ssize_t got = ::pread(file.fd, head, sizeof head, 0);
  if (got > 0 && isUtf32(std::string_view(head, static_cast<std::size_t>(got)))) {
    throw UnsupportedEncoding("UTF-32");
  }
  const auto size = static_cast<std::size_t>(info.st_size);
  if (size > static_cast<std::size_t>(INT_MAX)) throw ParseError("Document is too large", 0, 0, "");
  if (size == 0) throw ParseError("Document is empty", 1, 1, "");
  initialise();
  FileFeed feed{file.fd};
  ParserCtxtPtr ctxt(
      xmlCreateIOParserCtxt(nullptr, nullptr, feedRead, nullptr, &feed, XML_CHAR_ENCODING_NONE));
  if (!ctxt) throw ParseError("Out of memory", 0, 0, "");
  // The file is read again only for the line an error message shows.
  std::string text;
  bool read = false;
  const Source source = [&]() -> std::string_view {
    if (!read) {
      read = true;
      try {
        text = readWholeFile(path);
      } catch (const ParseError&) {
        text.clear();
      }
    }
    return text;
  };
  Document doc = parse(ctxt.get(), path, size, source, [&feed, &path] {
    if (feed.error != 0) failFile(path, "cannot read", feed.error);
  });
  return doc;
}

void Document::initialise() {
  static const bool initialised = [] {
    xmlInitParser();
    return true;
  }();
  (void)initialised;
}

Document Document::parseMemory(std::string_view bytes, const std::string& name) {
  initialise();
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
    throw ParseError("Document is too large", 0, 0, "");
  }
  if (bytes.empty()) throw ParseError("Document is empty", 1, 1, "");
  if (isUtf32(bytes)) throw UnsupportedEncoding("UTF-32");
  ParserCtxtPtr ctxt(xmlCreateMemoryParserCtxt(bytes.data(), static_cast<int>(bytes.size())));
  if (!ctxt) throw ParseError("Out of memory", 0, 0, "");
  return parse(
      ctxt.get(), name, bytes.size(), [bytes] { return bytes; }, [] {});
}

Document Document::parse(xmlParserCtxt* ctxt, const std::string& name, std::size_t size,
                         const std::function<std::string_view()>& bytes,
                         const std::function<void()>& checkInput) {
  if (ctxt->input != nullptr && ctxt->input->filename == nullptr) {
    ctxt->input->filename = reinterpret_cast<char*>(xmlStrdup(BAD_CAST name.c_str()));
  }

  auto index = std::make_unique<ElementIndex>();
  Refusal refusal;
  refusal.main = ctxt;
  refusal.index = index.get();
  ctxt->_private = &refusal;
  ctxt->sax->startElementNs = onStartElementNs;
  ctxt->sax->serror = ignoreError;
  ctxt->sax->internalSubset = onInternalSubset;
  ctxt->sax->entityDecl = onEntityDecl;
  ctxt->sax->unparsedEntityDecl = onUnparsedEntityDecl;
  xmlCtxtUseOptions(ctxt, kParseOptions);

  xmlParseDocument(ctxt);
  DocPtr doc(ctxt->myDoc);
  ctxt->myDoc = nullptr;
  checkInput();

  if (!refusal.reason.empty()) {
    throw ParseError(refusal.reason, refusal.line, refusal.column,
                     lineOf(bytes(), refusal.line, refusal.column));
  }
  if (!ctxt->wellFormed || !doc || xmlDocGetRootElement(doc.get()) == nullptr) {
    const xmlError& err = ctxt->lastError;
    std::string reason =
        err.message != nullptr ? std::string(ascii::TrimSpace(err.message)) : "Document is empty";
    int line = err.line;
    int column = err.int2;
    if (err.message == nullptr && ctxt->input != nullptr) {
      line = ctxt->input->line;
      column = ctxt->input->col;
    }
    throw ParseError(std::move(reason), line, column, lineOf(bytes(), line, column));
  }
  checkEntityAmplification(doc.get(), size, bytes);
  return Document(std::move(doc), std::move(index));
}

namespace {

// The text a node holds in one piece: a text node, or an element or
// attribute whose only child is a text; null otherwise.
const xmlChar* singleText(const xmlNode* node) {
  if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) return node->content;
  if (node->type != XML_ELEMENT_NODE && node->type != XML_ATTRIBUTE_NODE) return nullptr;
  const xmlNode* child = node->children;
  if (child == nullptr || child->next != nullptr) return nullptr;
  if (child->type == XML_TEXT_NODE ||
      (child->type == XML_CDATA_SECTION_NODE && node->type == XML_ELEMENT_NODE)) {
    return child->content;
  }
  return nullptr;
}

}  // namespace

std::string nodeText(const xmlNode* node) {
  if (node == nullptr) return {};
  if (node->type == XML_ELEMENT_NODE && node->children == nullptr) return {};
  if (const xmlChar* text = singleText(node)) {
    std::string_view view(reinterpret_cast<const char*>(text));
    const char* blanks = " \t\r\n";
    const auto begin = view.find_first_not_of(blanks);
    if (begin == std::string_view::npos) return {};
    return std::string(view.substr(begin, view.find_last_not_of(blanks) - begin + 1));
  }
  xmlChar* content = xmlNodeGetContent(node);
  if (content == nullptr) return {};
  std::string text(reinterpret_cast<const char*>(content));
  xmlFree(content);
  return std::string(ascii::TrimSpace(text));
}

std::string attribute(const xmlNode* node, const char* name) {
  if (node == nullptr || node->type != XML_ELEMENT_NODE) return {};
  xmlChar* value = xmlGetNoNsProp(node, BAD_CAST name);
  if (value == nullptr) return {};
  std::string text(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return text;
}

}  // namespace belvora::xml
