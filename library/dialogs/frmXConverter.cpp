#include "dialogs/frmXConverter.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

#include "dialogs/SlotGuard.h"
#include "dialogs/frmInfo.h"
#include "messages/Messages.h"
#include "platform/sys/Files.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/qt/QtText.h"
#include "reader/StoreSave.h"

namespace belvora::dialogs {
namespace {

using reader::FieldArray;
using ui::qt::toQt;

namespace msg = ::belvora::messages;

// Mnemonic letters of the buttons and of the XML tab, the same in both
// languages: Alt+S saves, Alt+L opens the XML tab, Alt+X shows the XML.
struct Mnemonic {
  std::string_view element;
  char key;
};
constexpr Mnemonic kMnemonics[] = {{"btnSave", 's'}, {"btnRead", 'x'}, {"sstab1", 'l'}};

// Longest line the XML box shows in one piece. Attachments are Base64 in a
// single line that may be a hundred megabytes long; laying that out as one
// line would freeze the window, so such lines are shown in pieces of this
// size. The file itself is not changed.
constexpr qsizetype kDisplayLineLimit = 4096;

QString xmlDisplayText(std::string_view utf8) {
  const QString text = toQt(utf8);
  QString out;
  out.reserve(text.size() + text.size() / kDisplayLineLimit + 1);
  qsizetype lineStart = 0;
  while (lineStart < text.size()) {
    qsizetype lineEnd = text.indexOf(QLatin1Char('\n'), lineStart);
    if (lineEnd < 0) lineEnd = text.size();
    for (qsizetype at = lineStart; at < lineEnd;) {
      qsizetype piece = std::min(kDisplayLineLimit, lineEnd - at);
      // Never between the two halves of a surrogate pair.
      if (at + piece < lineEnd && text.at(at + piece - 1).isHighSurrogate()) --piece;
      out.append(QStringView(text).mid(at, piece));
      at += piece;
      if (at < lineEnd) out.append(QLatin1Char('\n'));
    }
    if (lineEnd < text.size()) out.append(QLatin1Char('\n'));
    lineStart = lineEnd + 1;
  }
  return out;
}

// A field that would like to be as wide as its text (up to a limit), so
// that the window opens wide enough for the invoice where the screen
// allows; it still shrinks with the window.
class FieldEdit : public QLineEdit {
 public:
  QSize sizeHint() const override {
    QSize hint = QLineEdit::sizeHint();
    const QFontMetrics metrics(font());
    // The frame and inner margins of a line edit, as its own hint counts them.
    const int margins = hint.width() - metrics.horizontalAdvance(QLatin1Char('x')) * 17;
    const int text =
        metrics.horizontalAdvance(QLineEdit::text()) + margins + metrics.averageCharWidth();
    hint.setWidth(std::max(hint.width(), std::min(text, metrics.averageCharWidth() * 90)));
    return hint;
  }
};

// Grid columns holding numbers: right-aligned.
bool numericColumn(std::string_view grid, int column) {
  if (grid == "lvTable") return column >= 3;
  if (grid == "lvUst") return column >= 1;
  return column >= 2;
}

bool isAmount(FieldArray array, std::size_t index) {
  if (array == FieldArray::Rechnungdaten)
    return index == reader::TaxAmount || index == reader::TotalAmount;
  return array == FieldArray::Sonstige && index <= reader::PaymentDue;
}

const char* arrayName(FieldArray array) {
  switch (array) {
    case FieldArray::Rechnungdaten:
      return "txtRechnungdaten";
    case FieldArray::Seller:
      return "txtSeller";
    case FieldArray::Buyer:
      return "txtBuyer";
    case FieldArray::Sonstige:
      break;
  }
  return "txtSonstige";
}

QString captionFor(std::string_view element, const std::string& language) {
  for (const reader::ViewCaption& c : reader::viewCaptions()) {
    if (c.element != element) continue;
    const std::string_view text = reader::caption(language, c.captionGB, c.captionDE);
    for (const Mnemonic& m : kMnemonics)
      if (m.element == element) return ui::qt::withMnemonic(text, m.key);
    return toQt(text);
  }
  return toQt(element);
}

}  // namespace

frmXConverter::frmXConverter(reader::ViewModel& view, reader::ReaderSettings& settings,
                             QWidget* parent)
    : QDialog(parent), view_(view), settings_(settings) {
  setObjectName(QStringLiteral("frmXConverter"));
  setSizeGripEnabled(true);
  setWindowFlag(Qt::WindowMaximizeButtonHint);

  sstab_ = new QTabWidget;
  sstab_->setObjectName(QStringLiteral("sstab"));
  sstab_->addTab(buildInvoiceTab(), QString());
  sstab_->addTab(buildXmlTab(), QString());
  btnAbout_ = new QToolButton;
  btnAbout_->setObjectName(QStringLiteral("btnAbout"));
  btnAbout_->setText(QStringLiteral("?"));
  btnAbout_->setAutoRaise(true);
  btnAbout_->setFocusPolicy(Qt::NoFocus);
  sstab_->setCornerWidget(btnAbout_, Qt::TopRightCorner);
  connect(btnAbout_, &QToolButton::clicked, this, [this] { ShowAboutBox(this); });
  auto* help = new QShortcut(QKeySequence::HelpContents, this);
  connect(help, &QShortcut::activated, this, [this] { ShowAboutBox(this); });

  frmSeller_ = buildParty("frmSeller", FieldArray::Seller);
  frmBuyer_ = buildParty("frmBuyer", FieldArray::Buyer);

  auto* top = new QWidget;
  auto* topLayout = new QHBoxLayout(top);
  topLayout->setContentsMargins(0, 0, 0, 0);
  // Each part as wide as its fields want: no stretch factors.
  topLayout->addWidget(sstab_);
  topLayout->addWidget(frmSeller_);
  topLayout->addWidget(frmBuyer_);

  sstabPos_ = new QTabWidget;
  sstabPos_->setObjectName(QStringLiteral("sstabPos"));
  sstabPos_->addTab(buildItemsTab(), QString());
  sstabPos_->addTab(buildPaymentTab(), QString());
  sstabPos_->addTab(buildDeductionsTab(), QString());
  sstabPos_->addTab(buildPeppolTab(), QString());

  // The grids below get the space the fields do not need; the user can
  // move the border.
  auto* split = new QSplitter(Qt::Vertical);
  split->setChildrenCollapsible(false);
  split->addWidget(top);
  split->addWidget(sstabPos_);
  split->setStretchFactor(0, 0);
  split->setStretchFactor(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split);

  // First tabs selected; Save offered only with a documents table and not
  // after a failed read.
  sstab_->setCurrentIndex(0);
  sstabPos_->setCurrentIndex(0);
  btnSave_->setVisible(!settings_.documentsTable.empty());
  btnSave_->setEnabled(view_.saveEnabled);

  Sprache(settings_.language);
  fillFields();
  chainTabOrder();

  // The layouts measured the fields while they were still empty.
  for (QWidget* w : findChildren<QWidget*>()) w->updateGeometry();
  const QSize wanted = sizeHint().expandedTo(QSize(1180, 800));
  const QScreen* screen = QApplication::primaryScreen();
  resize(screen ? wanted.boundedTo(screen->availableSize()) : wanted);
}

QWidget* frmXConverter::fieldWidget(FieldArray array, std::size_t index) {
  Field& f = fields_[{array, index}];
  const QString name = QStringLiteral("%1_%2").arg(QLatin1String(arrayName(array))).arg(index);
  const bool notes = array == FieldArray::Rechnungdaten &&
                     (index == reader::PaymentMethod || index == reader::Remarks);
  if (notes) {
    // Notes and payment terms often run over several lines.
    f.multi = new QPlainTextEdit;
    f.multi->setObjectName(name);
    f.multi->setTabChangesFocus(true);
    f.multi->setFixedHeight(f.multi->fontMetrics().lineSpacing() * 3 + 12);
    return f.multi;
  }
  f.line = new FieldEdit;
  f.line->setObjectName(name);
  if (isAmount(array, index)) f.line->setAlignment(Qt::AlignRight);
  return f.line;
}

QWidget* frmXConverter::form(std::initializer_list<Key> keys) {
  auto* page = new QWidget;
  auto* layout = new QFormLayout(page);
  layout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  for (const auto& [array, index] : keys) {
    QWidget* field = fieldWidget(array, index);
    auto* label = new QLabel;
    label->setBuddy(field);
    fields_[{array, index}].label = label;
    for (const reader::FieldInfo& info : reader::fieldCatalogue())
      if (info.array == array && info.index == index)
        label->setObjectName(QStringLiteral("lbl") + QLatin1String(info.name));
    if (array == FieldArray::Rechnungdaten &&
        (index == reader::TaxAmount || index == reader::TotalAmount)) {
      // The currency stands beside its amount.
      auto* row = new QHBoxLayout;
      row->addWidget(field, 1);
      QWidget* currency = fieldWidget(
          array, index == reader::TaxAmount ? reader::CurrencyCode : reader::TotalCurrencyCode);
      currency->setMaximumWidth(currency->fontMetrics().horizontalAdvance(QStringLiteral("MMMMM")));
      row->addWidget(currency);
      layout->addRow(label, row);
    } else {
      layout->addRow(label, field);
    }
  }
  return page;
}

QWidget* frmXConverter::buildInvoiceTab() {
  using A = FieldArray;
  frmRechnung_ = new QGroupBox;
  frmRechnung_->setObjectName(QStringLiteral("frmRechnung"));
  auto* layout = new QVBoxLayout(frmRechnung_);
  layout->addWidget(form({{A::Rechnungdaten, reader::RoutingID},
                          {A::Rechnungdaten, reader::InvoiceNumber},
                          {A::Rechnungdaten, reader::Subject},
                          {A::Rechnungdaten, reader::InvoiceDate},
                          {A::Rechnungdaten, reader::PayableBy},
                          {A::Rechnungdaten, reader::InvoiceType},
                          {A::Rechnungdaten, reader::PaymentMethod},
                          {A::Rechnungdaten, reader::Remarks},
                          {A::Rechnungdaten, reader::TaxAmount},
                          {A::Rechnungdaten, reader::TotalAmount}}));
  layout->addStretch();
  return frmRechnung_;
}

QWidget* frmXConverter::buildXmlTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  btnRead_ = new QPushButton;
  btnRead_->setObjectName(QStringLiteral("btnRead"));
  connect(btnRead_, &QPushButton::clicked, this,
          [this] { Guarded(msg::kTitleNote, [this] { showXml(); }); });
  txtXML_ = new QPlainTextEdit;
  txtXML_->setObjectName(QStringLiteral("txtXML"));
  txtXML_->setReadOnly(true);
  // Wrapped, so that nothing hides beyond the right edge; deep nesting
  // stays readable with narrow tabs.
  txtXML_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  txtXML_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  txtXML_->setTabStopDistance(txtXML_->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnRead_);
  buttons->addStretch();
  layout->addLayout(buttons);
  layout->addWidget(txtXML_, 1);
  return page;
}

