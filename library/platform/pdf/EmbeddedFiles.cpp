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
#include <qpdf/QPDFObjectHandle.hh>

#include <algorithm>
#include <array>
#include <cctype>
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

// Collects decoded bytes and gives up once they pass the limit.
class LimitedSink : public Pipeline {
 public:
  LimitedSink(std::size_t limit, std::size_t expected)
      : Pipeline("embedded file", nullptr), limit_(limit) {
    data_.reserve(std::min(expected, limit));
  }
  void write(unsigned char const* data, size_t len) override {
    if (len > limit_ - std::min(limit_, data_.size())) {
      exceeded_ = true;
      throw std::length_error("embedded file exceeds the size limit");
    }
    data_.append(reinterpret_cast<const char*>(data), len);
  }
  void finish() override {}
  std::string take() { return std::move(data_); }
  bool exceeded() const { return exceeded_; }

 private:
  std::size_t limit_;
  std::string data_;
  bool exceeded_ = false;
};

std::size_t positiveInteger(QPDFObjectHandle dict, const char* key) {
  if (!dict.isDictionary()) return 0;
  QPDFObjectHandle v = dict.getKey(key);
  if (!v.isInteger()) return 0;
  const long long n = v.getIntValue();
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

// The decoded size the producer recorded (/Params /Size), to reserve memory
// at once. A hint only: never believed beyond what the stored bytes could
// plausibly inflate to.
std::size_t recordedSize(QPDFObjectHandle& stream) {
  QPDFObjectHandle dict = stream.getDict();
  const std::size_t size = positiveInteger(dict.getKey("/Params"), "/Size");
  const std::size_t stored = positiveInteger(dict, "/Length");
  return std::min(size, stored * 64 + (std::size_t{1} << 20));
}

std::optional<std::string> decode(QPDFObjectHandle& stream, std::size_t maxFileSize) {
  LimitedSink sink(maxFileSize, recordedSize(stream));
  bool ok = false;
  try {
    ok = stream.pipeStreamData(&sink, nullptr, 0, qpdf_dl_generalized, true, false);
  } catch (const std::exception&) {
    ok = false;
  }
  if (!ok || sink.exceeded()) return std::nullopt;
  return sink.take();
}

std::unique_ptr<QPDF> openPdf(std::string_view bytes) {
  auto pdf = std::make_unique<QPDF>();
  pdf->setSuppressWarnings(true);
  pdf->setAttemptRecovery(true);
  try {
    pdf->processMemoryFile("invoice PDF", bytes.data(), bytes.size());
  } catch (const std::exception& e) {
    throw std::runtime_error(std::string("cannot open the PDF: ") + e.what());
  }
  return pdf;
}

std::vector<Candidate> candidates(QPDF& pdf) {
  try {
    return Collector(pdf).collect();
  } catch (const std::exception& e) {
    throw std::runtime_error(std::string("cannot read the PDF: ") + e.what());
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

std::optional<EmbeddedFile> findInvoiceXml(std::string_view pdfBytes, std::size_t maxFileSize) {
  auto pdf = openPdf(pdfBytes);
  std::vector<Candidate> all = candidates(*pdf);

  // Decoded content per candidate, so that no stream is decoded twice.
  std::vector<std::optional<std::optional<std::string>>> cache(all.size());
  auto contentOf = [&](std::size_t i) -> std::optional<std::string>& {
    if (!cache[i]) cache[i] = decode(all[i].stream, maxFileSize);
    return *cache[i];
  };
  auto accept = [&](std::size_t i) -> std::optional<EmbeddedFile> {
    auto& content = contentOf(i);
    if (content && looksLikeInvoiceXml(*content)) {
      return EmbeddedFile{all[i].name, std::move(*content)};
    }
    return std::nullopt;
  };

  for (std::string_view preferred : kPreferredNames) {
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (ascii::Lower(all[i].name) != preferred) continue;
      if (auto hit = accept(i)) return hit;
    }
  }
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (auto hit = accept(i)) return hit;
  }
  return std::nullopt;
}

bool looksLikeInvoiceXml(std::string_view xml) {
  std::size_t pos = 0;
  if (xml.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
  // Skip the prolog: declaration, processing instructions, comments, doctype.
  for (;;) {
    while (pos < xml.size() && std::isspace(static_cast<unsigned char>(xml[pos]))) ++pos;
    if (pos >= xml.size() || xml[pos] != '<') return false;
    std::string_view rest = xml.substr(pos);
    std::size_t end;
    if (startsWith(rest, "<?")) {
      end = rest.find("?>");
      if (end == std::string_view::npos) return false;
      pos += end + 2;
    } else if (startsWith(rest, "<!--")) {
      end = rest.find("-->");
      if (end == std::string_view::npos) return false;
      pos += end + 3;
    } else if (startsWith(rest, "<!")) {
      // A doctype's internal subset holds '>' of its own: skip past its ']'.
      std::size_t bracket = rest.find('[');
      end = rest.find('>');
      if (bracket != std::string_view::npos && bracket < end) {
        std::size_t close = rest.find(']', bracket);
        end = close == std::string_view::npos ? close : rest.find('>', close);
      }
      if (end == std::string_view::npos) return false;
      pos += end + 1;
    } else {
      break;
    }
  }
  std::string_view start = xml.substr(pos);
  std::size_t tagEnd = start.find('>');
  if (tagEnd == std::string_view::npos) return false;
  start = start.substr(0, tagEnd);
  std::size_t nameEnd = start.find_first_of(" \t\r\n/", 1);
  std::string_view name =
      start.substr(1, nameEnd == std::string_view::npos ? nameEnd : nameEnd - 1);
  std::size_t colon = name.find(':');
  std::string_view local = colon == std::string_view::npos ? name : name.substr(colon + 1);

  auto declares = [&](std::string_view ns) { return start.find(ns) != std::string_view::npos; };
  bool invoice = false;
  if (local == "CrossIndustryInvoice")
    invoice = declares("urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100");
  else if (local == "CrossIndustryDocument")
    invoice = declares("urn:ferd:");
  else if (local == "Invoice")
    invoice = declares("urn:oasis:names:specification:ubl:schema:xsd:Invoice-2");
  else if (local == "CreditNote")
    invoice = declares("urn:oasis:names:specification:ubl:schema:xsd:CreditNote-2");
  if (!invoice) return false;
  // A cut-off stream lacks the closing root tag.
  std::string closing = "</" + std::string(name);
  std::size_t close = xml.rfind(closing);
  return close != std::string_view::npos && close > pos;
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
