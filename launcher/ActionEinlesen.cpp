// "EINLESEN": reads one incoming invoice (XML or hybrid PDF), shows it and
// stores it in the caller's tables.
#include <belvora/clsXConverter.h>

#include "Actions.h"

namespace start {

int ActionEinlesen(const Parameters& params) {
  const std::string connect = GetParameter(&params, "connect");
  const std::string input = GetParameter(&params, "inputxml");
  if (connect.empty() || input.empty()) return ShowUsage();

  ShowLabel("Ihre XRechnung wird eingelesen.");
  const std::string folder = GetParameter(&params, "outputfolder");
  const std::string table = GetParameter(&params, "table");
  const std::string language = GetParameter(&params, "language", "DE");
  // A missing askimport asks; an unrecognised one does not.
  const bool ask = ParseFlag(GetParameter(&params, "askimport", "TRUE"), false);

  belvora::clsXConverter converter;
  if (!converter.XConverter(input, folder, connect, table, language, ask)) {
    ShowNote("XML-Datei kann nicht eingelesen werden");
    return kExitFailed;
  }
  return kExitSuccess;
}

}  // namespace start