QGroupBox* frmXConverter::buildParty(const char* objectName, FieldArray array) {
  auto* box = new QGroupBox;
  box->setObjectName(QLatin1String(objectName));
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(form({{array, reader::Name},
                          {array, reader::TaxNumber},
                          {array, reader::RecipiedEMail},
                          {array, reader::Street},
                          {array, reader::Country},
                          {array, reader::Zip},
                          {array, reader::City},
                          {array, reader::ContactPerson},
                          {array, reader::ContactEmail},
                          {array, reader::ContactPhone}}));
  layout->addStretch();
  return box;
}

QTreeWidget* frmXConverter::grid(const char* objectName, const reader::Grid& model) {
  auto* tree = new QTreeWidget;
  tree->setObjectName(QLatin1String(objectName));
  tree->setRootIsDecorated(false);
  tree->setUniformRowHeights(true);
  tree->setAlternatingRowColors(true);
  tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
  tree->setColumnCount(static_cast<int>(model.columnCount()));
  tree->header()->setStretchLastSection(true);
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(model.rows.size()));
  for (const reader::GridRow& row : model.rows) {
    auto* item = new QTreeWidgetItem;
    for (std::size_t k = 0; k < model.columnCount() && k < row.cells.size(); ++k) {
      const int column = static_cast<int>(k);
      item->setText(column, toQt(row.cells[k]));
      if (numericColumn(objectName, column))
        item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
      if (row.color == 255) item->setForeground(column, Qt::red);
    }
    items << item;
  }
  tree->addTopLevelItems(items);
  return tree;
}

