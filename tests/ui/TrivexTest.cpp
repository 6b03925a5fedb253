// Trivex end to end through the public library: its buttons clicked, the
// file, folder and input dialogs answered, the library's own questions and
// viewer handled, against a copy of the template database.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabWidget>

#include "ModalDriver.h"
#include "UiTestSupport.h"
#include "frmCreateInvoice.h"
#include "platform/db/Connection.h"

using belvora::test::child;
using belvora::test::ModalDriver;
using belvora::test::plain;
using belvora::test::textOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class Trivex : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir / "source");
    std::filesystem::copy_file(BELVORA_TEMPLATE_DB, dir / "source/VorlageDB.sqlite");
    std::filesystem::create_directories(out);
    window = std::make_unique<trivex::frmCreateInvoice>(dir.path().string());
    window->show();
  }
  void click(const char* button, ModalDriver& driver) {
    driver.run([&] { child<QPushButton>(window.get(), button)->click(); });
  }
  std::vector<std::vector<belvora::db::Value>> rows(const std::string& sql) {
    auto db = belvora::db::open("Data Source=" + (dir / "source/VorlageDB.sqlite"));
    return belvora::test::rowsOf(*db, sql);
  }

  belvora::test::TempDir dir;
  std::string out = dir / "out";
  std::unique_ptr<trivex::frmCreateInvoice> window;
};

TEST_F(Trivex, CreateWritesStoresAndOffersTheValidation) {
  ModalDriver driver;
  // Blanks around the answer are no part of the invoice number.
  driver.choose(out).type(" 252068 ").answer(QMessageBox::Yes).answer(QMessageBox::No);
  click("btnXRechnung", driver);
  EXPECT_THAT(driver.dialogTitles,
              ElementsAre("Bitte Ordner zur Speicherung auswählen", "Parameter"));
  ASSERT_EQ(driver.boxes.size(), 2u);
  EXPECT_EQ(driver.boxes[0].text, "Import XInvoice in your Database?");
  EXPECT_EQ(driver.boxes[1].text, "Validate XInvoice with ecosio?");
  EXPECT_EQ(window->settings().exportFolder, out + "/");
  EXPECT_THAT(belvora::test::readAll(out + "/252068.xml"), HasSubstr("<ram:ID>252068</ram:ID>"));
  auto stored = rows("SELECT DocType, Number, FileName FROM tblDocuments");
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(belvora::test::text(stored[0][0]), "AU");
  EXPECT_EQ(belvora::test::text(stored[0][1]), "252068");
  EXPECT_EQ(belvora::test::text(stored[0][2]), "252068.xml");
}

TEST_F(Trivex, CreateStopsOnCancelEmptyAnswerOrUnknownSelector) {
  ModalDriver cancelled;
  cancelled.choose("");
  click("btnXRechnung", cancelled);
  EXPECT_TRUE(cancelled.boxes.empty());

  ModalDriver empty;
  empty.choose(out).type(nullptr).answer();
  click("btnXRechnung", empty);
  ASSERT_EQ(empty.boxes.size(), 1u);
  EXPECT_EQ(empty.boxes[0].text, "Parameter is empty");
  EXPECT_EQ(empty.boxes[0].icon, QMessageBox::Information);

  ModalDriver unknown;
  unknown.choose(out).type("999999").answer().answer();
  click("btnXRechnung", unknown);
  // The library says why, then the window its own note.
  ASSERT_EQ(unknown.boxes.size(), 2u);
  EXPECT_EQ(unknown.boxes[0].text,
            "No rows were found for the selector \"999999\".\nPlease check your data source!");
  EXPECT_EQ(unknown.boxes[1].text,
            "Connect to database not possible.\nConnection string incorrectly constructed?");
  EXPECT_EQ(unknown.boxes[1].icon, QMessageBox::Warning);
  EXPECT_TRUE(rows("SELECT * FROM tblDocuments").empty());
  EXPECT_FALSE(std::filesystem::exists(out + "/999999.xml"));
}

TEST_F(Trivex, ConvertShowsTheInvoiceInTheLanguageAndSavesIt) {
  const std::string invoice = dir / "252069.xml";
  belvora::test::createTemplateInvoice(dir / "source/VorlageDB.sqlite", "252069", invoice);
  for (bool german : {true, false}) {
    ModalDriver driver;
    driver.choose(invoice).choose(out);
    driver.then([&](QWidget* viewer) {
      EXPECT_EQ(viewer->objectName(), "frmXConverter");
      EXPECT_EQ(plain(child<QTabWidget>(viewer, "sstab")->tabText(0)),
                german ? "Rechnung" : "Invoice");
      EXPECT_EQ(textOf(viewer, "txtRechnungdaten_1"), "252069");
      child<QPushButton>(viewer, "btnSave")->click();
      static_cast<QDialog*>(viewer)->reject();
    });
    driver.answer();
    click(german ? "btnXConverter_1" : "btnXConverter_0", driver);
    EXPECT_THAT(driver.dialogTitles,
                ElementsAre("Bitte eine Datei auswählen", "Bitte wählen Sie einen Ordner aus:"));
    ASSERT_EQ(driver.boxes.size(), 1u);
    EXPECT_EQ(driver.boxes[0].title, german ? "Hinweis" : "Note");
    EXPECT_EQ(driver.boxes[0].text,
              german
                  ? "Die Eingangsrechnung wurde eingelesen und ggf. in der Datenbank gespeichert!"
                  : "The incoming invoice has been read in and, if necessary, stored in the "
                    "database!");
  }
  auto stored = rows("SELECT InvoiceNumber FROM tblInvoice");
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(belvora::test::text(stored[0][0]), "252069");
  EXPECT_FALSE(rows("SELECT * FROM tblInvoice_Items WHERE InvoiceNumber = '252069'").empty());
}

TEST_F(Trivex, ConvertAsksForTheFolderEvenWhenNoFileWasChosen) {
  ModalDriver driver;
  driver.choose("").choose("");
  click("btnXConverter_0", driver);
  EXPECT_EQ(driver.dialogTitles.size(), 2u);
  EXPECT_TRUE(driver.boxes.empty());
}

TEST_F(Trivex, DialogButtonsOpenTheLibraryDialogs) {
  for (const auto& [button, title] :
       {std::pair{"btnParameter", "Parameter"}, std::pair{"btnShowAbout", "About"},
        std::pair{"btnSupport", "Support"}}) {
    ModalDriver driver;
    driver.then([title = title](QWidget* w) {
      EXPECT_EQ(w->windowTitle(), title);
      if (std::string(title) == "Support") {
        EXPECT_EQ(textOf(w, "txtSupport_3").toStdString(), trivex::kSupportAddress);
      }
      static_cast<QDialog*>(w)->reject();
    });
    click(button, driver);
  }
  // What the parameter dialog keeps does not change the window's settings.
  EXPECT_EQ(window->settings().sourceQuery, "Select * from VorlageXRechnung");
}

}  // namespace
