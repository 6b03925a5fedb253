// Hybrid PDF extraction on arbitrary bytes: the structure walk (name tree,
// associated files, stream decoding with a size limit), the choice of the
// invoice, the byte scan fallback and the content check.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

#include "FuzzSupport.h"
#include "platform/pdf/EmbeddedFiles.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  belvora::fuzz::scratchDir();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    // A small limit keeps compression bombs from eating the memory budget.
    belvora::pdf::findInvoiceXml(bytes, 4u << 20);
  } catch (const std::exception&) {
    // Not a readable PDF: an expected outcome.
  }
  belvora::pdf::scanInvoiceXml(bytes);
  belvora::pdf::looksLikeInvoiceXml(bytes);
  return 0;
}
