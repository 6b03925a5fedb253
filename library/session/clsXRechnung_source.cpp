// Opening and closing the data source of a creation session.
#include <chrono>
#include <optional>
#include <stdexcept>

#include "messages/Messages.h"
#include "model/RequiredFields.h"
#include "platform/settings/SettingsStore.h"
#include "platform/sys/Ascii.h"
#include "platform/ui/Interaction.h"
#include "session/CreationMessages.h"
#include "session/ErrorReport.h"
#include "session/SourceReader.h"
#include "session/clsXRechnung_Impl.h"

namespace belvora {
namespace {

namespace msg = messages;

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
  if (procedure.empty()) throw db::Error(msg::Fill(msg::creation::kNoProcedure, {session.SQL}));
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
    if (!hasRow)
      ui::current().message(msg::kTitleNote,
                            session::NoRowsText(session.ParameterString) + msg::kLineBreak +
                                msg::creation::kCheckSource.en,
                            ui::Icon::Exclamation);
    return hasRow;
  } catch (const std::exception& e) {
    lines.reset();
    connection.reset();
    ui::current().message(msg::kTitleNote, session::ConnectFailedText(e.what()),
                          ui::Icon::Information);
    return false;
  }
}

bool clsXRechnung::Impl::readSource(std::unique_ptr<db::Cursor> rows) {
  auto refuse = [&](const std::string& problems) {
    rows.reset();
    closeSource();
    ui::current().message(msg::kTitleNote,
                          std::string(msg::creation::kRequiredMissing) + msg::kLineBreak +
                              problems + msg::kLineBreak + msg::creation::kCheckSource.en,
                          ui::Icon::Exclamation);
    return false;
  };
  std::string problems;
  if (!hasRow) {
    model::CheckRequiredFields(rows.get(), false, problems, model::RequiredColumns());
    return refuse(problems);
  }
  // Group rows may come first: the required columns are those of the first
  // line row, which also holds the document.
  session::SourceReader reader(rows->columns());
  bool checked = false;
  std::size_t number = 0;
  do {
    ++number;
    if (!checked && reader.isLine(rows->row())) {
      checked = true;
      if (!model::CheckRequiredFields(rows.get(), true, problems, model::RequiredColumns(),
                                      model::NullableRequiredColumns()))
        return refuse(problems);
    }
    reader.add(rows->row(), number);
  } while (rows->next());
  if (!checked) return refuse(msg::creation::kNoLineRow);
  rows.reset();

  invoice = reader.finish();
  std::vector<session::BadValue> bad = reader.badValues();
  session::ReadEmbeddedFiles(session.EmbeddedFile, invoice.attachments, bad);
  if (bad.empty()) return true;
  invoice = model::Invoice();
  closeSource();
  ui::current().message(msg::kTitleNote, session::BadValuesText(bad), ui::Icon::Exclamation);
  return false;
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
