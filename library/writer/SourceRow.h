#pragma once

#include <string>

#include "model/SourceValues.h"

namespace belvora::db {
class Cursor;
}

namespace belvora::writer {

// Reads the document-level columns of the current row into `values`, in
// catalogue order: trimmed, defaulted, cleaned for XML where the catalogue
// says so. A column that cannot be read (missing, a NULL BT10, a date or total
// that does not convert) keeps its previous value and the read goes on; after
// the last column one "Connection failed" message names the last failure.
// An empty parameterString becomes the row's BT1. Returns true when every
// column could be read.
bool ReadSourceRow(const db::Cursor& rows, model::SourceValues& values,
                   std::string& parameterString);

}  // namespace belvora::writer
