#pragma once

#include <memory>

#include "belvora/clsXRechnung.h"
#include "model/Invoice.h"
#include "platform/db/Connection.h"
#include "platform/settings/SettingsStore.h"
#include "session/SessionValues.h"
#include "writer/InvoiceWriter.h"

namespace belvora {

// Per-object state of the creation session. The source query runs once; its
// forward-only cursor is read into the invoice model, which the totals, the
// rules and the writer work on.
struct clsXRechnung::Impl {
  session::SessionValues session;
  settings::SettingValues recorded;  // what the settings store records of this object
  bool hasRecord = false;            // recorded holds a session's or the dialog's values
  std::unique_ptr<db::Connection> connection;
  std::unique_ptr<db::Cursor> lines;  // on its first row when hasRow
  bool hasRow = false;
  bool sourceReady = false;
  model::Invoice invoice;                         // of the current creation run
  std::unique_ptr<writer::InvoiceWriter> writer;  // alive during a creation run only

  // Opens the connection and runs the source query. Connection and query
  // errors show the connection message and give false.
  bool openSource();
  // Closes cursor and connection and brings the settings store up to date.
  void closeSource() noexcept;
  // Reads every row of the source into `invoice`, checking the required
  // columns on the first line row and every value; false after the message.
  bool readSource(std::unique_ptr<db::Cursor> rows);
  // The creation run; errors other than the described ones throw.
  bool createXRechnung();
};

}  // namespace belvora
