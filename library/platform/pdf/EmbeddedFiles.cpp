// Embedded files of a hybrid (ZUGFeRD / Factur-X) PDF.
//
//   trailer /Root (catalogue)
//     /Names /EmbeddedFiles      name tree: nodes with /Kids (more nodes) or
//                                /Names [ (key) filespec (key) filespec ... ]
//     /AF [ filespec ... ]       associated files (PDF/A-3)
//   filespec: << /Type /Filespec /F (name) /UF (unicode name)
//                /EF << /F stream /UF stream >> /AFRelationship /Data >>
//
// Producers do not always keep the name tree sorted, so it is walked whole
// rather than searched; every node and every stream is visited once.
#include "platform/pdf/EmbeddedFiles.h"
#include "platform/sys/Ascii.h"

// qpdf 11: use std::shared_ptr, without the PointerHolder transition warning.
#ifndef POINTERHOLDER_TRANSITION
#define POINTERHOLDER_TRANSITION 4
#endif
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <algorithm>
#include <array>
#include <cctype>
#include <exception>
#include <memory>
#include <set>
#include <stdexcept>

namespace belvora::pdf {
namespace {

// Name trees deeper than this are malformed; real ones have two or three levels.
constexpr int kMaxTreeDepth = 64;

struct Candidate {
  std::string name;
  QPDFObjectHandle stream;
};

// This file stays valid C++17: clang 14 with libstdc++ 12 cannot compile
// qpdf 11's headers in C++20 mode, so the clang (fuzz) build compiles it as C++17.
bool startsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// Collects the embedded streams of a document, each once, in document order.
class Collector {
 public:
  explicit Collector(QPDF& pdf) : pdf_(pdf) {}

  std::vector<Candidate> collect() {
    QPDFObjectHandle root = pdf_.getRoot();
    if (!root.isDictionary()) return {};
    QPDFObjectHandle names = root.getKey("/Names");
    if (names.isDictionary()) walkTree(names.getKey("/EmbeddedFiles"), 0);
    QPDFObjectHandle af = root.getKey("/AF");
    if (af.isArray()) {
      for (auto& fileSpec : af.getArrayAsVector()) addFileSpec(fileSpec, {});
    }
    return std::move(found_);
  }

 private:
  bool firstVisit(QPDFObjectHandle& h) {
    if (!h.isIndirect()) return true;
    return visited_.insert(h.getObjGen()).second;
  }

  void walkTree(QPDFObjectHandle node, int depth) {
    if (depth > kMaxTreeDepth || !node.isDictionary() || !firstVisit(node)) return;
    QPDFObjectHandle pairs = node.getKey("/Names");
    if (pairs.isArray()) {
      int n = pairs.getArrayNItems();
      for (int i = 0; i + 1 < n; i += 2) {
        QPDFObjectHandle key = pairs.getArrayItem(i);
        addFileSpec(pairs.getArrayItem(i + 1), key.isString() ? key.getUTF8Value() : "");
      }
    }
    QPDFObjectHandle kids = node.getKey("/Kids");
    if (kids.isArray()) {
      for (auto& kid : kids.getArrayAsVector()) walkTree(kid, depth + 1);
    }
  }

  static std::string specName(QPDFObjectHandle& fileSpec, const std::string& treeKey) {
    for (const char* key : {"/UF", "/F"}) {
      QPDFObjectHandle v = fileSpec.getKey(key);
      if (v.isString()) {
        std::string s = v.getUTF8Value();
        if (!s.empty()) return s;
      }
    }
    return treeKey;
  }

  void addFileSpec(QPDFObjectHandle fileSpec, const std::string& treeKey) {
    if (!fileSpec.isDictionary()) return;
    QPDFObjectHandle ef = fileSpec.getKey("/EF");
    if (!ef.isDictionary()) return;
    QPDFObjectHandle stream;
    for (const char* key : {"/UF", "/F"}) {
      QPDFObjectHandle s = ef.getKey(key);
      if (s.isStream()) {
        stream = s;
        break;
      }
    }
    if (!stream.isInitialized() || !stream.isStream()) return;
    if (!streams_.insert(stream.getObjGen()).second) return;
    found_.push_back({specName(fileSpec, treeKey), stream});
  }

