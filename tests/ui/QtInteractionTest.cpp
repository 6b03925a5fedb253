// The Qt interaction: real message boxes, questions, input box and file
// dialogs, the refusal on a foreign thread, errors of button handlers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QPushButton>
#include <iostream>
#include <sstream>
#include <thread>

#include "UiTestSupport.h"
#include "belvora/clsXConverter.h"
#include "belvora/clsXRechnung.h"
#include "dialogs/SlotGuard.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/qt/QtApplication.h"
#include "platform/ui/qt/QtText.h"
#include "support/FakeInteraction.h"

using namespace belvora::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace ui = belvora::ui;

namespace {

TEST(QtInteraction, IsChosenWithBelvoraUiQt) {
  EXPECT_TRUE(ui::current().windows());
  ::setenv("BELVORA_UI", "console", 1);
  auto previous = ui::install(nullptr);
  EXPECT_FALSE(ui::current().windows());
  ::setenv("BELVORA_UI", "qt", 1);
  ui::install(std::move(previous));
  EXPECT_TRUE(ui::current().windows());
}

// Every kind of call as the user meets it: its window (logged), then what it
// gives back. Message boxes show CR LF as one break; questions have Yes and
// No with the given default and Escape is No; a cancelled dialog gives "".
TEST(QtInteraction, EveryCallShowsItsWindowAndGivesTheAnswer) {
  TempDir dir;
  writeAll(dir / "Rechnung.xml", "<x/>");
  const auto clickIn = [](QMessageBox::StandardButtons buttons, QMessageBox::StandardButton preset,
                          QMessageBox::StandardButton click) {
    return [=](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      ASSERT_TRUE(box);
      EXPECT_EQ(box->standardButtons(), buttons);
      if (preset) {
        EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(preset));
      }
      box->button(click)->click();
    };
  };
  const auto escape = [](QWidget* w) { static_cast<QDialog*>(w)->reject(); };
  ModalDriver driver;
  driver.then(clickIn(QMessageBox::Ok, QMessageBox::NoButton, QMessageBox::Ok));
  for (int i = 0; i < 4; ++i) driver.answer();
  for (auto preset : {QMessageBox::Yes, QMessageBox::No})
    driver.then(clickIn(QMessageBox::Yes | QMessageBox::No, preset, QMessageBox::Yes))
        .answer(QMessageBox::No)
        .then(escape);
  driver.type("4711").type(nullptr).choose(dir / "Rechnung.xml").choose("").choose(dir.path());
  std::vector<std::string> got;
  driver.run([&] {
    for (ui::Icon icon : {ui::Icon::Information, ui::Icon::Exclamation, ui::Icon::Critical,
                          ui::Icon::Question, ui::Icon::None})
      ui::current().message("Note", "Zeile 1\r\nÄnderung", icon);
    for (bool defaultYes : {true, true, true, false, false, false})
      got.push_back(ui::current().question("Note", "Overwrite?", ui::Icon::Question, defaultYes)
                        ? "yes"
                        : "no");
    for (int i = 0; i < 2; ++i)
      got.push_back(ui::current().input("Parameter", "Please insert Parameter", "252068"));
    got.push_back(
        ui::current().chooseFile("Bitte eine Datei auswählen",
                                 "XRechnung (*.xml)|*.xml|ZUGfERD|*.pdf|Alle Dateien (*.*)|*.*"));
    got.push_back(ui::current().chooseFile("Bitte eine Datei auswählen", "*.xml"));
    got.push_back(ui::current().chooseFolder("Ordner"));
  });
  EXPECT_THAT(got, ElementsAre("yes", "no", "no", "yes", "no", "no", "4711", "",
                               dir / "Rechnung.xml", "", dir.path().string()));
  EXPECT_THAT(
      driver.log,
      ElementsAre("Note | Zeile 1\nÄnderung | Warning", "Note | Zeile 1\nÄnderung | Critical",
                  "Note | Zeile 1\nÄnderung | Question", "Note | Zeile 1\nÄnderung | NoIcon",
                  "Note | Overwrite? | Question", "Note | Overwrite? | Question",
                  "[Parameter] Please insert Parameter 252068",
                  "[Parameter] Please insert Parameter 252068",
                  "[Bitte eine Datei auswählen] XRechnung (*.xml);;ZUGfERD "
                  "(*.pdf);;Alle Dateien (*)",
                  "[Bitte eine Datei auswählen] *.xml", "[Ordner]"));
}

