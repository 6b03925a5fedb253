#include "reader/StoreSave.h"

#include <exception>
#include <memory>
#include <string>

#include "messages/Messages.h"
#include "platform/db/Connection.h"
#include "platform/ui/Interaction.h"
#include "reader/StoreDocument.h"
#include "reader/StoreInvoice.h"

namespace belvora::reader {
namespace {

namespace msg = ::belvora::messages;
namespace rtext = ::belvora::messages::reader;

constexpr const char* kDocType = "IN";

std::string resolve(db::Connection& c, const std::string& table) {
  try {
    return c.resolveTable(table);
  } catch (const std::exception& e) {
    throw StoreError(table, e.what());
  }
}

// Header, lines, file and allowances as one transaction: written whole or
// not at all. The names are resolved first; the transaction holds its
// locks only while writing.
void storeAll(const ViewModel& view, db::Connection& c, const ReaderSettings& s) {
  const bool deductions = !view.lvAbzuege.rows.empty();
  const std::string invoice = resolve(c, kInvoiceTable);
  const std::string items = resolve(c, kItemsTable);
  const std::string documents = resolve(c, s.documentsTable);
  // Without allowance rows the table is not touched, so it need not exist.
  const std::string deduction = deductions ? resolve(c, kDeductionTable) : std::string();

  db::Transaction transaction(c);
  StoreInvoice(view, c, invoice, s.language);
  StoreItems(view, c, items, s.language);
  try {
    // The document row carries the number of the invoice shown.
    AddDocument(c, documents, s.invoiceFile, kDocType, view.txtRechnungdaten[InvoiceNumber]);
  } catch (const db::Error& e) {
    throw StoreError(s.documentsTable, e.what());
  }
  if (deductions) StoreDeductions(view, c, deduction);
  transaction.commit();
}

SaveResult save(const ViewModel& view, const ReaderSettings& s) {
  const std::string& language = s.language;
  std::unique_ptr<db::Connection> connection;
  try {
    connection = db::open(s.connection);
  } catch (const std::exception& e) {
    ui::current().message(msg::kDefaultTitle, std::string(rtext::kErrorPrefix) + e.what(),
                          ui::Icon::None);
    return SaveResult::Failed;
  }
  if (s.ask && !ui::current().question(msg::kTitleNote, msg::Choose(rtext::kSaveQuestion, language),
                                       ui::Icon::Question, true)) {
    return SaveResult::Declined;
  }
  try {
    storeAll(view, *connection, s);
  } catch (const std::exception& e) {
    ui::current().message(
        msg::kTitleNote,
        std::string(msg::Choose(rtext::kNotSaved, language)) + msg::kLineBreak + e.what(),
        ui::Icon::Exclamation);
    return SaveResult::Failed;
  }
  if (s.ask) {
    std::string text = msg::Choose(rtext::kSavedWithFile, language) + s.invoiceFile +
                       msg::Choose(rtext::kSaved, language) + msg::kLineBreak;
    if (!view.lvAbzuege.rows.empty()) text += msg::Choose(rtext::kDeductionsSaved, language);
    try {
      ui::current().message(msg::kTitleNote, text, ui::Icon::Information);
    } catch (...) {
      // Committed is committed, whether or not the note could be shown.
    }
  }
  return SaveResult::Saved;
}

}  // namespace

SaveResult SaveInvoice(const ViewModel& view, const ReaderSettings& settings) {
  try {
    return save(view, settings);
  } catch (const std::exception& e) {
    // Only the interaction itself can fail here; still a failure, still told.
    try {
      ui::current().message(msg::kDefaultTitle, std::string(rtext::kErrorPrefix) + e.what(),
                            ui::Icon::None);
    } catch (...) {
    }
    return SaveResult::Failed;
  }
}

}  // namespace belvora::reader
