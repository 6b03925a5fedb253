// The public surface of the creation session. Every public method runs in
// the entry trap: the user sees the message box, the caller a false result.
#include "belvora/clsXRechnung.h"

#include <exception>
#include <stdexcept>

#include "messages/Messages.h"
#include "model/InvoiceTotals.h"
#include "model/Rules.h"
#include "platform/settings/SettingsStore.h"
#include "platform/sys/Files.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Trap.h"
#include "reader/StoreDocument.h"
#include "session/CreationMessages.h"
#include "session/DialogWindows.h"
#include "session/ErrorReport.h"
#include "session/ExportFile.h"
#include "session/SupportRequest.h"
#include "session/clsXRechnung_Impl.h"

namespace belvora {
namespace {

namespace msg = messages;

constexpr const char* kDocTypeCreated = "AU";
// The public EN 16931 validation page opened by Ecosio.
constexpr const char* kValidationPage = "https://www.itb.ec.europa.eu/invoice/upload";

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
  if (!rows) throw std::logic_error(msg::creation::kNoSource);

  // Every value is read and checked before anything is written.
  if (!readSource(std::move(rows))) return false;
  if (session.ParameterString.empty()) session.ParameterString = invoice.number;
  model::ComputeTotals(invoice);
  const std::vector<model::Violation> violations = model::CheckInvoice(invoice);
  if (!violations.empty()) {
    closeSource();
    const bool german = session::GermanMessages();
    ui::current().message(session::ViolationsTitle(german),
                          session::ViolationsMessage(violations, german), ui::Icon::Exclamation);
    return false;
  }

  try {
    writer = std::make_unique<writer::InvoiceWriter>(invoice);
  } catch (const std::invalid_argument& e) {
    // A term the syntax has no place for: the caller's data, not a fault.
    closeSource();
    ui::current().message(msg::kTitleNote,
                          std::string(msg::creation::kNotExpressible) + msg::kLineBreak + e.what() +
                              msg::kLineBreak + msg::creation::kCheckSource.en,
                          ui::Icon::Exclamation);
    return false;
  }
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
  invoice = model::Invoice();
  if (result == session::ExportResult::Failed) {
    closeSource();
    return false;
  }

  // A kept earlier file is not this invoice: it is not stored.
  if (result == session::ExportResult::Written && !session.tblName.empty()) {
    bool store = true;
    if (session.bolFrageImport)
      store = ui::current().question(msg::kTitleNote, msg::creation::kImportQuestion,
                                     ui::Icon::Question, false);
    // A failed store has been shown with its reason; the run has failed.
    if (store && !reader::StoreDocument(*connection, session.tblName, exportPath, kDocTypeCreated,
                                        session.ParameterString)) {
      closeSource();
      return false;
    }
  }
  closeSource();
  return true;
}

clsXRechnung::clsXRechnung() : impl_(std::make_unique<Impl>()) {}

clsXRechnung::~clsXRechnung() {
  if (impl_) impl_->closeSource();
}

void clsXRechnung::ShowSupport(const std::string& Email) {
  ui::Trap(session::ShowErrorInDll, [&] {
    // Without windows the user is told that the request needs a display.
    if (const auto* windows = session::ActiveDialogWindows())
      windows->support(Email);
    else
      session::ShowSupportWithoutDisplay(Email);
  });
}

void clsXRechnung::ShowAbout() {
  ui::Trap(session::ShowErrorInDll, [] {
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
  ui::Trap(session::ShowErrorInDll, [&] {
    // The values of the moment are recorded before the dialog takes its
    // own; an object that never held any has nothing to record and must not
    // clear what an earlier session left.
    if (impl_->hasRecord) {
      try {
        settings::SaveAllSettings(impl_->recorded);
      } catch (const std::system_error&) {
        // A record only; see closeSource.
      }
    }
    impl_->hasRecord = true;
    TakeOverSettings(impl_->recorded, DBConnect, Datasource, Export, Parameter, FileName, Tablename,
                     bolFrage);
    if (const auto* windows = session::ActiveDialogWindows())
      windows->parameter(impl_->recorded);
    else
      session::ShowParameterOnConsole(impl_->recorded);
  });
}

bool clsXRechnung::CreateXRechnung() {
  // A failed run frees its document and model before the message is shown.
  auto report = [this](std::exception_ptr error) {
    impl_->writer.reset();
    impl_->invoice = model::Invoice();
    session::ShowErrorInDll(error);
  };
  return ui::Trap(report, [this] { return impl_->createXRechnung(); });
}

void clsXRechnung::SpecifiedTradeAllowanceChange() {
  ui::Trap(session::ShowErrorInDll, [&] {
    if (impl_->writer) impl_->writer->writeAllowances();
  });
}

bool clsXRechnung::DLL_Init_DB(const std::string& ExportFile, const std::string& Connectionstring,
                               const std::string& SQL, const std::string& ParameterString,
                               bool Parameter, const std::string& EmbeddedFile,
                               const std::string& tblName, bool bolFrageImport) {
  return ui::Trap(session::ShowConnectFailed, [&] {
    // A session left open by an earlier call of this object is closed
    // first, so a retry starts cleanly.
    impl_->closeSource();

    impl_->session = session::SessionValues{
        ExportFile, Connectionstring, SQL, ParameterString, EmbeddedFile, tblName, bolFrageImport};

    impl_->hasRecord = true;
    TakeOverSettings(impl_->recorded, Connectionstring, SQL, ExportFile, Parameter, EmbeddedFile,
                     tblName, bolFrageImport);
    try {
      settings::SaveAllSettings(impl_->recorded);
    } catch (const std::system_error&) {
      // A record only; see closeSource.
    }

    impl_->sourceReady = impl_->openSource();
    return impl_->sourceReady;
  });
}

void clsXRechnung::Ecosio() {
  ui::Trap(session::ShowErrorInDll, [] {
    if (!sys::openExternal(kValidationPage))
      throw std::runtime_error(msg::Fill(msg::creation::kCannotOpenPage, {kValidationPage}));
  });
}

void clsXRechnung::BillingSpecifiedPeriod() {
  ui::Trap(session::ShowErrorInDll, [&] {
    if (impl_->writer) impl_->writer->writeBillingPeriod();
  });
}

}  // namespace belvora
