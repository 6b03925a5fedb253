// The viewer window on real invoices: what it shows in the caller's
// language, Save with the edited fields, Show XML, keyboard use.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "UiTestSupport.h"
#include "belvora/clsXConverter.h"
#include "dialogs/frmInfo.h"
#include "dialogs/frmXConverter.h"
#include "platform/db/Connection.h"
#include "reader/ReadXML.h"
#include "support/SharedArtefacts.h"

using namespace belvora::test;
using belvora::dialogs::frmXConverter;
using ::testing::HasSubstr;

namespace {

class ViewerWindow : public ::testing::Test {
 protected:
  ViewerWindow() { std::filesystem::copy_file(BELVORA_TEMPLATE_DB, db); }
  std::string invoice(const std::string& number) {
    createTemplateInvoice(db, number, dir / (number + ".xml"));
    return dir / (number + ".xml");
  }
  // Opens `file` through the public entry: `handle` works the window, which
  // is then closed; the message boxes get `answers` and go to `log`.
  bool view(const std::string& file, const std::string& table, const std::string& language,
            const std::function<void(QWidget*)>& handle,
            std::initializer_list<QMessageBox::StandardButton> answers = {}) {
    ModalDriver driver;
    driver.then([&](QWidget* w) {
      handle(w);
      static_cast<QDialog*>(w)->reject();
    });
    for (auto answer : answers) driver.answer(answer);
    bool shown = false;
    driver.run([&] {
      shown =
          belvora::clsXConverter().XConverter(file, "", connect, table, language, !table.empty());
    });
    log = driver.log;
    return shown;
  }

  TempDir dir;
  std::string db = dir / "erp.sqlite", connect = "Data Source=" + db;
  std::vector<std::string> log;
};

// Fields, grids and captions, German only for DE.
TEST_F(ViewerWindow, ShowsEachInvoiceInTheCallersLanguage) {
  const std::pair<std::string, const char*> cases[] = {
      {"252068", "GB"},
      {"252069", "DE"},
      {"252070", "FR"},
      {"252071", ""},
      {"ubl/mustang__XRECHNUNG_Einfach.ubl.xml", "DE"},
      {"pdf/ferd-zf23__XRECHNUNG_Einfach.pdf", "GB"}};
  for (const auto& [source, language] : cases) {
    SCOPED_TRACE(source);
    const bool corpus = source.find('/') != std::string::npos;
    if (corpus) BELVORA_REQUIRE_CORPUS();
    const std::string file = corpus ? CorpusDir() + "/" + source : invoice(source);
    const std::string golden = std::filesystem::path(source).stem().string();
    EXPECT_TRUE(view(file, "", language,
                     [&](QWidget* w) { expectGolden("viewer_" + golden + ".txt", dump(w)); }));
  }
}

// Header, lines and document as one transaction: a failing last step leaves
// nothing stored and fails the read.
TEST_F(ViewerWindow, SaveStoresTheFieldsAsEditedOrNothing) {
  const std::string file = invoice("252068");
  const auto edit = [](QWidget* w) {
    // The apostrophe breaks SQL that carries values as text.
    child<QLineEdit>(w, "txtSeller_0")->setText("O'Neil Verkäufer GmbH");
    child<QPlainTextEdit>(w, "txtRechnungdaten_7")->setPlainText("Zahlbar sofort\nohne Abzug");
    child<QLineEdit>(w, "txtSonstige_8")->setText("0204:991-12345-67");
    child<QPushButton>(w, "btnSave")->click();
  };
  for (const bool broken : {false, true}) {
    SCOPED_TRACE(broken ? "broken" : "intact");
    if (broken)
      for (const char* sql : {"DELETE FROM tblInvoice", "DELETE FROM tblInvoice_Items",
                              "CREATE TRIGGER refuse BEFORE INSERT ON tblDocuments BEGIN "
                              "SELECT RAISE(ABORT, 'no documents'); END"})
        belvora::db::open(connect)->execute(sql);
    const bool kept = view(file, "tblDocuments", "GB", edit, {QMessageBox::Yes, QMessageBox::Ok});
    EXPECT_EQ(kept, !broken);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "Note | Incoming invoice + file save into database? | Question");
    EXPECT_EQ(log[1], broken
                          ? "Note | Invoice not saved in database!\ntblDocuments: no documents | "
                            "Warning"
                          : "Note | Invoice and File: " + file + " saved.\n | Information");
    EXPECT_EQ(rowsText(connect,
                       "SELECT SellerName, Remarks, CustomizationID, BuyerName FROM tblInvoice "
                       "WHERE InvoiceNumber = '252068'") +
                  rowsText(connect, "SELECT count(*) FROM tblInvoice_Items"),
              broken ? "0\n"
                     : "O'Neil Verkäufer GmbH | Zahlbar sofort\nohne Abzug | 0204:991-12345-67 | "
                       "Stadt Musterstadt, Amt für Gebäudewirtschaft\n4\n");
  }
}

