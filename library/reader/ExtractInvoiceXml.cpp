#include "reader/ExtractInvoiceXml.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/pdf/EmbeddedFiles.h"
#include "platform/sys/Files.h"

namespace belvora::reader {
namespace {

constexpr const char* kWorkFileName = "zFile.xml";

bool endsWithPdf(const std::string& path) {
  if (path.size() < 3) return false;
  std::string tail = path.substr(path.size() - 3);
  for (auto& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == "pdf";
}

bool startsWithPdfMagic(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char head[5] = {};
  return in.read(head, sizeof head) && std::string_view(head, sizeof head) == "%PDF-";
}

}  // namespace

bool IsPdfFile(const std::string& path) {
  if (endsWithPdf(path)) return true;
  try {
    return sys::isDirectory(path) ? false : startsWithPdfMagic(path);
  } catch (...) {
    return false;
  }
}

bool ExtractInvoiceXml(const std::string& pdfPath, std::string& workFile) {
  try {
    const std::string target =
        (std::filesystem::path(sys::privateWorkDir()) / kWorkFileName).string();
    // A stale work file from an earlier read must never pass for this PDF.
    std::error_code ec;
    std::filesystem::remove(target, ec);

    const std::string bytes = sys::readFile(pdfPath);
    std::optional<std::string> xml;
    try {
      if (auto found = pdf::findInvoiceXml(bytes)) xml = std::move(found->data);
    } catch (const std::exception&) {
      // Structure unreadable even after repair: the byte scan below decides.
    }
    if (!xml) xml = pdf::scanInvoiceXml(bytes);
    if (!xml) return false;

    sys::writeFileAtomically(target, *xml);
    workFile = target;
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace belvora::reader
