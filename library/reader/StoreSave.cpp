#include "reader/StoreSave.h"

#include <exception>
#include <memory>
#include <string>

#include "platform/db/Connection.h"
#include "platform/ui/Interaction.h"
#include "reader/StoreDocument.h"
#include "reader/StoreInvoice.h"
#include "text/Texte.h"

namespace belvora::reader {
namespace {

constexpr const char* kDocType = "IN";
constexpr const char* kCrLf = "\r\n";

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
  using namespace savetext;
  const std::string& language = s.language;
  std::unique_ptr<db::Connection> connection;
  try {
    connection = db::open(s.connection);
  } catch (const std::exception& e) {
    ui::current().message(text::kDefaultTitle, std::string(kErrorPrefix) + e.what(),
                          ui::Icon::None);
    return SaveResult::Failed;
  }
  if (s.ask &&
      !ui::current().question(kTitle, std::string(caption(language, kQuestionGB, kQuestionDE)),
                              ui::Icon::Question, true)) {
    return SaveResult::Declined;
  }
  try {
    storeAll(view, *connection, s);
  } catch (const std::exception& e) {
    ui::current().message(
        kTitle, std::string(caption(language, kNotSavedGB, kNotSavedDE)) + kCrLf + e.what(),
        ui::Icon::Exclamation);
    return SaveResult::Failed;
  }
  if (s.ask) {
    std::string text = std::string(caption(language, kWithFileGB, kWithFileDE)) + s.invoiceFile +
                       std::string(caption(language, kSavedGB, kSavedDE)) + kCrLf;
    if (!view.lvAbzuege.rows.empty())
      text += caption(language, kDeductionsSavedGB, kDeductionsSavedDE);
    try {
      ui::current().message(kTitle, text, ui::Icon::Information);
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
      ui::current().message(text::kDefaultTitle, std::string(savetext::kErrorPrefix) + e.what(),
                            ui::Icon::None);
    } catch (...) {
    }
    return SaveResult::Failed;
  }
}

}  // namespace belvora::reader
