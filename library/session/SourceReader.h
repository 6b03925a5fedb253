#pragma once

// Reading the creation source into the invoice model. Every value is
// converted and checked here, before anything is written: a value that
// cannot be used becomes a BadValue, and the creation run shows them all in
// one message and writes nothing.
//
// Rows without a RowKind (or a blank or "LINE" one) are invoice lines; the
// first of them also holds the document-level columns. The invoice is that
// of the first row: rows whose BT1 names another one are no part of it. Rows with a RowKind
// add one entry to a repeated group (model/Catalogue.h); those of a line's
// groups name their line by BT126.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "model/Invoice.h"
#include "platform/db/Value.h"

namespace belvora::session {

// A value of the source that cannot be used.
struct BadValue {
  std::string column;   // "BT131", "RowKind", "EmbeddedFile"
  std::size_t row = 0;  // 1-based row of the source; 0 when the value is no row's
  std::string value;    // the value as the source holds it, shortened for the message
  std::string reason;   // "is not a number", ...
};

// The one message for bad values: a title line, one line per value (at most
// kMaxListed, then how many more), the closing line.
std::string BadValuesText(const std::vector<BadValue>& bad);
inline constexpr std::size_t kMaxListed = 20;

class SourceReader {
 public:
  // columns: the names of the source's columns, in row order.
  explicit SourceReader(const std::vector<std::string>& columns);
  ~SourceReader();
  SourceReader(const SourceReader&) = delete;
  SourceReader& operator=(const SourceReader&) = delete;

  // True when the row is a line of the invoice; false for a group row, a row
  // of another invoice and a RowKind that names no kind (add() reports that).
  bool isLine(const std::vector<db::Value>& row) const;
  // Converts one row; rowNumber is its 1-based position in the source.
  void add(const std::vector<db::Value>& row, std::size_t rowNumber);
  // After the last row: joins the line groups to their lines and takes over
  // the exemption reasons. The invoice is complete but for its totals.
  model::Invoice finish();

  std::size_t lineCount() const;
  const std::vector<BadValue>& badValues() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Reads the ";"-separated list of files to embed into attachments (file
// name as identifier and description, MIME code from the file ending, the
// bytes where the ending has a MIME code). A missing or unreadable file is a
// BadValue naming it.
void ReadEmbeddedFiles(const std::string& list, std::vector<model::Attachment>& attachments,
                       std::vector<BadValue>& bad);

// The MIME code of a file ending (".pdf", ".png", ".jpg", ".jpeg", ".csv",
// ".xls", ".xlsx", ".ods", ".xml", compared without regard to case); "" when
// the ending has none.
std::string MimeCodeOf(const std::string& path);

}  // namespace belvora::session
