#pragma once

// The creation source as tests build it: the tables of sql/ generated from
// the column catalogue, an invoice of the model written into source rows
// (the inverse of reading them), and an invoice's business terms as lines
// for comparing two invoices term by term.

#include <string>
#include <vector>

#include "model/Invoice.h"
#include "platform/db/Connection.h"

namespace belvora::test {

enum class Dialect { Sqlite, Postgres };

// The text of sql/<dialect>/01_xrechnung_tables.sql: the source table
// VorlageXRechnung with RowNo, RowKind and one column per catalogue column,
// the view xRechnung and the documents table.
std::string TablesScript(Dialect dialect);

// The text of sql/postgresql/02_xrechnung_sample.sql: the SQLite sample
// script with the header lines of PostgreSQL (the statements are the same).
std::string PostgresSampleScript(const std::string& sqliteSample);

// The column table of README.md (between its "columns" markers), one row
// per catalogue column: column, term, meaning, type, rows read from, CII
// place, default.
std::string ColumnReferenceTable();

// The statement creating a source table of the given name (SQLite), with the
// columns of the template table.
std::string SourceTableStatement(const std::string& table);

// Writes the invoice as rows of `table` (created when missing) for the
// selector invoice.number: the first line row holds the document-level
// columns; every entry of a repeated group (notes, preceding invoices,
// seller identifiers, payment means (one row per account), document and line allowances and
// charges, classifications, item attributes, attachments) is a row of its
// RowKind; exemption reasons go to a row of their VAT category. Computed
// terms (totals, VAT breakdown) are not written, stated totals are; with
// totalsAsStated the totals BT-109, -110, -112 and -115 of invoice.totals
// (as a read document holds them) are written as the stated ones, so that
// the creation run checks them against the totals it computes.
void WriteSourceRows(db::Connection& c, const std::string& table, const model::Invoice& invoice,
                     bool totalsAsStated = false);

// Every term the invoice holds as "BG-25[2] BT-131: 100", in model order;
// absent terms give no line. The computed VAT breakdown and totals only
// when `computed` is set.
std::vector<std::string> Terms(const model::Invoice& invoice, bool computed = false);

}  // namespace belvora::test