QWidget* frmXConverter::buildItemsTab() {
  auto* page = new QWidget;
  lvTable_ = grid("lvTable", view_.lvTable);
  lvUst_ = grid("lvUst", view_.lvUst);
  btnSave_ = new QPushButton;
  btnSave_->setObjectName(QStringLiteral("btnSave"));
  connect(btnSave_, &QPushButton::clicked, this,
          [this] { Guarded(msg::kTitleNote, [this] { save(); }); });
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(lvUst_, 1);
  bottom->addWidget(btnSave_, 0, Qt::AlignBottom);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(lvTable_, 3);
  layout->addLayout(bottom, 1);
  return page;
}

QWidget* frmXConverter::buildPaymentTab() {
  using A = FieldArray;
  auto* page = new QWidget;
  auto* layout = new QHBoxLayout(page);
  layout->addWidget(form({{A::Sonstige, reader::SumOfNet},
                          {A::Sonstige, reader::TaxBasisTotal},
                          {A::Sonstige, reader::TaxTotal},
                          {A::Sonstige, reader::AllowanceTotal},
                          {A::Sonstige, reader::ChargeTotal},
                          {A::Sonstige, reader::Prepayment},
                          {A::Sonstige, reader::RoundingAmount},
                          {A::Sonstige, reader::PaymentDue}}),
                    1, Qt::AlignTop);
  layout->addWidget(form({{A::Sonstige, reader::PayeeAccountName},
                          {A::Sonstige, reader::PayeeIBAN},
                          {A::Sonstige, reader::PayeeBIC}}),
                    1, Qt::AlignTop);
  return page;
}

