#include "session/DialogWindows.h"

#include <belvora_version.h>

#include <atomic>
#include <cctype>
#include <string_view>

#include "messages/Messages.h"
#include "platform/ui/Interaction.h"

namespace belvora::session {
namespace {

namespace msg = messages;
namespace dlg = messages::dialogs;

std::atomic<const DialogWindows*>& registered() {
  static std::atomic<const DialogWindows*> windows{nullptr};
  return windows;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// "Driver=x;PWD=secret" -> "Driver=x;PWD=****": a printed value may end up
// in a log file.
std::string maskPasswords(std::string_view connection) {
  std::string out;
  std::size_t start = 0;
  while (start <= connection.size()) {
    std::size_t end = connection.find(';', start);
    if (end == std::string_view::npos) end = connection.size();
    std::string_view part = connection.substr(start, end - start);
    const std::size_t eq = part.find('=');
    std::string_view key = eq == std::string_view::npos ? part : part.substr(0, eq);
    while (!key.empty() && key.front() == ' ') key.remove_prefix(1);
    while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
    if (eq != std::string_view::npos &&
        (equalsIgnoringCase(key, "pwd") || equalsIgnoringCase(key, "password"))) {
      out.append(part.substr(0, eq + 1));
      out += "****";
    } else {
      out.append(part);
    }
    if (end == connection.size()) break;
    out += ';';
    start = end + 1;
  }
  return out;
}

}  // namespace

void RegisterDialogWindows(const DialogWindows* windows) { registered() = windows; }

const DialogWindows* ActiveDialogWindows() {
  const DialogWindows* windows = registered();
  return windows && ui::current().windows() ? windows : nullptr;
}

void ShowParameterOnConsole(const settings::SettingValues& values) {
  auto line = [](std::string& out, const char* caption, std::string_view value) {
    if (!out.empty()) out += msg::kLineBreak;
    out += caption;
    out += ": ";
    out.append(value);
  };
  std::string out;
  line(out, dlg::kConnection, maskPasswords(values.connection));
  line(out, dlg::kDataObject, values.dataObject);
  line(out, dlg::kExportPath, values.exportPath);
  line(out, dlg::kEmbeddedFile, values.embeddedFile);
  line(out, dlg::kTableName, values.tableName);
  line(out, dlg::kQueryParameters, values.queryParameter);
  line(out, dlg::kImportQuestion, settings::FlagText(values.importQuestion));
  ui::current().message(dlg::kParameterTitle, out, ui::Icon::Information);
}

void ShowAboutOnConsole() {
  ui::current().message(dlg::kAboutTitle,
                        std::string(version::productName) + " " + version::versionText +
                            msg::kLineBreak + version::webAddress,
                        ui::Icon::Information);
}

}  // namespace belvora::session
