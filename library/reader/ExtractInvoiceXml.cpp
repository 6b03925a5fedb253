#include "reader/ExtractInvoiceXml.h"

#include <fcntl.h>
#include <unistd.h>

#include <optional>
#include <system_error>

#include "platform/pdf/EmbeddedFiles.h"
#include "platform/sys/Ascii.h"
#include "platform/sys/Files.h"
#include "platform/sys/InputFile.h"
#include "platform/sys/WorkFile.h"

namespace belvora::reader {
namespace {

// PDF readers accept the header anywhere in the first kilobyte.
constexpr std::size_t kHeaderWindow = 1024;

bool hasPdfHeader(std::string_view bytes) {
  return bytes.substr(0, kHeaderWindow).find("%PDF-") != std::string_view::npos;
}

bool startsWithPdfMagic(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  char head[5] = {};
  const ssize_t n = ::pread(fd, head, sizeof head, 0);
  ::close(fd);
  return n == static_cast<ssize_t>(sizeof head) && std::string_view(head, sizeof head) == "%PDF-";
}

class WorkFileSink : public pdf::InvoiceSink {
 public:
  explicit WorkFileSink(sys::WorkFile& file) : file_(file) {}
  void write(std::string_view bytes) override { file_.write(bytes); }
  void clear() override { file_.clear(); }

 private:
  sys::WorkFile& file_;
};

}  // namespace

bool IsPdfFile(const std::string& path) {
  if (ascii::EndsWithNoCase(path, "pdf")) return true;
  try {
    return sys::isDirectory(path) ? false : startsWithPdfMagic(path);
  } catch (...) {
    return false;
  }
}

ExtractResult ExtractInvoiceXml(const std::string& pdfPath, sys::WorkFile& workFile,
                                std::uint64_t maxSize) {
  try {
    std::string bytes;
    try {
      bytes = sys::InputFile(pdfPath, maxSize).readAll();
    } catch (const sys::InputFileError& e) {
      if (e.kind() == sys::InputFileError::TooLarge) return {Extraction::TooLarge, {}};
      return {Extraction::Failed, e.what()};
    }
    WorkFileSink sink(workFile);
    std::string unreadable;
    try {
      if (pdf::writeInvoiceXml(bytes, sink, static_cast<std::size_t>(maxSize))) {
        workFile.close();
        return {Extraction::Extracted, {}};
      }
    } catch (const pdf::SizeLimitExceeded&) {
      workFile.clear();
      return {Extraction::TooLarge, {}};
    } catch (const pdf::Unreadable& e) {
      // Structure unreadable even after repair: the byte scan below decides.
      unreadable = e.what();
    }
    if (auto xml = pdf::scanInvoiceXml(bytes)) {
      workFile.clear();
      workFile.write(*xml);
      workFile.close();
      return {Extraction::Extracted, {}};
    }
    workFile.clear();
    if (!hasPdfHeader(bytes) && !unreadable.empty()) return {Extraction::NotPdf, {}};
    if (!unreadable.empty()) return {Extraction::Unreadable, unreadable};
    return {Extraction::NoInvoice, {}};
  } catch (const std::system_error& e) {
    return {Extraction::Failed, e.what()};
  }
}

}  // namespace belvora::reader
