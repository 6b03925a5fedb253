// The parameter, support and about dialogs, opened as a caller does, with
// their buttons clicked.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "UiTestSupport.h"
#include "belvora/clsXRechnung.h"
#include "dialogs/frmInfo.h"
#include "dialogs/frmParameter.h"
#include "dialogs/frmSupport.h"
#include "platform/settings/SettingsStore.h"

using namespace belvora::test;
using ::testing::ElementsAre;
namespace settings = belvora::settings;

namespace {

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

void showParameter(belvora::clsXRechnung& x, const std::function<void(QWidget*)>& handle) {
  ModalDriver driver;
  driver.then(handle).run([&] {
    const auto v = sample();
    x.ShowParameter(v.connection, v.dataObject, v.exportPath, true, v.embeddedFile, v.tableName,
                    v.importQuestion);
  });
}

TEST(ParameterDialog, ShowParameterOpensItWithTheCallersValuesAndKeepsWhatOkTook) {
  belvora::clsXRechnung x;
  showParameter(x, [](QWidget* d) {
    expectGolden("parameter.txt", dump(d));
    child<QLineEdit>(d, "txtParameter_3")->clear();
    child<QPushButton>(d, "btnOK")->click();
  });
  // The object's next save of all settings records the cleared export path.
  showParameter(x, [](QWidget* d) { d->close(); });
  EXPECT_EQ(settings::ReadStoredSetting(settings::kKeyExportPath), "");
  EXPECT_EQ(settings::ReadStoredSetting(settings::kKeyConnection),
            settings::Scramble("Data Source=/srv/erp.sqlite"));
}

TEST(ParameterDialog, OkTakesTheFieldsOverAndSavesTheFlagTheCloseBoxKeepsTheValues) {
  for (const bool ok : {true, false}) {
    settings::SettingValues v = sample();
    v.queryParameter = "False";
    belvora::dialogs::frmParameter d(v);
    d.show();
    child<QLineEdit>(&d, "txtParameter_3")->clear();
    child<QLineEdit>(&d, "txtParameter_2")->setText("sp_XRechnung");
    child<QCheckBox>(&d, "chkParam")->setChecked(true);
    child<QCheckBox>(&d, "chkQuestion")->setChecked(false);
    ok ? child<QPushButton>(&d, "btnOK")->click() : (void)d.close();
    EXPECT_FALSE(d.isVisible());
    const std::vector<std::string> taken = {"",     "sp_XRechnung", "Data Source=/srv/erp.sqlite",
                                            "True", "no",           "True"},
                                   kept = {"/srv/out/RE.xml", "Select * from xRechnung",
                                           "Data Source=/srv/erp.sqlite", "False", "ask"};
    std::vector<std::string> now = {v.exportPath, v.dataObject, v.connection, v.queryParameter,
                                    v.importQuestion ? "ask" : "no"};
    if (ok) now.push_back(settings::ReadStoredSetting(settings::kKeyQueryParameter).value_or(""));
    EXPECT_EQ(now, ok ? taken : kept);
  }
}

TEST(ParameterDialog, ASettingsFileThatCannotBeWrittenIsReported) {
  TempDir dir;
  writeAll(dir / "file", "x");
  const std::string old = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  // A folder below a file cannot be made, not even by root.
  ::setenv("XDG_CONFIG_HOME", (dir / "file/config").c_str(), 1);
  settings::SettingValues v = sample();
  belvora::dialogs::frmParameter d(v);
  d.show();
  ModalDriver driver;
  driver.answer().run([&] { child<QPushButton>(&d, "btnOK")->click(); });
  ::setenv("XDG_CONFIG_HOME", old.c_str(), 1);
  ASSERT_EQ(driver.log.size(), 1u);
  EXPECT_THAT(driver.log[0], ::testing::StartsWith("Note | The settings could not be saved: "));
  EXPECT_FALSE(d.isVisible());
}

TEST(SupportDialog, SendsMessageAndAttachmentButNotTheNameAndReportsTheOutcome) {
  TempDir dir;
  writeAll(dir / "Rechnung.pdf", "%PDF");
  const std::string chooser =
      "[Bitte eine Datei auswählen] XRechnung (*.xml);;ZUGfERD (*.pdf);;Alle Dateien (*)\n";
  const std::string missing =
      "Note | Please enter your name and leave a message for support-team!\nThank you ... | "
      "Question\n";
  const struct {
    const char *name, *message;
    std::string attachment;
    bool result;
    std::string expected;  // the windows shown, then what was sent
  } cases[] = {
      {"Erika Muster", "", "", true, missing},
      {"", "Hilfe", "", true, missing},
      {"Erika Muster", "Rechnung 4711 wird abgelehnt.", "", true,
       "Support | Your Support-Message send!\nSupport to: support@example.org | Information\n"
       "sent: Rechnung 4711 wird abgelehnt.||support@example.org\n"},
      {"Erika", "Anbei", dir / "Rechnung.pdf", false,
       chooser +
           "Support | Your Support-Message could't send\nSupport to: "
           "support@example.org | Warning\nsent: Anbei|" +
           (dir / "Rechnung.pdf") + "|support@example.org\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    std::string seen;
    belvora::dialogs::frmSupport w(
        "support@example.org",
        [&](const std::string& m, const std::string& a, const std::string& r) {
          seen += "sent: " + m + "|" + a + "|" + r + "\n";
          return c.result;
        });
    w.show();
    child<QLineEdit>(&w, "txtSupport_0")->setText(c.name);
    child<QPlainTextEdit>(&w, "txtSupport_2")->setPlainText(c.message);
    ModalDriver driver;
    if (!c.attachment.empty()) {
      driver.choose(c.attachment).run([&] { child<QPushButton>(&w, "btnAdd")->click(); });
      EXPECT_EQ(textOf(&w, "txtSupport_1").toStdString(), c.attachment);
    }
    driver.answer().run([&] { child<QPushButton>(&w, "btnSend")->click(); });
    for (auto it = driver.log.rbegin(); it != driver.log.rend(); ++it) seen = *it + "\n" + seen;
    EXPECT_EQ(seen, c.expected);
    EXPECT_TRUE(w.isVisible());
    // Cancelling the chooser empties the field.
    driver.choose("").run([&] { child<QPushButton>(&w, "btnAdd")->click(); });
    EXPECT_EQ(textOf(&w, "txtSupport_1"), "");
  }
}

TEST(AboutBox, ShowsLogoProductAndTheLinkThatOpensTheAddress) {
  ModalDriver driver;
  driver.then([](QWidget* w) {
    EXPECT_EQ(w->windowTitle(), "About");
    EXPECT_FALSE(child<QLabel>(w, "Image1")->pixmap().isNull());
    EXPECT_THAT(textOf(w, "lblVisit").toStdString(), ::testing::HasSubstr(">Visit me</a>"));
    EXPECT_THAT(textOf(w, "lblProduct").toStdString(), ::testing::HasSubstr("belvora"));
    static_cast<QDialog*>(w)->reject();
  });
  driver.run([] { belvora::clsXRechnung().ShowAbout(); });
  // The first opening works, the second fails and is reported.
  std::vector<QString> opened;
  belvora::dialogs::frmInfo box(nullptr, [&](const QString& a) {
    opened.push_back(a);
    return opened.size() == 1;
  });
  box.show();
  box.visit();
  driver.answer().run([&] { box.visit(); });
  EXPECT_THAT(opened, ElementsAre("https://belvora.example.org", "https://belvora.example.org"));
  EXPECT_THAT(driver.log, ElementsAre("About | The web address could not be opened: "
                                      "https://belvora.example.org | Warning"));
  EXPECT_TRUE(box.isVisible());
}

}  // namespace
