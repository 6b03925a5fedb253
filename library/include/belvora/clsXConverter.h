#pragma once

#include <memory>
#include <string>

#include "belvora/export.h"

namespace belvora {

// Reads one incoming invoice (CII, UBL Invoice/CreditNote, hybrid PDF),
// shows it and stores it on request. XConverter returns false, after a
// message, when the invoice cannot be read, and also when it was shown but
// an attachment could not be written to strFolder (or strFolder is missing).
//
// XConverter returns false when the file cannot be read or when storing it
// failed (header, lines, allowances and file are stored as one transaction:
// after a failure nothing of the invoice is written); the user has seen the
// reason. A save the user declined is no failure.
//
// Threads: every call works with its own settings and files. Separate
// objects may be used from separate threads at the same time; one object
// from one thread at a time.
class BELVORA_EXPORT clsXConverter {
 public:
  clsXConverter();
  ~clsXConverter();
  clsXConverter(const clsXConverter&) = delete;
  clsXConverter& operator=(const clsXConverter&) = delete;

  bool XConverter(const std::string& strFile, const std::string& strFolder,
                  const std::string& Connect, const std::string& tbl = "tblDocuments",
                  const std::string& Sprache = "GB", bool bolFrage = false);

  struct BELVORA_HIDDEN Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace belvora