  QPDF& pdf_;
  std::set<QPDFObjGen> visited_;
  std::set<QPDFObjGen> streams_;
  std::vector<Candidate> found_;
};

// Enough decoded bytes to see the root element behind any sensible prolog.
constexpr std::size_t kHeadBytes = std::size_t{1} << 20;
// Enough of the end to find the closing root tag behind trailing comments.
constexpr std::size_t kTailBytes = 4096;

// Thrown by a pipeline to stop decoding once it has seen enough.
struct Enough {};

// Keeps the first decoded bytes of a stream until they tell whether its
// root element is an invoice's. Judged at doubling sizes, so a stream fed
// in tiny pieces costs linear, not quadratic, time.
class HeadProbe : public Pipeline {
 public:
  HeadProbe() : Pipeline("head", nullptr) {}
  void write(unsigned char const* data, size_t len) override {
    head_.append(reinterpret_cast<const char*>(data), std::min(len, kHeadBytes - head_.size()));
    if (head_.size() < next_ && head_.size() < kHeadBytes) return;
    next_ = head_.size() * 2;
    judge(false);
    if (verdict_ != RootVerdict::Undecided) throw Enough{};
  }
  void finish() override {}
  void judge(bool ended) {
    verdict_ = looksLikeInvoiceStart(head_, &root_);
    if (verdict_ == RootVerdict::Undecided && (ended || head_.size() >= kHeadBytes))
      verdict_ = RootVerdict::Other;
  }
  RootVerdict verdict() const { return verdict_; }
  const std::string& root() const { return root_; }

 private:
  std::string head_;
  std::string root_;
  std::size_t next_ = 512;
  RootVerdict verdict_ = RootVerdict::Undecided;
};

// Passes decoded bytes on to the sink up to the limit, keeping the last few
// to check the closing tag. The PDF library catches what a pipeline throws,
// so the reasons are kept here and raised again by the caller.
class LimitedCopy : public Pipeline {
 public:
  LimitedCopy(InvoiceSink& sink, std::size_t limit)
      : Pipeline("invoice", nullptr), sink_(sink), limit_(limit) {}
  void write(unsigned char const* data, size_t len) override {
    if (len > limit_ - written_) {
      exceeded_ = true;
      throw Enough{};
    }
    std::string_view bytes(reinterpret_cast<const char*>(data), len);
    try {
      sink_.write(bytes);
    } catch (...) {
      error_ = std::current_exception();
      throw;
    }
    written_ += len;
    tail_.append(bytes.substr(bytes.size() - std::min(bytes.size(), kTailBytes)));
    if (tail_.size() > 2 * kTailBytes) tail_.erase(0, tail_.size() - kTailBytes);
  }
  void finish() override {}
  bool exceeded() const { return exceeded_; }
  void rethrow() const {
    if (error_) std::rethrow_exception(error_);
  }
  bool closes(const std::string& root) const {
    const std::size_t at = tail_.rfind("</" + root);
    return at != std::string::npos && tail_.find('>', at) != std::string::npos;
  }

