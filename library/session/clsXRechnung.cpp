// The public surface of the creation session. Every public method traps its
// errors: the user sees the message box, the caller a false result.
#include "belvora/clsXRechnung.h"

#include <exception>
#include <stdexcept>

#include "model/RequiredFields.h"
#include "platform/settings/SettingsStore.h"
#include "platform/sys/Files.h"
#include "platform/ui/Interaction.h"
#include "reader/StoreDocument.h"
#include "session/DialogWindows.h"
#include "session/ErrorReport.h"
#include "session/ExportFile.h"
#include "session/Messages.h"
#include "session/SupportRequest.h"
#include "session/clsXRechnung_Impl.h"
#include "writer/SourceRow.h"

namespace belvora {
namespace {

constexpr const char* kDocTypeCreated = "AU";

// Runs a void method body; an error becomes the catch-all message.
template <typename F>
void trapped(F&& body) noexcept {
  try {
    body();
  } catch (...) {
    try {
      session::ShowErrorInDll(std::current_exception());
    } catch (...) {
    }
  }
}

// The values the settings store records and the parameter dialog shows.
void TakeOverSettings(settings::SettingValues& s, const std::string& connection,
                      const std::string& dataObject, const std::string& exportPath,
                      bool queryParameter, const std::string& embeddedFile,
                      const std::string& tableName, bool importQuestion) {
  s.connection = connection;
  s.dataObject = dataObject;
  s.exportPath = exportPath;
  s.queryParameter = settings::FlagText(queryParameter);
  s.embeddedFile = embeddedFile;
  s.tableName = tableName;
  s.importQuestion = importQuestion;
}

}  // namespace

bool clsXRechnung::Impl::createXRechnung() {
  // The run takes the cursor: a second run on the same session finds none.
  std::unique_ptr<db::Cursor> rows = std::move(lines);
  if (!rows) throw std::logic_error(session::text::kNoSource);

  std::string problems;
  if (!model::CheckRequiredFields(rows.get(), hasRow, problems, model::RequiredColumns())) {
    rows.reset();
    closeSource();
    std::string message = std::string(session::text::kRequiredMissing) + session::text::kLineBreak +
                          problems + session::text::kLineBreak + session::text::kCheckSource;
    ui::current().message(session::text::kTitleNote, message, ui::Icon::Exclamation);
    return false;
  }

  writer::ReadSourceRow(*rows, values, session.ParameterString);

  writer = std::make_unique<writer::InvoiceWriter>(values, rows.get(), session.EmbeddedFile);
  writer->writeHeader();
  writer->writeLineItems();
  writer->writeTradeParty(true);
  writer->writeTradeParty(false);
  writer->writeSettlement();
  writer->writeTaxBreakdown();
  writer->writeBillingPeriod();
  writer->writeAllowances();
  writer->writePaymentTerms();
  writer->writeSummation();

  std::string exportPath;
  session::ExportResult result =
      session::WriteExportFile(session.ExportFile, writer->text(), exportPath);
  // The document and the source rows are no longer needed; free them before
  // the file is read back for storing.
  writer.reset();
  rows.reset();
  if (result == session::ExportResult::Failed) {
    closeSource();
    return false;
  }

  // A kept earlier file is not this invoice: it is not stored.
  if (result == session::ExportResult::Written && !session.tblName.empty()) {
    bool store = true;
    if (session.bolFrageImport)
      store = ui::current().question(session::text::kTitleNote, session::text::kImportQuestion,
                                     ui::Icon::Question, false);
    if (store)
      reader::StoreDocument(*connection, session.tblName, exportPath, kDocTypeCreated,
                            session.ParameterString);
  }
  closeSource();
  return true;
}

clsXRechnung::clsXRechnung() : impl_(std::make_unique<Impl>()) {}

clsXRechnung::~clsXRechnung() {
  if (impl_) impl_->closeSource();
}

void clsXRechnung::ShowSupport(const std::string& Email) {
  trapped([&] {
    // Without windows the user is told that the request needs a display.
    if (const auto* windows = session::ActiveDialogWindows())
      windows->support(Email);
    else
      session::ShowSupportWithoutDisplay(Email);
  });
}

void clsXRechnung::ShowAbout() {
  trapped([] {
    if (const auto* windows = session::ActiveDialogWindows())
      windows->about();
    else
      session::ShowAboutOnConsole();
  });
}

void clsXRechnung::ShowParameter(const std::string& DBConnect, const std::string& Datasource,
                                 const std::string& Export, bool Parameter,
                                 const std::string& FileName, const std::string& Tablename,
                                 bool bolFrage) {
  trapped([&] {
    try {
      settings::SaveAllSettings(impl_->recorded);
    } catch (const std::system_error&) {
      // A record only; see closeSource.
    }
    // What the parameter dialog takes over when it opens.
    TakeOverSettings(impl_->recorded, DBConnect, Datasource, Export, Parameter, FileName, Tablename,
                     bolFrage);
    if (const auto* windows = session::ActiveDialogWindows())
      windows->parameter(impl_->recorded);
    else
      session::ShowParameterOnConsole(impl_->recorded);
  });
}

bool clsXRechnung::CreateXRechnung() {
  try {
    return impl_->createXRechnung();
  } catch (...) {
    impl_->writer.reset();
    try {
      session::ShowErrorInDll(std::current_exception());
    } catch (...) {
    }
    return false;
  }
}

void clsXRechnung::SpecifiedTradeAllowanceChange() {
  trapped([&] {
    if (impl_->writer) impl_->writer->writeAllowances();
  });
}

bool clsXRechnung::DLL_Init_DB(const std::string& ExportFile, const std::string& Connectionstring,
                               const std::string& SQL, const std::string& ParameterString,
                               bool Parameter, const std::string& EmbeddedFile,
                               const std::string& tblName, bool bolFrageImport) {
  try {
    // A session left open by an earlier call of this object is closed
    // first, so a retry starts cleanly.
    impl_->closeSource();

    impl_->session = session::SessionValues{
        ExportFile, Connectionstring, SQL, ParameterString, EmbeddedFile, tblName, bolFrageImport};

    TakeOverSettings(impl_->recorded, Connectionstring, SQL, ExportFile, Parameter, EmbeddedFile,
                     tblName, bolFrageImport);
    try {
      settings::SaveAllSettings(impl_->recorded);
    } catch (const std::system_error&) {
      // A record only; see closeSource.
    }

    impl_->sourceReady = impl_->openSource();
    return impl_->sourceReady;
  } catch (...) {
    try {
      ui::current().message(
          session::text::kTitleNote,
          session::ConnectFailedText(session::DescribeError(std::current_exception()).description),
          ui::Icon::Information);
    } catch (...) {
    }
    return false;
  }
}

void clsXRechnung::Ecosio() {
  trapped([] {
    if (!sys::openExternal(session::text::kValidationPage))
      throw std::runtime_error(std::string("Cannot open the web page ") +
                               session::text::kValidationPage + " (xdg-open is not available).");
  });
}

void clsXRechnung::BillingSpecifiedPeriod() {
  trapped([&] {
    if (impl_->writer) impl_->writer->writeBillingPeriod();
  });
}

}  // namespace belvora
