// Opening and closing the data source of a creation session.
#include <chrono>
#include <optional>
#include <stdexcept>

#include "platform/settings/SettingsStore.h"
#include "platform/sys/Ascii.h"
#include "platform/ui/Interaction.h"
#include "session/ErrorReport.h"
#include "session/Messages.h"
#include "session/clsXRechnung_Impl.h"

namespace belvora {
namespace {

constexpr std::chrono::seconds kConnectionTimeout{10};

bool isSelect(const std::string& sql) {
  if (sql.size() < 6) return false;
  static constexpr char kSelect[] = "SELECT";
  for (size_t i = 0; i < 6; ++i)
    if ((sql[i] & ~0x20) != kSelect[i]) return false;
  return true;
}

std::unique_ptr<db::Cursor> runSourceQuery(db::Connection& connection,
                                           const session::SessionValues& session) {
  if (isSelect(session.SQL)) {
    // The selector is bound, never pasted into the statement.
    if (session.ParameterString.empty()) return connection.query(session.SQL);
    return connection.query(session.SQL + " WHERE BT1=?", {db::Value(session.ParameterString)});
  }
  auto blank = session.SQL.find(' ');
  std::string procedure =
      blank == std::string::npos ? "" : std::string(ascii::TrimBlanks(session.SQL.substr(blank)));
  if (procedure.empty())
    throw db::Error("The source query names no stored procedure (expected \"exec <name>\"): \"" +
                    session.SQL + "\"");
  std::optional<std::string> selector;
  if (!session.ParameterString.empty()) selector = session.ParameterString;
  return connection.callProcedure(procedure, selector);
}

}  // namespace

bool clsXRechnung::Impl::openSource() {
  lines.reset();
  hasRow = false;
  try {
    connection = db::open(session.Connectionstring, kConnectionTimeout);
    lines = runSourceQuery(*connection, session);
    hasRow = lines->next();
    return hasRow;
  } catch (const std::exception& e) {
    lines.reset();
    connection.reset();
    ui::current().message(session::text::kTitleNote, session::ConnectFailedText(e.what()),
                          ui::Icon::Information);
    return false;
  }
}

void clsXRechnung::Impl::closeSource() noexcept {
  bool wasOpen = connection != nullptr;
  writer.reset();
  lines.reset();
  connection.reset();
  hasRow = false;
  sourceReady = false;
  // Only a session that was open has something to bring up to date; an
  // object that never opened one must not overwrite the record.
  if (!wasOpen) return;
  try {
    settings::SaveAllSettings(recorded);
  } catch (...) {
    // The settings are a record of the last use; an unwritable
    // configuration folder must not turn a finished invoice into a failure.
  }
}

}  // namespace belvora
