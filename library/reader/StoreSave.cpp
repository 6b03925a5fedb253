#include "reader/StoreSave.h"

#include <exception>
#include <memory>

#include "platform/db/Connection.h"
#include "platform/ui/Interaction.h"
#include "reader/StoreDocument.h"
#include "reader/StoreInvoice.h"
#include "text/Texte.h"

namespace belvora::reader {
namespace {

constexpr const char* kDocType = "IN";
constexpr const char* kCrLf = "\r\n";

// The document row carries the number of the invoice shown, never one of
// another read.
bool storeFile(const ViewModel& view, db::Connection& c, const ReaderSettings& s) {
  return StoreDocument(c, s.documentsTable, s.invoiceFile, kDocType,
                       view.txtRechnungdaten[InvoiceNumber]);
}

bool silentSave(const ViewModel& view, db::Connection& c, const ReaderSettings& s) {
  bool stored = false;
  if (StoreInvoice(view, c, s.language) && StoreItems(view, c, s.language)) {
    stored = storeFile(view, c, s);
  }
  // Allowances go in even when the header could not be written.
  if (!view.lvAbzuege.rows.empty()) StoreDeductions(view, c);
  return stored;
}

bool askingSave(const ViewModel& view, db::Connection& c, const ReaderSettings& s) {
  using namespace savetext;
  // The handler's own language test: only "GB" gets the English texts.
  const bool gb = s.language == "GB";
  if (!ui::current().question(kTitle, gb ? kQuestionGB : kQuestionDE, ui::Icon::Question, true)) {
    return false;
  }
  if (!StoreInvoice(view, c, s.language)) return false;

  bool stored = false;
  std::string text;
  if (StoreItems(view, c, s.language)) {
    stored = storeFile(view, c, s);
    if (gb) {
      text = (stored ? kWithFileGB : kWithoutFileGB) + s.invoiceFile + kSavedGB;
    } else {
      text = (stored ? kWithFileDE : kWithoutFileDE) + s.invoiceFile + kSavedDE;
    }
  } else {
    text = gb ? kNotSavedGB : kNotSavedDE;
  }
  text += kCrLf;
  if (!view.lvAbzuege.rows.empty()) {
    const bool deductions = static_cast<bool>(StoreDeductions(view, c));
    if (gb) {
      text += deductions ? kDeductionsSavedGB : kDeductionsFailedGB;
    } else {
      text += deductions ? kDeductionsSavedDE : kDeductionsFailedDE;
    }
  }
  ui::current().message(kTitle, text, ui::Icon::Information);
  return stored;
}

}  // namespace

bool SaveInvoice(const ViewModel& view, const ReaderSettings& settings) {
  try {
    std::unique_ptr<db::Connection> connection = db::open(settings.connection);
    return settings.ask ? askingSave(view, *connection, settings)
                        : silentSave(view, *connection, settings);
  } catch (const std::exception& e) {
    ui::current().message(text::kDefaultTitle, std::string(savetext::kErrorPrefix) + e.what(),
                          ui::Icon::None);
    return false;
  }
}

}  // namespace belvora::reader
