#include "reader/ReaderSettings.h"

namespace belvora::reader {

ReaderSettings& processReaderSettings() {
  static ReaderSettings settings;
  return settings;
}

}  // namespace belvora::reader
