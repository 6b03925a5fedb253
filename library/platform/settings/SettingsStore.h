#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace belvora::settings {

// Where and under which names the last values of a creation session are kept.
inline constexpr const char* kApplicationName = "belvora";
inline constexpr const char* kSection = "Settings";
inline constexpr const char* kKeyConnection = "DLLCode4";
inline constexpr const char* kKeyDataObject = "DLLCode5";
inline constexpr const char* kKeyExportPath = "DLLCode6";
inline constexpr const char* kKeyQueryParameter = "DLLCode7";
inline constexpr const char* kKeyImportQuestion = "DLLCode9";

// The values a creation session records: filled by DLL_Init_DB and the
// parameter dialog of one object, written out by the save functions below.
struct SettingValues {
  std::string connection;
  std::string dataObject;
  std::string exportPath;
  std::string queryParameter = "False";  // "True" or "False"
  std::string embeddedFile;              // not stored
  std::string tableName;                 // not stored
  bool importQuestion = false;
};

// "True" / "False", the text form of a flag in the store.
std::string FlagText(bool flag);

// Byte-wise exclusive or with the one-character key; a byte equal to the key
// stays as it is. Applying it twice gives the original text back.
std::string Scramble(std::string_view text);

// $XDG_CONFIG_HOME/belvora/belvora.conf, with ~/.config when the variable is
// unset or not an absolute path.
std::string SettingsFilePath();

// Writes DLLCode4, 5, 6, 7 and 9; the folder is created (mode 0700:
// connection strings may hold passwords) and the file replaced atomically.
// Writers in other threads and processes are serialised by a lock on the
// folder, so the record is always one writer's whole set. Throws
// std::system_error when the file cannot be written.
void SaveAllSettings(const SettingValues& values);
// Writes DLLCode7 alone.
void SaveQueryParameterFlag(const SettingValues& values);

// The stored text of a key as it was saved (still scrambled for the
// scrambled keys); nullopt when the key or the file is missing.
std::optional<std::string> ReadStoredSetting(std::string_view key);

}  // namespace belvora::settings
