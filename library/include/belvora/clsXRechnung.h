#pragma once

#include <memory>
#include <string>

#include "belvora/export.h"

namespace belvora {

// Creation session: one XRechnung (CII) invoice from one row set of the
// caller's database. Every failure is reported to the user and turns into
// a false result; nothing else crosses this boundary.
//
// Threads: each object holds its own session (export path, connection,
// query, selector, attachments, table and flags). Separate objects may be
// used from separate threads at the same time; one object from one thread
// at a time. What cannot run concurrently (windows) refuses with a message
// and a false result instead of producing wrong output.
class BELVORA_EXPORT clsXRechnung {
 public:
  clsXRechnung();
  ~clsXRechnung();
  clsXRechnung(const clsXRechnung&) = delete;
  clsXRechnung& operator=(const clsXRechnung&) = delete;

  void ShowSupport(const std::string& Email);
  void ShowAbout();
  void ShowParameter(const std::string& DBConnect, const std::string& Datasource,
                     const std::string& Export, bool Parameter, const std::string& FileName,
                     const std::string& Tablename, bool bolFrage);
  bool CreateXRechnung();
  void SpecifiedTradeAllowanceChange();
  bool DLL_Init_DB(const std::string& ExportFile, const std::string& Connectionstring,
                   const std::string& SQL, const std::string& ParameterString, bool Parameter,
                   const std::string& EmbeddedFile = "",
                   const std::string& tblName = "tblDocuments", bool bolFrageImport = false);
  void Ecosio();
  void BillingSpecifiedPeriod();

  struct BELVORA_HIDDEN Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace belvora