 private:
  InvoiceSink& sink_;
  std::size_t limit_;
  std::size_t written_ = 0;
  std::string tail_;
  bool exceeded_ = false;
  std::exception_ptr error_;
};

// Decodes a stream into the pipeline; false when decoding failed or the
// pipeline stopped it.
bool pipe(QPDFObjectHandle& stream, Pipeline& pipeline) {
  try {
    return stream.pipeStreamData(&pipeline, nullptr, 0, qpdf_dl_generalized, true, false);
  } catch (const Enough&) {
    return false;
  } catch (const std::exception&) {
    return false;
  }
}

// The PDF library's own words, without the name it gives the input.
std::string reasonOf(const std::exception& e) {
  if (const auto* qe = dynamic_cast<const QPDFExc*>(&e)) return qe->getMessageDetail();
  return e.what();
}

std::unique_ptr<QPDF> openPdf(std::string_view bytes) {
  auto pdf = std::make_unique<QPDF>();
  pdf->setSuppressWarnings(true);
  pdf->setAttemptRecovery(true);
  try {
    pdf->processMemoryFile("invoice PDF", bytes.data(), bytes.size());
  } catch (const std::exception& e) {
    throw Unreadable(reasonOf(e));
  }
  return pdf;
}

std::vector<Candidate> candidates(QPDF& pdf) {
  try {
    return Collector(pdf).collect();
  } catch (const std::exception& e) {
    throw Unreadable(reasonOf(e));
  }
}

constexpr std::array<std::string_view, 3> kPreferredNames = {"factur-x.xml", "zugferd-invoice.xml",
                                                             "xrechnung.xml"};

}  // namespace

std::vector<std::string> embeddedFileNames(std::string_view pdfBytes) {
  auto pdf = openPdf(pdfBytes);
  std::vector<std::string> names;
  for (auto& c : candidates(*pdf)) names.push_back(c.name);
  return names;
}

SizeLimitExceeded::SizeLimitExceeded(std::string name, std::size_t limit)
    : std::runtime_error("embedded file '" + name + "' exceeds the size limit"),
      name_(std::move(name)),
      limit_(limit) {}

std::optional<std::string> writeInvoiceXml(std::string_view pdfBytes, InvoiceSink& sink,
                                           std::size_t maxFileSize) {
  auto pdf = openPdf(pdfBytes);
  std::vector<Candidate> all = candidates(*pdf);

  // Each candidate's head is decoded at most once; a whole decode that
  // failed is not tried again.
  std::vector<std::unique_ptr<HeadProbe>> heads(all.size());
  std::vector<bool> failed(all.size(), false);
  auto take = [&](std::size_t i) {
    if (failed[i]) return false;
    if (!heads[i]) {
      heads[i] = std::make_unique<HeadProbe>();
      if (pipe(all[i].stream, *heads[i]) || heads[i]->verdict() == RootVerdict::Undecided)
        heads[i]->judge(true);
    }
    if (heads[i]->verdict() != RootVerdict::Invoice) return false;
    sink.clear();
    LimitedCopy copy(sink, maxFileSize);
    const bool decoded = pipe(all[i].stream, copy);
    copy.rethrow();
    if (copy.exceeded()) {
      sink.clear();
      throw SizeLimitExceeded(all[i].name, maxFileSize);
    }
    if (decoded && copy.closes(heads[i]->root())) return true;
    failed[i] = true;
    sink.clear();
    return false;
  };

  for (std::string_view preferred : kPreferredNames) {
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (ascii::Lower(all[i].name) == preferred && take(i)) return all[i].name;
    }
  }
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (take(i)) return all[i].name;
  }
  return std::nullopt;
}

std::optional<EmbeddedFile> findInvoiceXml(std::string_view pdfBytes, std::size_t maxFileSize) {
  struct Memory : InvoiceSink {
    std::string data;
    void write(std::string_view bytes) override { data.append(bytes); }
    void clear() override { data.clear(); }
  } memory;
  auto name = writeInvoiceXml(pdfBytes, memory, maxFileSize);
  if (!name) return std::nullopt;
  return EmbeddedFile{*name, std::move(memory.data)};
}

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// True when text is a proper prefix of what: more bytes might complete it.
bool mightBecome(std::string_view text, std::string_view what) {
  return text.size() < what.size() && what.substr(0, text.size()) == text;
}

struct Namespaces {
  std::string_view element;  // the namespace of the root element's prefix
  bool found = false;
};

}  // namespace

