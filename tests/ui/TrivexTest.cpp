// Trivex end to end through the public library: its buttons clicked, the
// file, folder and input dialogs answered, the library's own questions and
// viewer handled, against a copy of the template database.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabWidget>

#include "UiTestSupport.h"
#include "frmCreateInvoice.h"

using namespace belvora::test;
constexpr auto Yes = QMessageBox::Yes, No = QMessageBox::No, Ok = QMessageBox::Ok;
using ::testing::HasSubstr;

namespace {

class Trivex : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove_all(dir / "source");
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(dir / "source");
    std::filesystem::create_directories(out);
    std::filesystem::copy_file(BELVORA_TEMPLATE_DB, dir / "source/VorlageDB.sqlite");
    window = std::make_unique<trivex::frmCreateInvoice>(dir.path().string());
    window->show();
  }
  // Clicks `button`; the log of the windows it opened, then the stored `rows`.
  std::string click(const char* button, ModalDriver& driver, const char* rows) {
    driver.run([&] { child<QPushButton>(window.get(), button)->click(); });
    std::string log;
    for (const std::string& entry : driver.log) log += entry + "\n";
    return log + rowsText("Data Source=" + (dir / "source/VorlageDB.sqlite"), rows);
  }

  TempDir dir;
  std::string out = dir / "out";
  std::unique_ptr<trivex::frmCreateInvoice> window;
};

const std::string kAsked =
    "[Bitte Ordner zur Speicherung auswählen]\n"
    "[Parameter] Please insert Parameter 252068\n";

TEST_F(Trivex, CreateWritesStoresAndOffersTheValidationOrStopsWithTheReason) {
  const struct {
    const char* folder;  // "": cancelled
    const char* number;  // nullptr: cancelled
    std::vector<QMessageBox::StandardButton> answers;
    std::string expected, files;  // windows and stored rows; files written
  } cases[] = {
      {"", nullptr, {}, "[Bitte Ordner zur Speicherung auswählen]\n", ""},
      {"out", nullptr, {Ok}, kAsked + "Note | Parameter is empty | Information\n", ""},
      // The library says why, then the window its own note.
      {"out",
       "999999",
       {Ok, Ok},
       kAsked + "Note | No rows were found for the selector \"999999\".\nPlease check your data "
                "source! | "
                "Warning\nNote | Connect to database not possible.\nConnection string incorrectly "
                "constructed? | Warning\n",
       ""},
      // Blanks around the answer are no part of the invoice number.
      {"out",
       " 252068 ",
       {Yes, No},
       kAsked +
           "Note | Import XInvoice in your Database? | Question\nNote | Validate XInvoice with "
           "ecosio? | Question\nAU | 252068 | 252068.xml\n",
       "252068.xml "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    SetUp();
    ModalDriver driver;
    driver.choose(*c.folder ? out : "");
    if (*c.folder) driver.type(c.number);
    for (auto answer : c.answers) driver.answer(answer);
    EXPECT_EQ(click("btnXRechnung", driver, "SELECT DocType, Number, FileName FROM tblDocuments"),
              c.expected);
    std::string files;
    for (const auto& f : std::filesystem::directory_iterator(out))
      files += f.path().filename().string() + " ";
    EXPECT_EQ(files, c.files);
  }
  EXPECT_THAT(readAll(out + "/252068.xml"), HasSubstr("<ram:ID>252068</ram:ID>"));
  EXPECT_EQ(window->settings().exportFolder, out + "/");
}

TEST_F(Trivex, ConvertShowsTheInvoiceInTheLanguageAndSavesIt) {
  const std::string invoice = dir / "252069.xml";
  createTemplateInvoice(dir / "source/VorlageDB.sqlite", "252069", invoice);
  const std::string asked =
      "[Bitte eine Datei auswählen] XRechnung (*.xml);;ZUGfERD (*.pdf);;Alle Dateien (*)\n"
      "[Bitte wählen Sie einen Ordner aus:]\n";
  const struct {
    const char* button;
    std::string file, tab, expected;
  } cases[] = {
      // Even without a file the folder is asked for.
      {"btnXConverter_0", "", "", asked},
      {"btnXConverter_1", invoice, "Rechnung",
       asked + "Hinweis | Die Eingangsrechnung wurde eingelesen und ggf. in der Datenbank "
               "gespeichert! | Information\n252069\n"},
      {"btnXConverter_0", invoice, "Invoice",
       asked + "Note | The incoming invoice has been read in and, if necessary, stored in the "
               "database! | Information\n252069\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    ModalDriver driver;
    driver.choose(c.file).choose(c.file.empty() ? "" : out);
    if (!c.file.empty())
      driver
          .then([&](QWidget* viewer) {
            EXPECT_EQ(viewer->objectName(), "frmXConverter");
            EXPECT_EQ(plain(child<QTabWidget>(viewer, "sstab")->tabText(0)).toStdString(), c.tab);
            EXPECT_EQ(textOf(viewer, "txtRechnungdaten_1"), "252069");
            child<QPushButton>(viewer, "btnSave")->click();
            static_cast<QDialog*>(viewer)->reject();
          })
          .answer();
    EXPECT_EQ(click(c.button, driver,
                    "SELECT InvoiceNumber FROM tblInvoice WHERE EXISTS (SELECT * FROM "
                    "tblInvoice_Items WHERE InvoiceNumber = '252069')"),
              c.expected);
  }
}

TEST_F(Trivex, DialogButtonsOpenTheLibraryDialogs) {
  for (const auto& [button, title] : {std::pair{"btnParameter", "Parameter"},
                                      {"btnShowAbout", "About"},
                                      {"btnSupport", "Support"}}) {
    ModalDriver driver;
    driver.then([title = title](QWidget* w) {
      EXPECT_EQ(w->windowTitle(), title);
      if (std::string(title) == "Support") {
        EXPECT_EQ(textOf(w, "txtSupport_3").toStdString(), trivex::kSupportAddress);
      }
      static_cast<QDialog*>(w)->reject();
    });
    click(button, driver, "SELECT 1");
  }
  // What the parameter dialog keeps does not change the window's settings.
  EXPECT_EQ(window->settings().sourceQuery, "Select * from VorlageXRechnung");
}

}  // namespace