// The model reads the file (its own tests); the window shows it with broken
// bytes replaced, and a Base64 line of any length in pieces it can lay out.
TEST_F(ViewerWindow, ShowXmlShowsBrokenBytesReplacedAndLongLinesInPieces) {
  const std::string base64(10000, 'Q');
  writeAll(dir / "odd.xml", "<a>\r\n<!-- \xff -->" + base64 + "</a>\r\n");
  belvora::reader::ViewModel model;
  belvora::reader::ReaderSettings settings;
  settings.invoiceFile = dir / "odd.xml";
  frmXConverter window(model, settings);
  child<QPushButton>(&window, "btnRead")->click();
  const QStringList lines = textOf(&window, "txtXML").split(QLatin1Char('\n'));
  EXPECT_EQ(lines.size(), 5);
  for (const QString& line : lines) EXPECT_LE(line.size(), 4096);
  EXPECT_EQ(lines.join(QLatin1Char('|')).toStdString().substr(0, 20),
            "<a>|<!-- \xEF\xBF\xBD -->QQQQ");
  EXPECT_EQ(lines.join(QString()).toStdString(), "<a><!-- \xEF\xBF\xBD -->" + base64 + "</a>");
}

TEST_F(ViewerWindow, SaveButtonOnlyWithATableAndTheGridsTakeItsSpace) {
  belvora::reader::ViewModel model;
  belvora::reader::ReaderSettings with, without;
  with.documentsTable = "tblDocuments";
  frmXConverter a(model, with), b(model, without);
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

TEST_F(ViewerWindow, KeyboardReachesFieldsInReadingOrderAndTheButtonsByMnemonic) {
  belvora::reader::ReaderSettings settings;
  settings.invoiceFile = invoice("252068");
  belvora::reader::ViewModel model;
  ASSERT_TRUE(belvora::reader::ReadXML(settings, model));
  frmXConverter window(model, settings);
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  for (const auto& [from, to] : {std::pair{"txtRechnungdaten_0", "txtRechnungdaten_1"},
                                 {"txtRechnungdaten_11", "txtSeller_0"},
                                 {"txtSeller_9", "txtBuyer_0"}}) {
    child<QWidget>(&window, from)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(QApplication::focusWidget());
    EXPECT_EQ(QApplication::focusWidget()->objectName(), to) << "after " << from;
  }
  // Alt+L opens the XML tab, Alt+X shows the XML (after the press animation).
  QTest::keyClick(&window, Qt::Key_L, Qt::AltModifier);
  EXPECT_EQ(child<QTabWidget>(&window, "sstab")->currentIndex(), 1);
  QTest::keyClick(&window, Qt::Key_X, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !textOf(&window, "txtXML").isEmpty(); }, 2000));
  EXPECT_THAT(textOf(&window, "txtXML").toStdString(), HasSubstr("<ram:ID>252068</ram:ID>"));
  // F1 opens the about box.
  ModalDriver driver;
  driver.then([](QWidget* w) {
    EXPECT_TRUE(dynamic_cast<belvora::dialogs::frmInfo*>(w));
    static_cast<QDialog*>(w)->reject();
  });
  driver.run([&] { QTest::keyClick(&window, Qt::Key_F1); });
}

}  // namespace
