#pragma once

// The viewer of a read incoming invoice: a thin window over the view model.
//
//   +------------------------------------+-------------+-------------+
//   | sstab: Invoice | XML-Structur  [?] | frmSeller   | frmBuyer    |
//   |   frmRechnung: txtRechnungdaten    | txtSeller   | txtBuyer    |
//   +------------------------------------+-------------+-------------+
//   | sstabPos: Items (lvTable, lvUst, btnSave) | Payment (details)  |
//   |           Reasons for deduction (lvAbzuege) | Peppol           |
//   +----------------------------------------------------------------+
//
// Fields are edited in place; Save copies them back into the model and
// stores the invoice. Widgets carry the control names of the model
// ("txtSeller_3", "lvTable", "btnSave") as object names.

#include <QDialog>
#include <map>
#include <utility>

#include "reader/ReaderSettings.h"
#include "reader/ViewModel.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QTabWidget;
class QGroupBox;
class QTreeWidget;
class QWidget;

namespace belvora::dialogs {

class frmXConverter : public QDialog {
 public:
  // Shows the fields of `view`; the Save button only when the settings name
  // a documents table. Captions follow settings.language.
  frmXConverter(reader::ViewModel& view, reader::ReaderSettings& settings,
                QWidget* parent = nullptr);

  // Captions for the language: "DE" German, any other value English.
  void Sprache(const std::string& language);
  // Copies the texts of the fields, as edited, into the view model.
  void takeEdits();
  // The last click on Save failed (the user has seen why): the read did not
  // end in the caller's database.
  bool saveFailed() const { return saveFailed_; }

 private:
  struct Field {
    QLabel* label = nullptr;
    QLineEdit* line = nullptr;        // single-line fields
    QPlainTextEdit* multi = nullptr;  // the two note fields
  };
  using Key = std::pair<reader::FieldArray, std::size_t>;

  QWidget* buildInvoiceTab();
  QWidget* buildXmlTab();
  QGroupBox* buildParty(const char* objectName, reader::FieldArray array);
  QWidget* buildItemsTab();
  QWidget* buildPaymentTab();
  QWidget* buildDeductionsTab();
  QWidget* buildPeppolTab();
  QWidget* fieldWidget(reader::FieldArray array, std::size_t index);
  QWidget* form(std::initializer_list<Key> keys);
  QTreeWidget* grid(const char* objectName, const reader::Grid& model);
  void fillFields();
  void save();
  void showXml();
  void chainTabOrder();

  reader::ViewModel& view_;
  reader::ReaderSettings& settings_;
  std::map<Key, Field> fields_;
  bool saveFailed_ = false;
  QTabWidget* sstab_ = nullptr;
  QTabWidget* sstabPos_ = nullptr;
  QGroupBox* frmRechnung_ = nullptr;
  QGroupBox* frmSeller_ = nullptr;
  QGroupBox* frmBuyer_ = nullptr;
  QPushButton* btnSave_ = nullptr;
  QPushButton* btnRead_ = nullptr;
  QToolButton* btnAbout_ = nullptr;
  QPlainTextEdit* txtXML_ = nullptr;
  QTreeWidget* lvTable_ = nullptr;
  QTreeWidget* lvUst_ = nullptr;
  QTreeWidget* lvAbzuege_ = nullptr;
};

}  // namespace belvora::dialogs
