// "SUPPORT": the library's support request for the address in supportmail.
#include <belvora/clsXRechnung.h>

#include <iostream>

#include "Actions.h"
#include "Frontend.h"

namespace start {

int SupportWithoutDisplay(const std::string& address) {
  std::cerr << "[Support] Die Support-Anfrage braucht eine grafische Oberfläche (DISPLAY oder "
               "WAYLAND_DISPLAY). Support-Adresse: "
            << address << '\n'
            << std::flush;
  return kExitFailed;
}

int ActionSupport(const Parameters& params) {
  const std::string address = GetParameter(&params, "supportmail");
  // Without an address nothing is shown.
  if (address.empty()) return kExitSuccess;
  if (!UsesWindows()) return SupportWithoutDisplay(address);
  belvora::clsXRechnung support;
  support.ShowSupport(address);
  return kExitSuccess;
}

}  // namespace start
