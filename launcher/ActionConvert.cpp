// "CONVERT": starts the converter program configured in the settings file
// ([Convert] program=, an absolute path) with the invoice XML, the PDF and
// the ICC profile, without waiting for it.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "Actions.h"
#include "Environment.h"

namespace start {
namespace fs = std::filesystem;
namespace {

constexpr const char* kSection = "Convert";
constexpr const char* kKey = "program";
// The converter's arguments, in this order.
constexpr const char* kInputs[] = {"inputxml", "inputpdf", "icc"};

bool trustedOwner(const struct stat& st) { return st.st_uid == 0 || st.st_uid == ::geteuid(); }

// Empty when nobody but its owner or root can change what path runs;
// else what is wrong. The program's own folder must not be writable by
// others at all; folders above it only when sticky, as /tmp is.
std::string unsafeReason(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return path.string() + " ist nicht vorhanden";
  if (!trustedOwner(st) || (st.st_mode & 022) != 0)
    return path.string() + " kann von anderen Benutzern verändert werden";
  bool parent = true;
  for (fs::path dir = path.parent_path();; dir = dir.parent_path()) {
    if (::stat(dir.c_str(), &st) != 0) return dir.string() + " ist nicht vorhanden";
    bool othersWrite = (st.st_mode & 022) != 0 && (parent || (st.st_mode & S_ISVTX) == 0);
    if (!trustedOwner(st) || othersWrite)
      return "der Ordner " + dir.string() + " kann von anderen Benutzern verändert werden";
    parent = false;
    if (dir == dir.parent_path()) return {};
  }
}

}  // namespace

int ActionConvert(const Parameters& params) {
  ShowLabel("Ihre XRechnung wird erzeugt.");
  const std::string program = ReadSetting(kSection, kKey).value_or("");
  if (program.empty()) {
    ShowNote("Kein Konverter eingerichtet: Bitte den absoluten Pfad des Konverters in " +
             SettingsFilePath() + " unter [Convert] als program= eintragen.");
    return kExitFailed;
  }
  const fs::path configured(program);
  if (!configured.is_absolute()) {
    ShowNote("Der Konverter muss mit absolutem Pfad eingetragen sein: " + program);
    return kExitFailed;
  }
  std::error_code ec;
  const fs::path real = fs::canonical(configured, ec);
  if (ec || !fs::is_regular_file(real, ec) || ::access(real.c_str(), X_OK) != 0) {
    ShowNote("Der Konverter " + program + " ist nicht vorhanden oder nicht ausführbar.");
    return kExitFailed;
  }
  // The link as well as its target: either could be swapped.
  for (const fs::path& p : {configured.lexically_normal(), real}) {
    if (std::string reason = unsafeReason(p); !reason.empty()) {
      ShowNote("Der Konverter " + program + " wird nicht gestartet: " + reason + ".");
      return kExitFailed;
    }
  }

  std::vector<std::string> argv = {real.string()};
  for (const char* name : kInputs) {
    const std::string value = GetParameter(&params, name);
    if (value.empty()) {
      ShowNote("Für CONVERT fehlt der Parameter " + std::string(name) + ".");
      return kExitFailed;
    }
    // Absolute, so that no argument can pass for an option of the converter.
    const std::string file = fs::absolute(value, ec).lexically_normal().string();
    if (ec || !fs::is_regular_file(file, ec) || ::access(file.c_str(), R_OK) != 0) {
      ShowNote("Die Datei " + value + " (" + name + ") kann nicht gelesen werden.");
      return kExitFailed;
    }
    argv.push_back(file);
  }
  if (!StartDetached(argv)) {
    ShowNote("Der Konverter " + program + " kann nicht gestartet werden.");
    return kExitFailed;
  }
  return kExitSuccess;
}

}  // namespace start
