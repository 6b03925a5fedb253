// The viewer window on real invoices: every field and grid as the readers
// filled them, Save with the edited fields, Show XML, the Save button and
// the captions of both languages, keyboard use.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "ModalDriver.h"
#include "UiTestSupport.h"
#include "belvora/clsXConverter.h"
#include "dialogs/frmInfo.h"
#include "dialogs/frmXConverter.h"
#include "platform/db/Connection.h"
#include "reader/ReadXML.h"
#include "support/SharedArtefacts.h"

namespace fs = std::filesystem;
using belvora::dialogs::frmXConverter;
using belvora::reader::FieldArray;
using belvora::reader::ReaderSettings;
using belvora::reader::ViewModel;
using belvora::test::child;
using belvora::test::ModalDriver;
using belvora::test::plain;
using belvora::test::textOf;

namespace {

const std::string kCorpus = belvora::test::CorpusDir();

QString nameOf(FieldArray array, std::size_t index) {
  const char* names[] = {"txtRechnungdaten", "txtSeller", "txtBuyer", "txtSonstige"};
  return QStringLiteral("%1_%2").arg(QLatin1String(names[static_cast<int>(array)])).arg(index);
}

// Every field and grid cell of the window equals the model's.
void expectShows(QWidget* window, const ViewModel& model) {
  for (const auto& info : belvora::reader::fieldCatalogue()) {
    EXPECT_EQ(textOf(window, nameOf(info.array, info.index)).toStdString(),
              *model.field(info.array, info.index))
        << info.name;
  }
  const std::pair<const char*, const belvora::reader::Grid*> grids[] = {
      {"lvTable", &model.lvTable}, {"lvUst", &model.lvUst}, {"lvAbzuege", &model.lvAbzuege}};
  for (const auto& [name, grid] : grids) {
    auto* tree = child<QTreeWidget>(window, name);
    ASSERT_TRUE(tree);
    ASSERT_EQ(tree->topLevelItemCount(), static_cast<int>(grid->rows.size())) << name;
    for (int r = 0; r < tree->topLevelItemCount(); ++r)
      for (std::size_t c = 0; c < grid->columnCount(); ++c)
        EXPECT_EQ(tree->topLevelItem(r)->text(static_cast<int>(c)).toStdString(),
                  grid->rows[static_cast<std::size_t>(r)].cells[c])
            << name << " row " << r << " column " << c;
  }
}

class ViewerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    connect = belvora::test::makeDatabase(belvora::test::Backend::Sqlite, dir);
    dbPath = dir / "erp.sqlite";
  }

  // The invoice as the readers see it, independently of the window.
  ViewModel reference(const std::string& file, const std::string& language) {
    ReaderSettings s;
    s.invoiceFile = file;
    s.language = language;
    ViewModel model;
    EXPECT_TRUE(belvora::reader::ReadXML(s, model)) << file;
    return model;
  }

  // Opens the file through the public entry and hands the window to `check`.
  void view(const std::string& file, const std::string& table, const std::string& language,
            const std::function<void(frmXConverter*)>& check) {
    ModalDriver driver;
    driver.then([&](QWidget* w) {
      auto* window = dynamic_cast<frmXConverter*>(w);
      ASSERT_TRUE(window) << w->metaObject()->className();
      check(window);
      window->reject();
    });
    bool shown = false;
    driver.run([&] {
      shown = belvora::clsXConverter().XConverter(file, "", connect, table, language, false);
    });
    EXPECT_TRUE(shown) << file;
  }

  belvora::test::TempDir dir;
  std::string connect;
  std::string dbPath;
};

TEST_F(ViewerWindow, ShowsEveryFieldOfEachTemplateInvoice) {
  for (const char* number : belvora::test::kTemplateInvoices) {
    const std::string file = dir / (std::string(number) + ".xml");
    belvora::test::createTemplateInvoice(dbPath, number, file);
    const ViewModel model = reference(file, "GB");
    EXPECT_EQ(model.txtRechnungdaten[belvora::reader::InvoiceNumber], number);
    EXPECT_FALSE(model.lvTable.rows.empty());
    view(file, "tblDocuments", "GB", [&](frmXConverter* w) {
      expectShows(w, model);
      EXPECT_EQ(w->windowTitle().toStdString(), std::string("Incoming invoice ") + number);
    });
  }
}

TEST_F(ViewerWindow, ShowsUblAndHybridPdfInvoicesOfTheCorpus) {
  BELVORA_REQUIRE_CORPUS();
  for (const std::string& file : {kCorpus + "/ubl/mustang__XRECHNUNG_Einfach.ubl.xml",
                                  kCorpus + "/pdf/ferd-zf23__XRECHNUNG_Einfach.pdf"}) {
    const ViewModel model = reference(file, "DE");
    ASSERT_FALSE(model.txtRechnungdaten[belvora::reader::InvoiceNumber].empty()) << file;
    ASSERT_FALSE(model.lvTable.rows.empty()) << file;
    view(file, "", "DE", [&](frmXConverter* w) { expectShows(w, model); });
  }
}

