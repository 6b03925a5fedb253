#pragma once

#include <memory>
#include <string>

#include "belvora/export.h"

namespace belvora {

// Reads one incoming invoice (CII, UBL Invoice/CreditNote, hybrid PDF),
// shows it and stores it on request.
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
