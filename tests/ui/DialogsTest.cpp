// The parameter, support and about dialogs, opened through the public
// class as a caller does, with their buttons clicked.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ModalDriver.h"
#include "UiTestSupport.h"
#include "belvora/clsXRechnung.h"
#include "dialogs/frmInfo.h"
#include "dialogs/frmParameter.h"
#include "dialogs/frmSupport.h"
#include "platform/settings/SettingsStore.h"

using belvora::test::child;
using belvora::test::ModalDriver;
using belvora::test::textOf;
using ::testing::ElementsAre;
namespace settings = belvora::settings;

namespace {

// The parameter dialog as ShowParameter opens it: the caller's values.
settings::SettingValues sample() {
  settings::SettingValues v;
  v.connection = "Data Source=/srv/erp.sqlite";
  v.dataObject = "Select * from xRechnung";
  v.exportPath = "/srv/out/RE.xml";
  v.queryParameter = "True";
  v.embeddedFile = "/srv/Anlage.pdf";
  v.tableName = "tblDocuments";
  v.importQuestion = true;
  return v;
}

void showParameter(belvora::clsXRechnung& x, const std::function<void(QDialog*)>& handle) {
  ModalDriver driver;
  driver.then([&](QWidget* w) { handle(static_cast<QDialog*>(w)); });
  driver.run([&] {
    const auto v = sample();
    x.ShowParameter(v.connection, v.dataObject, v.exportPath, true, v.embeddedFile, v.tableName,
                    v.importQuestion);
  });
}

TEST(ParameterDialog, ShowParameterOpensItWithTheCallersValues) {
  belvora::clsXRechnung x;
  showParameter(x, [](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Parameter");
    EXPECT_EQ(textOf(d, "txtParameter_1"), "Data Source=/srv/erp.sqlite");
    EXPECT_EQ(textOf(d, "txtParameter_2"), "Select * from xRechnung");
    EXPECT_EQ(textOf(d, "txtParameter_3"), "/srv/out/RE.xml");
    EXPECT_EQ(textOf(d, "txtParameter_4"), "/srv/Anlage.pdf");
    EXPECT_EQ(textOf(d, "txtParameter_5"), "tblDocuments");
    EXPECT_TRUE(child<QCheckBox>(d, "chkParam")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(d, "chkQuestion")->isChecked());
    child<QLineEdit>(d, "txtParameter_3")->clear();
    child<QPushButton>(d, "btnOK")->click();
  });
  EXPECT_EQ(settings::ReadStoredSetting(settings::kKeyQueryParameter), "True");
  // The object keeps what OK took over: its next save of all settings
  // records the cleared export path.
  showParameter(x, [](QDialog* d) { d->close(); });
  EXPECT_EQ(settings::ReadStoredSetting(settings::kKeyExportPath), "");
  EXPECT_EQ(settings::ReadStoredSetting(settings::kKeyConnection),
            settings::Scramble("Data Source=/srv/erp.sqlite"));
}

TEST(ParameterDialog, OkTakesTheFieldsOverAndSavesTheFlag) {
  settings::SettingValues v = sample();
  v.queryParameter = "False";
  belvora::dialogs::frmParameter d(v);
  d.show();
  EXPECT_FALSE(child<QCheckBox>(&d, "chkParam")->isChecked());
  child<QLineEdit>(&d, "txtParameter_3")->clear();
  child<QLineEdit>(&d, "txtParameter_2")->setText("sp_XRechnung");
  child<QCheckBox>(&d, "chkParam")->setChecked(true);
  child<QCheckBox>(&d, "chkQuestion")->setChecked(false);
  child<QPushButton>(&d, "btnOK")->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(v.exportPath, "");
  EXPECT_EQ(v.dataObject, "sp_XRechnung");
  EXPECT_EQ(v.connection, "Data Source=/srv/erp.sqlite");
  EXPECT_EQ(v.queryParameter, "True");
  EXPECT_FALSE(v.importQuestion);
  EXPECT_EQ(settings::ReadStoredSetting(settings::kKeyQueryParameter), "True");
}

TEST(ParameterDialog, ASettingsFileThatCannotBeWrittenIsReported) {
  belvora::test::TempDir dir;
  std::ofstream(dir / "file") << "x";
  const std::string old = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  // A folder below a file cannot be made, not even by root.
  ::setenv("XDG_CONFIG_HOME", (dir / "file/config").c_str(), 1);
  settings::SettingValues v = sample();
  belvora::dialogs::frmParameter d(v);
  d.show();
  ModalDriver driver;
  driver.answer();
  driver.run([&] { child<QPushButton>(&d, "btnOK")->click(); });
  ::setenv("XDG_CONFIG_HOME", old.c_str(), 1);
  ASSERT_EQ(driver.boxes.size(), 1u);
  EXPECT_EQ(driver.boxes[0].title, "Note");
  EXPECT_THAT(driver.boxes[0].text, ::testing::StartsWith("The settings could not be saved: "));
  EXPECT_FALSE(d.isVisible());
}

TEST(ParameterDialog, TheCloseBoxKeepsTheValues) {
  settings::SettingValues v = sample();
  belvora::dialogs::frmParameter d(v);
  d.show();
  child<QLineEdit>(&d, "txtParameter_1")->setText("changed");
  child<QCheckBox>(&d, "chkParam")->setChecked(false);
  d.close();
  EXPECT_EQ(v.connection, "Data Source=/srv/erp.sqlite");
  EXPECT_EQ(v.queryParameter, "True");
  EXPECT_TRUE(v.importQuestion);
}

struct Sent {
  std::string message, attachment, recipient;
};

class SupportDialog : public ::testing::Test {
 protected:
  // A window whose mail goes to `sent`; the sender's answer is `result`.
  std::unique_ptr<belvora::dialogs::frmSupport> window(bool result) {
    auto w = std::make_unique<belvora::dialogs::frmSupport>(
        "support@example.org",
        [this, result](const std::string& m, const std::string& a, const std::string& r) {
          sent.push_back({m, a, r});
          return result;
        });
    w->show();
    return w;
  }
  void send(QWidget* w, ModalDriver& driver) {
    driver.run([&] { child<QPushButton>(w, "btnSend")->click(); });
  }
  std::vector<Sent> sent;
};

TEST_F(SupportDialog, WithoutNameOrMessageNothingIsSent) {
  auto w = window(true);
  child<QLineEdit>(w.get(), "txtSupport_0")->setText("Erika Muster");
  ModalDriver driver;
  driver.answer();
  send(w.get(), driver);
  child<QLineEdit>(w.get(), "txtSupport_0")->clear();
  child<QPlainTextEdit>(w.get(), "txtSupport_2")->setPlainText("Hilfe");
  driver.answer();
  send(w.get(), driver);
  EXPECT_TRUE(sent.empty());
  ASSERT_EQ(driver.boxes.size(), 2u);
  for (const auto& box : driver.boxes) {
    EXPECT_EQ(box.title, "Note");
    EXPECT_EQ(box.text,
              "Please enter your name and leave a message for support-team!\nThank you ...");
    EXPECT_EQ(box.icon, QMessageBox::Question);
  }
}

TEST_F(SupportDialog, SendsMessageAndAttachmentButNotTheNameAndReportsTheOutcome) {
  for (bool result : {true, false}) {
    sent.clear();
    auto w = window(result);
    child<QLineEdit>(w.get(), "txtSupport_0")->setText("Erika Muster");
    child<QPlainTextEdit>(w.get(), "txtSupport_2")->setPlainText("Rechnung 4711 wird abgelehnt.");
    ModalDriver driver;
    driver.answer();
    send(w.get(), driver);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].message, "Rechnung 4711 wird abgelehnt.");
    EXPECT_EQ(sent[0].attachment, "");
    EXPECT_EQ(sent[0].recipient, "support@example.org");
    ASSERT_EQ(driver.boxes.size(), 1u);
    EXPECT_EQ(driver.boxes[0].title, "Support");
    EXPECT_EQ(driver.boxes[0].text, std::string(result ? "Your Support-Message send!"
                                                       : "Your Support-Message could't send") +
                                        "\nSupport to: support@example.org");
    EXPECT_EQ(driver.boxes[0].icon, result ? QMessageBox::Information : QMessageBox::Warning);
    EXPECT_TRUE(w->isVisible());
  }
}