RootVerdict looksLikeInvoiceStart(std::string_view xml, std::string* rootName) {
  std::size_t pos = 0;
  if (mightBecome(xml, "\xEF\xBB\xBF")) return RootVerdict::Undecided;
  if (startsWith(xml, "\xEF\xBB\xBF")) pos = 3;
  // Skip the prolog: declaration, processing instructions, comments, doctype.
  for (;;) {
    while (pos < xml.size() && isSpace(xml[pos])) ++pos;
    if (pos >= xml.size()) return RootVerdict::Undecided;
    if (xml[pos] != '<') return RootVerdict::Other;
    std::string_view rest = xml.substr(pos);
    if (rest.size() < 4 && (mightBecome(rest, "<!--") || rest == "<"))
      return RootVerdict::Undecided;
    std::size_t end;
    if (startsWith(rest, "<?")) {
      end = rest.find("?>");
      if (end == std::string_view::npos) return RootVerdict::Undecided;
      pos += end + 2;
    } else if (startsWith(rest, "<!--")) {
      end = rest.find("-->");
      if (end == std::string_view::npos) return RootVerdict::Undecided;
      pos += end + 3;
    } else if (startsWith(rest, "<!")) {
      // A doctype's internal subset holds '>' of its own: skip past its ']'.
      std::size_t bracket = rest.find('[');
      end = rest.find('>');
      if (bracket != std::string_view::npos && bracket < end) {
        std::size_t close = rest.find(']', bracket);
        end = close == std::string_view::npos ? close : rest.find('>', close);
      }
      if (end == std::string_view::npos) return RootVerdict::Undecided;
      pos += end + 1;
    } else {
      break;
    }
  }
  // The root's start tag: its name, then attributes up to '>' or "/>".
  std::size_t at = pos + 1;
  const std::size_t nameStart = at;
  while (at < xml.size() && !isSpace(xml[at]) && xml[at] != '>' && xml[at] != '/') ++at;
  if (at >= xml.size()) return RootVerdict::Undecided;
  const std::string_view name = xml.substr(nameStart, at - nameStart);
  const std::size_t colon = name.find(':');
  const std::string_view prefix =
      colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
  const std::string_view local = colon == std::string_view::npos ? name : name.substr(colon + 1);
  const std::string wanted = prefix.empty() ? "xmlns" : "xmlns:" + std::string(prefix);
  Namespaces ns;
  for (;;) {
    while (at < xml.size() && isSpace(xml[at])) ++at;
    if (at >= xml.size()) return RootVerdict::Undecided;
    if (xml[at] == '>' || xml[at] == '/') break;
    const std::size_t attrStart = at;
    while (at < xml.size() && xml[at] != '=' && !isSpace(xml[at]) && xml[at] != '>') ++at;
    const std::string_view attr = xml.substr(attrStart, at - attrStart);
    while (at < xml.size() && isSpace(xml[at])) ++at;
    if (at >= xml.size()) return RootVerdict::Undecided;
    if (xml[at] != '=') return RootVerdict::Other;
    ++at;
    while (at < xml.size() && isSpace(xml[at])) ++at;
    if (at >= xml.size()) return RootVerdict::Undecided;
    const char quote = xml[at];
    if (quote != '"' && quote != '\'') return RootVerdict::Other;
    const std::size_t close = xml.find(quote, at + 1);
    if (close == std::string_view::npos) return RootVerdict::Undecided;
    if (attr == wanted) {
      ns.element = xml.substr(at + 1, close - at - 1);
      ns.found = true;
    }
    at = close + 1;
  }
  if (rootName != nullptr) *rootName = std::string(name);
  if (!ns.found) return RootVerdict::Other;
  bool invoice = false;
  if (local == "CrossIndustryInvoice")
    invoice = ns.element == "urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100";
  else if (local == "CrossIndustryDocument")
    invoice = startsWith(ns.element, "urn:ferd:");
  else if (local == "Invoice")
    invoice = ns.element == "urn:oasis:names:specification:ubl:schema:xsd:Invoice-2";
  else if (local == "CreditNote")
    invoice = ns.element == "urn:oasis:names:specification:ubl:schema:xsd:CreditNote-2";
  return invoice ? RootVerdict::Invoice : RootVerdict::Other;
}

bool looksLikeInvoiceXml(std::string_view xml) {
  std::string root;
  if (looksLikeInvoiceStart(xml, &root) != RootVerdict::Invoice) return false;
  // A cut-off stream lacks the closing root tag.
  const std::size_t close = xml.rfind("</" + root);
  return close != std::string_view::npos && xml.find('>', close) != std::string_view::npos &&
         close > xml.find("<" + root);
}

std::optional<std::string> scanInvoiceXml(std::string_view bytes) {
  constexpr std::string_view kDeclaration = "<?xml version=";
  constexpr std::string_view kClosing = "</rsm:CrossIndustryInvoice>";
  std::size_t close = ascii::FindNoCase(bytes, kClosing);
  if (close == std::string_view::npos) return std::nullopt;
  std::size_t start = std::string_view::npos;
  for (std::size_t at = ascii::FindNoCase(bytes, kDeclaration); at < close;
       at = ascii::FindNoCase(bytes, kDeclaration, at + 1)) {
    start = at;
  }
  if (start == std::string_view::npos) return std::nullopt;
  std::string out(bytes.substr(start, close + kClosing.size() - start));
  out += "\r\n";
  return out;
}

}  // namespace belvora::pdf