TEST(QtInteraction, FiltersMnemonicsAndTextsAreConvertedForQt) {
  const std::pair<const char*, const char*> filters[] = {
      {"XRechnung (*.xml)|*.xml|ZUGfERD|*.pdf|Alle Dateien (*.*)|*.*",
       "XRechnung (*.xml);;ZUGfERD (*.pdf);;Alle Dateien (*)"},
      {"Bilder|*.png;*.jpg", "Bilder (*.png *.jpg)"},
      {"*.xml", "*.xml"},
      {"", ""}};
  for (const auto& [in, out] : filters) EXPECT_EQ(ui::qt::qtFilter(in), QString(out)) << in;
  EXPECT_EQ(ui::qt::withMnemonic("Save into Database", 's'), "&Save into Database");
  EXPECT_EQ(ui::qt::withMnemonic("In Datenbank speichern", 's'), "In Datenbank &speichern");
  EXPECT_EQ(ui::qt::withMnemonic("A & B", 'x'), "A && B");
  EXPECT_EQ(ui::qt::toQt("a\xff"
                         "b\r\nc"),
            QString::fromUtf8("a\xEF\xBF\xBD"
                              "b\nc"));
}

TEST(QtInteraction, AnotherThreadGetsNoWindowButTheMessageAndFalse) {
  TempDir dir;
  writeAll(dir / "a.xml", "<Invoice/>");
  std::ostringstream err;
  std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
  bool answer = true, refused = false, viewed = true;
  std::string input = "x";
  std::thread([&] {
    ui::current().message("Note", "Hallo", ui::Icon::Information);
    answer = ui::current().question("Note", "Overwrite?", ui::Icon::Question, true);
    input = ui::current().input("Parameter", "Please insert Parameter", "252068");
    refused = !ui::qt::windowsRefusedReason().empty();
    belvora::clsXRechnung().ShowAbout();
    viewed = belvora::clsXConverter().XConverter(dir / "a.xml", "", "", "", "GB");
  }).join();
  std::cerr.rdbuf(old);
  EXPECT_FALSE(answer);
  EXPECT_EQ(input, "");
  EXPECT_TRUE(refused);
  EXPECT_FALSE(viewed);
  const std::string no = std::string(ui::qt::kForeignThread) + "\n";
  EXPECT_EQ(err.str(), "[Note] " + no + "[Note] Hallo\n[Note] " + no +
                           "[Note] Overwrite?\n-> No\n[Parameter] " + no + "[About] " + no +
                           "[belvora] " + no +
                           "[belvora] The file is not an invoice (root element Invoice).\n");
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// A button handler's error reaches the user under the window's title,
// whatever it throws, and never unwinds into Qt's event loop.
TEST(HandlerGuard, EveryErrorIsShownOnceUnderTheTitle) {
  const struct {
    void (*raise)();
    const char* description;
  } errors[] = {{[] { throw std::bad_alloc(); }, "std::bad_alloc"},
                {[] { throw std::runtime_error("no database"); }, "no database"},
                {[] { throw 42; }, "unknown error"}};
  for (const auto& e : errors) {
    ScopedFakeInteraction fake;
    belvora::dialogs::Guarded("Support", e.raise);
    const auto shown = fake->messages();
    ASSERT_EQ(shown.size(), 1u) << e.description;
    EXPECT_EQ(shown[0].title + "|" + shown[0].text, std::string("Support|") + e.description);
    EXPECT_EQ(shown[0].icon, ui::Icon::Critical);
  }
}

}  // namespace
