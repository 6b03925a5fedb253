#pragma once

#include <memory>

#include "belvora/clsXRechnung.h"
#include "model/SourceValues.h"
#include "platform/db/Connection.h"
#include "platform/settings/SettingsStore.h"
#include "session/SessionValues.h"
#include "writer/InvoiceWriter.h"

namespace belvora {

// Per-object state of the creation session. The source query runs once; its
// forward-only cursor serves the required-field check, the source row, the
// line items and (through what the line writer keeps) the tax breakdown.
struct clsXRechnung::Impl {
  session::SessionValues session;
  settings::SettingValues recorded;  // what the settings store records of this object
  std::unique_ptr<db::Connection> connection;
  std::unique_ptr<db::Cursor> lines;  // on its first row when hasRow
  bool hasRow = false;
  bool sourceReady = false;
  model::SourceValues values;
  std::unique_ptr<writer::InvoiceWriter> writer;  // alive during a creation run only

  // Opens the connection and runs the source query. Connection and query
  // errors show the connection message and give false.
  bool openSource();
  // Closes cursor and connection and brings the settings store up to date.
  void closeSource() noexcept;
  // The creation run; errors other than the described ones throw.
  bool createXRechnung();
};

}  // namespace belvora
