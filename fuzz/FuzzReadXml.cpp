// The reader entry on arbitrary bytes: the file is read as an XML invoice
// (or, starting with "%PDF-", as a hybrid PDF), its syntax detected and its
// fields read into a view. No output folder, so no attachment is written;
// no database. Whatever the bytes, the read must end with true or false.
#include <cstddef>
#include <cstdint>
#include <fstream>

#include "FuzzSupport.h"
#include "reader/ReadXML.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  belvora::fuzz::scratchDir();
  belvora::fuzz::installSilentInteraction();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string file = belvora::fuzz::scratchDir() + "/input.xml";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  belvora::reader::ReaderSettings settings;
  settings.invoiceFile = file;
  belvora::reader::ViewModel view;
  belvora::reader::ReadXML(settings, view);
  return 0;
}
