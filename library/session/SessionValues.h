#pragma once

#include <string>

namespace belvora::session {

// The process-wide values of the creation session, set by DLL_Init_DB and
// shared by every clsXRechnung object. The connection string, the
// documents table and the ask flag are shared with the reader entry and
// live in reader::processReaderSettings(): the last call of either wins.
struct SessionValues {
  std::string ExportFile;
  std::string SQL;
  std::string ParameterString;  // row selector; the row's BT1 when empty
  std::string EmbeddedFile;
};

SessionValues& sessionValues();

}  // namespace belvora::session
