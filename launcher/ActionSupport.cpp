// "SUPPORT": the library's support request, addressed to `supportmail`.
#include <belvora/clsXRechnung.h>

#include "Actions.h"
#include "Frontend.h"

namespace start {

int ActionSupport(const Parameters& params) {
  const std::string address = GetParameter(&params, "supportmail");
  if (address.empty()) return kExitSuccess;
  belvora::clsXRechnung support;
  support.ShowSupport(address);
  // Without windows the library can only say that the request needs a
  // display: the request was not made.
  return UsesWindows() ? kExitSuccess : kExitFailed;
}

}  // namespace start