QWidget* frmXConverter::buildDeductionsTab() {
  auto* page = new QWidget;
  lvAbzuege_ = grid("lvAbzuege", view_.lvAbzuege);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(lvAbzuege_);
  return page;
}

QWidget* frmXConverter::buildPeppolTab() {
  using A = FieldArray;
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(form({{A::Sonstige, reader::CustomizationID},
                          {A::Sonstige, reader::ProfileID},
                          {A::Sonstige, reader::AccountingCost},
                          {A::Sonstige, reader::BusinessProcess}}));
  layout->addStretch();
  return page;
}

void frmXConverter::Sprache(const std::string& language) {
  setWindowTitle(toQt(msg::Choose(msg::reader::kViewerTitle, language)) + QStringLiteral(" ") +
                 toQt(view_.txtRechnungdaten[reader::InvoiceNumber]));
  sstab_->setTabText(0, captionFor("sstab0", language));
  sstab_->setTabText(1, captionFor("sstab1", language));
  for (int i = 0; i < 4; ++i)
    sstabPos_->setTabText(i, captionFor("sstabPos" + std::to_string(i), language));
  frmSeller_->setTitle(captionFor("frmSeller", language));
  frmBuyer_->setTitle(captionFor("frmBuyer", language));
  btnSave_->setText(captionFor("btnSave", language));
  btnRead_->setText(captionFor("btnRead", language));
  for (const reader::FieldInfo& info : reader::fieldCatalogue()) {
    auto it = fields_.find({info.array, info.index});
    if (it != fields_.end() && it->second.label)
      it->second.label->setText(toQt(reader::caption(language, info.captionGB, info.captionDE)));
  }
  auto headers = [&](QTreeWidget* tree, const reader::Grid& model) {
    QStringList labels;
    for (const reader::ColumnInfo& c : model.columns())
      labels << toQt(reader::caption(language, c.captionGB, c.captionDE));
    tree->setHeaderLabels(labels);
  };
  headers(lvTable_, view_.lvTable);
  headers(lvUst_, view_.lvUst);
  headers(lvAbzuege_, view_.lvAbzuege);
  for (QTreeWidget* tree : {lvTable_, lvUst_, lvAbzuege_})
    for (int c = 0; c + 1 < tree->columnCount(); ++c) tree->resizeColumnToContents(c);
}

