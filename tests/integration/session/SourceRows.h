#pragma once

// The creation source as tests build it: the scripts of sql/ generated from
// the column catalogue, an invoice of the model written into source rows
// (the inverse of reading them), and an invoice's terms as comparable lines.

#include <string>
#include <vector>

#include "model/Invoice.h"
#include "platform/db/Connection.h"

namespace belvora::test {

enum class Dialect { Sqlite, Postgres };

// sql/<dialect>/01_xrechnung_tables.sql: VorlageXRechnung (RowNo, RowKind,
// one column per catalogue column), the view xRechnung, tblDocuments.
std::string TablesScript(Dialect dialect);
// sql/postgresql/02_xrechnung_sample.sql: the SQLite sample, PostgreSQL's header.
std::string PostgresSampleScript(const std::string& sqliteSample);
// The column table of README.md (between its "columns" markers).
std::string ColumnReferenceTable();
// The statement creating a source table of that name (SQLite).
std::string SourceTableStatement(const std::string& table);

// Writes the invoice as rows of `table` (created when missing): line rows
// first, the first with the document's columns, then a row per entry of a
// repeated group (payment means: one per account); exemption reasons go to
// the first row of their VAT category. Computed terms are not written; with
// totalsAsStated the totals of a read document stand as the stated ones.
void WriteSourceRows(db::Connection& c, const std::string& table, const model::Invoice& invoice,
                     bool totalsAsStated = false);

// Every term the invoice holds as "BG-25[2] BT-131: 100"; absent terms give
// no line. The computed VAT breakdown and totals only when `computed` is set.
std::vector<std::string> Terms(const model::Invoice& invoice, bool computed = false);

}  // namespace belvora::test