TEST_F(ViewerWindow, SaveStoresTheFieldsAsEdited) {
  const std::string file = dir / "252068.xml";
  belvora::test::createTemplateInvoice(dbPath, "252068", file);
  ReaderSettings settings;
  settings.invoiceFile = file;
  settings.connection = connect;
  settings.documentsTable = "tblDocuments";
  settings.ask = true;
  ViewModel model;
  ASSERT_TRUE(belvora::reader::ReadXML(settings, model));
  frmXConverter window(model, settings);
  window.show();
  child<QLineEdit>(&window, "txtSeller_0")->setText("Geänderter Verkäufer GmbH");
  child<QPlainTextEdit>(&window, "txtRechnungdaten_7")->setPlainText("Zahlbar sofort\nohne Abzug");
  child<QLineEdit>(&window, "txtSonstige_8")->setText("0204:991-12345-67");

  ModalDriver driver;
  driver.answer(QMessageBox::Yes).answer();
  driver.run([&] { child<QPushButton>(&window, "btnSave")->click(); });
  ASSERT_EQ(driver.boxes.size(), 2u);
  EXPECT_EQ(driver.boxes[0].text, "Incoming invoice + file save into database?");
  EXPECT_THAT(driver.boxes[1].text, ::testing::StartsWith("Invoice and File: "));

  auto db = belvora::db::open(connect);
  auto rows = belvora::test::rowsOf(
      *db,
      "SELECT SellerName, Remarks, CustomizationID, BuyerName FROM tblInvoice "
      "WHERE InvoiceNumber = '252068'");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(belvora::test::text(rows[0][0]), "Geänderter Verkäufer GmbH");
  EXPECT_EQ(belvora::test::text(rows[0][1]), "Zahlbar sofort\nohne Abzug");
  EXPECT_EQ(belvora::test::text(rows[0][2]), "0204:991-12345-67");
  EXPECT_EQ(belvora::test::text(rows[0][3]), model.txtBuyer[belvora::reader::Name]);
}

TEST_F(ViewerWindow, AFailedSaveFailsTheRead) {
  const std::string file = dir / "252068.xml";
  belvora::test::createTemplateInvoice(dbPath, "252068", file);
  belvora::db::open(connect)->execute("DROP TABLE tblInvoice_Items");
  ModalDriver driver;
  driver.then([&](QWidget* w) {
    child<QPushButton>(w, "btnSave")->click();
    static_cast<QDialog*>(w)->reject();
  });
  driver.answer();
  bool result = true;
  driver.run([&] {
    result = belvora::clsXConverter().XConverter(file, "", connect, "tblDocuments", "GB", false);
  });
  ASSERT_EQ(driver.boxes.size(), 1u);
  EXPECT_THAT(driver.boxes[0].text, ::testing::StartsWith("Invoice not saved in database!"));
  EXPECT_FALSE(result) << "the invoice did not reach the database";
}

TEST_F(ViewerWindow, ShowXmlFillsTheTextOnceAndShowsBrokenBytesAsReplacement) {
  const std::string file = dir / "odd.xml";
  std::ofstream(file, std::ios::binary)
      << "<?xml version=\"1.0\"?>\r\n<a>\r\n<!-- \xff -->\r\n</a>";
  ViewModel model;
  ReaderSettings settings;
  settings.invoiceFile = file;
  frmXConverter window(model, settings);
  window.show();
  auto* read = child<QPushButton>(&window, "btnRead");
  read->click();
  read->click();
  EXPECT_EQ(textOf(&window, "txtXML"),
            QString::fromUtf8("<?xml version=\"1.0\"?>\n<a>\n<!-- \xEF\xBF\xBD -->\n</a>\n"));

  // A Base64 line of any length is shown in pieces that the box can lay
  // out; together they are the line.
  const std::string base64(10000, 'Q');
  std::ofstream(file, std::ios::binary) << "<a>" << base64 << "</a>\r\n";
  read->click();
  const QStringList lines = textOf(&window, "txtXML").split(QLatin1Char('\n'));
  EXPECT_EQ(lines.size(), 4);
  for (const QString& line : lines) EXPECT_LE(line.size(), 4096);
  EXPECT_EQ(lines.join(QString()).toStdString(), "<a>" + base64 + "</a>");

  // A file that vanished leaves the text as it is.
  settings.invoiceFile = dir / "missing.xml";
  read->click();
  EXPECT_THAT(textOf(&window, "txtXML").toStdString(), ::testing::HasSubstr("<a>"));
}

