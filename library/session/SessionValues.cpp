#include "session/SessionValues.h"

namespace belvora::session {

SessionValues& sessionValues() {
  static SessionValues values;
  return values;
}

}  // namespace belvora::session