TEST_F(SupportDialog, TheFileChooserFillsTheAttachment) {
  belvora::test::TempDir dir;
  const std::string file = dir / "Rechnung.pdf";
  std::ofstream(file) << "%PDF";
  auto w = window(true);
  ModalDriver driver;
  driver.then<QFileDialog>([&](QFileDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Bitte eine Datei auswählen");
    EXPECT_EQ(d->nameFilters(),
              QStringList({"XRechnung (*.xml)", "ZUGfERD (*.pdf)", "Alle Dateien (*)"}));
    belvora::test::pick(d, file);
  });
  driver.run([&] { child<QPushButton>(w.get(), "btnAdd")->click(); });
  EXPECT_EQ(textOf(w.get(), "txtSupport_1").toStdString(), file);
  child<QLineEdit>(w.get(), "txtSupport_0")->setText("Erika");
  child<QPlainTextEdit>(w.get(), "txtSupport_2")->setPlainText("Anbei");
  driver.answer();
  send(w.get(), driver);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].attachment, file);
  // Cancelling the chooser empties the field.
  driver.choose("");
  driver.run([&] { child<QPushButton>(w.get(), "btnAdd")->click(); });
  EXPECT_EQ(textOf(w.get(), "txtSupport_1"), "");
}

TEST(AboutBox, ShowsLogoProductAndLink) {
  ModalDriver driver;
  driver.then([](QWidget* w) {
    EXPECT_EQ(w->windowTitle(), "About");
    auto* logo = child<QLabel>(w, "Image1");
    ASSERT_TRUE(logo);
    EXPECT_FALSE(logo->pixmap().isNull());
    EXPECT_THAT(textOf(w, "lblVisit").toStdString(), ::testing::HasSubstr(">Visit me</a>"));
    EXPECT_THAT(textOf(w, "lblProduct").toStdString(), ::testing::HasSubstr("belvora"));
    static_cast<QDialog*>(w)->reject();
  });
  driver.run([] { belvora::clsXRechnung().ShowAbout(); });
}

TEST(AboutBox, TheLinkOpensTheAddressAndAFailureIsReported) {
  std::vector<QString> opened;
  belvora::dialogs::frmInfo box(nullptr, [&](const QString& a) {
    opened.push_back(a);
    return opened.size() == 1;
  });
  box.show();
  box.visit();
  ModalDriver driver;
  driver.answer();
  driver.run([&] { box.visit(); });
  EXPECT_THAT(opened, ElementsAre("https://belvora.example.org", "https://belvora.example.org"));
  ASSERT_EQ(driver.boxes.size(), 1u);
  EXPECT_EQ(driver.boxes[0].text,
            "The web address could not be opened: https://belvora.example.org");
  EXPECT_TRUE(box.isVisible());
}

}  // namespace
