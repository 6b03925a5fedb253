#include "session/ExportFile.h"

#include <exception>

#include "messages/Messages.h"
#include "platform/sys/Files.h"
#include "platform/ui/Interaction.h"
#include "session/ErrorReport.h"

namespace belvora::session {
namespace msg = messages;

std::string ExportPathFor(const std::string& path) {
  // The first "/" after the folder part; a relative path whose first
  // component is no folder keeps no folder at all.
  size_t keep = 0;
  for (size_t slash = path.rfind('/'); slash != std::string::npos;
       slash = slash == 0 ? std::string::npos : path.rfind('/', slash - 1)) {
    std::string folder = slash == 0 ? std::string("/") : path.substr(0, slash);
    if (sys::isDirectory(folder)) {
      keep = slash + 1;
      break;
    }
  }
  std::string result = path;
  for (size_t i = keep; i < result.size(); ++i)
    if (result[i] == '/') result[i] = '-';
  return result;
}

ExportResult WriteExportFile(const std::string& path, std::string_view document,
                             std::string& writtenPath) {
  writtenPath = ExportPathFor(path);
  if (sys::fileExists(writtenPath)) {
    const std::string question = msg::Fill(msg::creation::kExportExists, {writtenPath}) +
                                 msg::kLineBreak + msg::creation::kOverwrite;
    if (!ui::current().question(msg::kTitleNote, question, ui::Icon::Question, false))
      return ExportResult::Declined;
  }
  try {
    static constexpr std::string_view kBom = "\xEF\xBB\xBF";
    sys::writeFileAtomically(writtenPath, {kBom, document});
    return ExportResult::Written;
  } catch (...) {
    std::string message = std::string(msg::creation::kExportFailed) + writtenPath +
                          msg::kLineBreak + msg::creation::kCompiler +
                          DescribeError(std::current_exception()).description;
    ui::current().message(msg::kTitleNote, message, ui::Icon::Exclamation);
    return ExportResult::Failed;
  }
}

}  // namespace belvora::session
