#pragma once

#include <string>

namespace belvora::session {

// The values of one creation session, set by DLL_Init_DB. Each clsXRechnung
// object holds its own, so objects never see each other's session.
struct SessionValues {
  std::string ExportFile;
  std::string Connectionstring;
  std::string SQL;
  std::string ParameterString;  // row selector; the row's BT1 when empty
  std::string EmbeddedFile;
  std::string tblName;  // documents table; empty: nothing is stored
  bool bolFrageImport = false;
};

}  // namespace belvora::session