TEST_F(ViewerWindow, SaveButtonOnlyWithATableAndTheGridsTakeItsSpace) {
  ViewModel model;
  ReaderSettings with;
  with.documentsTable = "tblDocuments";
  ReaderSettings without;
  frmXConverter a(model, with);
  frmXConverter b(model, without);
  for (frmXConverter* w : {&a, &b}) {
    w->resize(1200, 800);
    w->show();
  }
  QApplication::processEvents();
  EXPECT_TRUE(child<QPushButton>(&a, "btnSave")->isVisible());
  EXPECT_FALSE(child<QPushButton>(&b, "btnSave")->isVisible());
  EXPECT_GT(child<QTreeWidget>(&b, "lvUst")->width(), child<QTreeWidget>(&a, "lvUst")->width());
  // The grids get the height the fields leave free.
  EXPECT_GT(child<QTreeWidget>(&a, "lvTable")->height(), 150);

  model.saveEnabled = false;
  frmXConverter failed(model, with);
  EXPECT_FALSE(child<QPushButton>(&failed, "btnSave")->isEnabled());
}

TEST_F(ViewerWindow, CaptionsAreGermanForDeAndEnglishForAnyOtherLanguage) {
  ViewModel model;
  ReaderSettings settings;
  frmXConverter window(model, settings);
  for (const std::string& language :
       {std::string("DE"), std::string("GB"), std::string("FR"), std::string()}) {
    window.Sprache(language);
    const bool de = language == "DE";
    auto pick = [de](std::string_view gb, std::string_view d) {
      return QString::fromUtf8(de ? d.data() : gb.data(),
                               static_cast<int>(de ? d.size() : gb.size()));
    };
    auto* sstab = child<QTabWidget>(&window, "sstab");
    auto* sstabPos = child<QTabWidget>(&window, "sstabPos");
    for (const auto& c : belvora::reader::viewCaptions()) {
      const QString want = pick(c.captionGB, c.captionDE);
      const std::string element(c.element);
      QString shown;
      if (element.rfind("sstabPos", 0) == 0)
        shown = plain(sstabPos->tabText(element.back() - '0'));
      else if (element.rfind("sstab", 0) == 0)
        shown = plain(sstab->tabText(element.back() - '0'));
      else
        shown = textOf(&window, QString::fromStdString(element));
      EXPECT_EQ(shown, want) << element << " in " << language;
    }
    for (const auto& f : belvora::reader::fieldCatalogue()) {
      if (f.captionGB.empty()) continue;
      EXPECT_EQ(
          textOf(&window, QStringLiteral("lbl") + QString::fromUtf8(f.name.data(), f.name.size())),
          pick(f.captionGB, f.captionDE))
          << f.name << " in " << language;
    }
    auto* lvTable = child<QTreeWidget>(&window, "lvTable");
    auto* lvAbzuege = child<QTreeWidget>(&window, "lvAbzuege");
    EXPECT_EQ(lvTable->headerItem()->text(0), de ? "Pos" : "Line");
    EXPECT_EQ(lvTable->headerItem()->text(6), de ? "Ust(%)" : "Tax");
    EXPECT_EQ(lvAbzuege->headerItem()->text(0), de ? "Grund" : "Code");
    EXPECT_EQ(child<QTreeWidget>(&window, "lvUst")->headerItem()->text(0), "");
  }
}

TEST_F(ViewerWindow, KeyboardReachesFieldsInReadingOrderAndTheButtonsByMnemonic) {
  const std::string file = dir / "252068.xml";
  belvora::test::createTemplateInvoice(dbPath, "252068", file);
  ReaderSettings settings;
  settings.invoiceFile = file;
  ViewModel model;
  ASSERT_TRUE(belvora::reader::ReadXML(settings, model));
  frmXConverter window(model, settings);
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  const std::pair<const char*, const char*> steps[] = {{"txtRechnungdaten_0", "txtRechnungdaten_1"},
                                                       {"txtRechnungdaten_11", "txtSeller_0"},
                                                       {"txtSeller_9", "txtBuyer_0"}};
  for (const auto& [from, to] : steps) {
    child<QWidget>(&window, from)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(QApplication::focusWidget());
    EXPECT_EQ(QApplication::focusWidget()->objectName(), to) << "after " << from;
  }
  // Alt+L opens the XML tab, Alt+X shows the XML.
  QTest::keyClick(&window, Qt::Key_L, Qt::AltModifier);
  EXPECT_EQ(child<QTabWidget>(&window, "sstab")->currentIndex(), 1);
  QTest::keyClick(&window, Qt::Key_X, Qt::AltModifier);
  // A mnemonic clicks its button after the short press animation.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !textOf(&window, "txtXML").isEmpty(); }, 2000));
  EXPECT_THAT(textOf(&window, "txtXML").toStdString(),
              ::testing::HasSubstr("<ram:ID>252068</ram:ID>"));

  // F1 opens the about box.
  ModalDriver driver;
  driver.then([](QWidget* w) {
    EXPECT_TRUE(dynamic_cast<belvora::dialogs::frmInfo*>(w));
    static_cast<QDialog*>(w)->reject();
  });
  driver.run([&] { QTest::keyClick(&window, Qt::Key_F1); });
}

}  // namespace