void frmXConverter::fillFields() {
  for (auto& [key, field] : fields_) {
    const std::string* value = view_.field(key.first, key.second);
    if (!value) continue;
    if (field.line) {
      field.line->setText(toQt(*value));
      field.line->setCursorPosition(0);
      field.line->updateGeometry();
    } else if (field.multi) {
      field.multi->setPlainText(toQt(*value));
    }
  }
}

void frmXConverter::takeEdits() {
  for (auto& [key, field] : fields_) {
    std::string* value = view_.field(key.first, key.second);
    if (!value) continue;
    if (field.line) *value = ui::qt::fromQt(field.line->text());
    if (field.multi) *value = ui::qt::fromQt(field.multi->toPlainText());
  }
}

void frmXConverter::save() {
  takeEdits();
  saveFailed_ = reader::SaveInvoice(view_, settings_) == reader::SaveResult::Failed;
}

void frmXConverter::showXml() {
  const std::string& path = settings_.invoiceFile;
  if (!sys::fileExists(path)) return;
  bool read = false;
  {
    WaitCursor wait;
    read = view_.showXml(path);
    if (read) {
      txtXML_->setPlainText(xmlDisplayText(view_.txtXML));
      // The text box holds the text now; a second copy would only cost memory.
      std::string().swap(view_.txtXML);
    }
  }
  if (!read) {
    const std::string& language = settings_.language;
    ui::current().message(msg::kTitleNote, msg::Choose(msg::reader::kUnreadable, language) + path,
                          ui::Icon::Exclamation);
  }
}

void frmXConverter::chainTabOrder() {
  // Reading order: invoice fields, seller, buyer, then the lower tabs.
  QWidget* previous = nullptr;
  auto link = [&previous](QWidget* next) {
    if (previous) setTabOrder(previous, next);
    previous = next;
  };
  auto fieldsOf = [&](FieldArray array, std::initializer_list<std::size_t> order) {
    for (std::size_t index : order) {
      Field& f = fields_[{array, index}];
      link(f.line ? static_cast<QWidget*>(f.line) : f.multi);
    }
  };
  using reader::CurrencyCode;
  using reader::TotalCurrencyCode;
  fieldsOf(FieldArray::Rechnungdaten,
           {reader::RoutingID, reader::InvoiceNumber, reader::Subject, reader::InvoiceDate,
            reader::PayableBy, reader::InvoiceType, reader::PaymentMethod, reader::Remarks,
            reader::TaxAmount, CurrencyCode, reader::TotalAmount, TotalCurrencyCode});
  link(btnRead_);
  link(txtXML_);
  for (FieldArray party : {FieldArray::Seller, FieldArray::Buyer})
    fieldsOf(party, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  link(lvTable_);
  link(lvUst_);
  link(btnSave_);
  fieldsOf(FieldArray::Sonstige, {0, 1, 2, 3, 4, 5, 6, 7, 12, 13, 14});
  link(lvAbzuege_);
  fieldsOf(FieldArray::Sonstige, {8, 9, 10, 11});
}

}  // namespace belvora::dialogs
