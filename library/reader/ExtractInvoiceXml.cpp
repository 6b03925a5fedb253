#include "reader/ExtractInvoiceXml.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/pdf/EmbeddedFiles.h"
#include "platform/sys/Ascii.h"
#include "platform/sys/Files.h"

namespace belvora::reader {
namespace {

constexpr const char* kWorkFileName = "zFile.xml";

bool startsWithPdfMagic(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char head[5] = {};
  return in.read(head, sizeof head) && std::string_view(head, sizeof head) == "%PDF-";
}

// The work file is replaced through a temporary file and a rename, so a
// reader never sees half of it. It lives in the private work folder and is
// rewritten on every read: no flush to disk is needed.
void writeWorkFile(const std::string& path, std::string_view bytes) {
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) throw std::system_error(errno, std::generic_category(), "cannot create " + temp);
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = errno;
      ::close(fd);
      ::unlink(temp.c_str());
      throw std::system_error(err, std::generic_category(), "cannot write " + temp);
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    throw std::system_error(err, std::generic_category(), "cannot replace " + path);
  }
}

}  // namespace

bool IsPdfFile(const std::string& path) {
  if (ascii::EndsWithNoCase(path, "pdf")) return true;
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

    writeWorkFile(target, *xml);
    workFile = target;
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace belvora::reader
