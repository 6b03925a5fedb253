#pragma once

#include <string>
#include <string_view>

namespace belvora::session {

// The path an export file is written to: the longest leading part of the
// given path that is an existing folder stays the folder, and every "/"
// after it becomes "-" (an invoice number such as RE/2024/7 names a file,
// not folders). /tmp/RE/2024/7.xml without a folder /tmp/RE gives
// /tmp/RE-2024-7.xml.
std::string ExportPathFor(const std::string& path);

enum class ExportResult {
  Written,   // the file holds the document
  Declined,  // the file existed and the user kept it
  Failed,    // the write failed; the message has been shown
};

// Writes the document as UTF-8 with a byte-order mark to ExportPathFor(path),
// asking before an existing file is replaced. The file is replaced
// atomically: a failed write leaves an existing file as it was and no
// partial file behind. writtenPath receives the path used.
ExportResult WriteExportFile(const std::string& path, std::string_view document,
                             std::string& writtenPath);

}  // namespace belvora::session
