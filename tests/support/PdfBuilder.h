#pragma once

// qpdf 11: use std::shared_ptr, without the PointerHolder transition warning.
#ifndef POINTERHOLDER_TRANSITION
#define POINTERHOLDER_TRANSITION 4
#endif
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"

namespace belvora::test {

// Flate-compressed head + `fill` bytes of `filler` + tail, produced in
// pieces: a gigabyte of zeros compresses to about a megabyte (a
// decompression bomb) without ever being held in memory.
inline std::string deflateFilled(const std::string& head, char filler, std::size_t fill,
                                 const std::string& tail = {}) {
  Pl_Buffer buffer("compressed");
  Pl_Flate flate("deflate", &buffer, Pl_Flate::a_deflate);
  auto put = [&flate](const std::string& s) {
    flate.write(reinterpret_cast<const unsigned char*>(s.data()), s.size());
  };
  put(head);
  const std::string block(std::size_t{1} << 20, filler);
  for (std::size_t left = fill; left > 0;) {
    const std::size_t n = std::min(left, block.size());
    flate.write(reinterpret_cast<const unsigned char*>(block.data()), n);
    left -= n;
  }
  put(tail);
  flate.finish();
  auto b = buffer.getBufferSharedPointer();
  return std::string(reinterpret_cast<const char*>(b->getBuffer()), b->getSize());
}

// Builds PDFs with embedded files in shapes that real producers use (and
// some they should not): flat or nested name trees, unsorted keys, files
// reachable only through /AF.
class PdfBuilder {
 public:
  PdfBuilder() {
    pdf_.emptyPDF();
    pdf_.setSuppressWarnings(true);
  }

  // A file specification whose embedded stream holds data (Flate-compressed on write).
  QPDFObjectHandle fileSpec(const std::string& name, const std::string& data) {
    QPDFObjectHandle stream = pdf_.newStream(data);
    stream.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/EmbeddedFile"));
    QPDFObjectHandle ef = QPDFObjectHandle::newDictionary();
    ef.replaceKey("/F", stream);
    ef.replaceKey("/UF", stream);
    QPDFObjectHandle fileSpec = QPDFObjectHandle::newDictionary();
    fileSpec.replaceKey("/Type", QPDFObjectHandle::newName("/Filespec"));
    fileSpec.replaceKey("/F", QPDFObjectHandle::newString(name));
    fileSpec.replaceKey("/UF", QPDFObjectHandle::newUnicodeString(name));
    fileSpec.replaceKey("/EF", ef);
    return pdf_.makeIndirectObject(fileSpec);
  }

  // A file specification whose stream holds already Flate-compressed bytes,
  // written as they are.
  QPDFObjectHandle compressedFileSpec(const std::string& name, const std::string& compressed) {
    QPDFObjectHandle entry = fileSpec(name, "");
    QPDFObjectHandle stream = entry.getKey("/EF").getKey("/F");
    stream.replaceStreamData(compressed, QPDFObjectHandle::newName("/FlateDecode"),
                             QPDFObjectHandle::newNull());
    return entry;
  }

  // A name tree leaf holding the pairs in the order given (sorted or not).
  QPDFObjectHandle leaf(const std::vector<std::pair<std::string, QPDFObjectHandle>>& pairs) {
    QPDFObjectHandle names = QPDFObjectHandle::newArray();
    for (const auto& [key, fileSpec] : pairs) {
      names.appendItem(QPDFObjectHandle::newString(key));
      names.appendItem(fileSpec);
    }
    QPDFObjectHandle node = QPDFObjectHandle::newDictionary();
    node.replaceKey("/Names", names);
    return pdf_.makeIndirectObject(node);
  }

  QPDFObjectHandle node(const std::vector<QPDFObjectHandle>& kids) {
    QPDFObjectHandle node = QPDFObjectHandle::newDictionary();
    node.replaceKey("/Kids", QPDFObjectHandle::newArray(kids));
    return pdf_.makeIndirectObject(node);
  }

  void setEmbeddedFiles(QPDFObjectHandle treeRoot) {
    QPDFObjectHandle names = QPDFObjectHandle::newDictionary();
    names.replaceKey("/EmbeddedFiles", treeRoot);
    pdf_.getRoot().replaceKey("/Names", names);
  }

  void setAssociatedFiles(const std::vector<QPDFObjectHandle>& specs) {
    pdf_.getRoot().replaceKey("/AF", QPDFObjectHandle::newArray(specs));
  }

  std::string bytes() {
    QPDFWriter w(pdf_);
    w.setOutputMemory();
    w.setCompressStreams(true);
    // Compressed streams are copied, never decoded: bombs stay small.
    w.setDecodeLevel(qpdf_dl_none);
    w.write();
    auto buffer = w.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
  }

 private:
  QPDF pdf_;
};

}  // namespace belvora::test
