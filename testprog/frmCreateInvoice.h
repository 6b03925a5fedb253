#pragma once

// The "DLL-Setup" window of Trivex: one button per public operation of the
// library, run against the template database beside the program. Every
// button creates a fresh library object, calls it and releases it.

#include <QWidget>
#include <string>

namespace trivex {

// The test settings the window holds; set when it loads.
struct TestSettings {
  std::string exportFolder;  // replaced by the folder chosen in "Create XInvoice"
  std::string connection;    // the template database beside the program
  std::string sourceQuery = "Select * from VorlageXRechnung";
  bool useParameter = true;
  std::string embeddedFiles;
  std::string documentsTable = "tblDocuments";
  bool askBeforeStoring = true;
};

// The example address the Support button passes.
inline constexpr const char* kSupportAddress = "support@belvora.example.org";

class frmCreateInvoice : public QWidget {
 public:
  // programDir: the folder whose source/VorlageDB.sqlite is the template database.
  explicit frmCreateInvoice(const std::string& programDir, QWidget* parent = nullptr);

  const TestSettings& settings() const { return settings_; }

  void parameter();
  void about();
  void support();
  // "XML - Convert": German when `german`, else English.
  void convert(bool german);
  void create();

 private:
  TestSettings settings_;
};

}  // namespace trivex
