// "ERSTELLEN": one invoice from the caller's database.
#include <belvora/clsXRechnung.h>

#include "Actions.h"

namespace start {

int ActionErstellen(const Parameters& params) {
  belvora::clsXRechnung invoice;
  ShowLabel("Ihre XRechnung wird erzeugt.");
  bool useParameter = ParseFlag(GetParameter(&params, "usesqlparam"), false);
  bool ask = ParseFlag(GetParameter(&params, "askimport"), false);
  if (!invoice.DLL_Init_DB(GetParameter(&params, "outputxml"), GetParameter(&params, "connect"),
                           GetParameter(&params, "sql"), GetParameter(&params, "sqlparam"),
                           useParameter, GetParameter(&params, "embedded"),
                           GetParameter(&params, "table"), ask)) {
    ShowLabel("Verbindung zur Datenbank nicht möglich.");
    WaitForClose();
    return kExitNoDatabase;
  }
  if (!invoice.CreateXRechnung()) {
    ShowLabel("Erstellung der XRechnung nicht möglich.");
    WaitForClose();
    return kExitFailed;
  }
  return kExitSuccess;
}

}  // namespace start
