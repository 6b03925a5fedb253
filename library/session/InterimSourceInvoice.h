#pragma once

#include <string>

#include "model/Invoice.h"

namespace belvora::db {
class Cursor;
}

namespace belvora::session {

// The invoice of the described source columns (one row per line, the
// document columns repeated), read from the cursor's current row to its end,
// with the ";"-separated attachment files read into it. Texts are taken as
// the source holds them (trimmed), numbers as exact decimals. A value that
// does not convert throws std::runtime_error naming column, row and value;
// an attachment that exists but cannot be read throws as well.
//
// Kept until the catalogue reads every business term into the model itself.
model::Invoice InterimSourceInvoice(db::Cursor& rows, const std::string& embeddedFiles);

}  // namespace belvora::session
