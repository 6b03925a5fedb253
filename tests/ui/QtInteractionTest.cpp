// The Qt interaction: real message boxes, questions, input box and file
// dialogs, the filter strings, and the refusal on a foreign thread.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QPushButton>
#include <iostream>
#include <sstream>
#include <thread>

#include "ModalDriver.h"
#include "UiTestSupport.h"
#include "belvora/clsXConverter.h"
#include "belvora/clsXRechnung.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/qt/QtApplication.h"
#include "platform/ui/qt/QtText.h"

using belvora::test::ModalDriver;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace ui = belvora::ui;

namespace {

// Standard error of the calls made while it lives.
class CapturedErr {
 public:
  CapturedErr() : old_(std::cerr.rdbuf(buffer_.rdbuf())) {}
  ~CapturedErr() { std::cerr.rdbuf(old_); }
  std::string text() const { return buffer_.str(); }

 private:
  std::ostringstream buffer_;
  std::streambuf* old_;
};

TEST(QtInteraction, IsChosenWithBelvoraUiQtAndShowsWindows) {
  EXPECT_TRUE(ui::current().windows());
  ::setenv("BELVORA_UI", "console", 1);
  auto previous = ui::install(nullptr);
  EXPECT_FALSE(ui::current().windows());
  ::setenv("BELVORA_UI", "qt", 1);
  ui::install(std::move(previous));
  EXPECT_TRUE(ui::current().windows());
}

TEST(QtInteraction, MessageBoxesCarryTitleTextAndIcon) {
  const std::pair<ui::Icon, QMessageBox::Icon> icons[] = {
      {ui::Icon::Information, QMessageBox::Information},
      {ui::Icon::Exclamation, QMessageBox::Warning},
      {ui::Icon::Critical, QMessageBox::Critical},
      {ui::Icon::Question, QMessageBox::Question},
      {ui::Icon::None, QMessageBox::NoIcon}};
  for (const auto& [icon, qtIcon] : icons) {
    ModalDriver driver;
    driver.then<QMessageBox>([](QMessageBox* box) {
      EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
      box->button(QMessageBox::Ok)->click();
    });
    driver.answer();
    driver.run([icon = icon] {
      for (int i = 0; i < 2; ++i) ui::current().message("Note", "Zeile 1\r\nÄnderung", icon);
    });
    // The text's CR LF is shown as one line break.
    ASSERT_EQ(driver.boxes.size(), 1u);
    EXPECT_EQ(driver.boxes[0].title, "Note");
    EXPECT_EQ(driver.boxes[0].text, "Zeile 1\nÄnderung");
    EXPECT_EQ(driver.boxes[0].icon, qtIcon);
  }
}

TEST(QtInteraction, QuestionsHaveYesAndNoWithTheGivenDefault) {
  for (bool defaultYes : {true, false}) {
    ModalDriver driver;
    driver.then<QMessageBox>([defaultYes](QMessageBox* box) {
      EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
      EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()),
                box->button(defaultYes ? QMessageBox::Yes : QMessageBox::No));
      EXPECT_EQ(box->icon(), QMessageBox::Question);
      box->button(QMessageBox::Yes)->click();
    });
    driver.answer(QMessageBox::No);
    // Escape is No, whatever the default.
    driver.then<QMessageBox>([](QMessageBox* box) { box->reject(); });
    std::vector<bool> answers;
    driver.run([&] {
      for (int i = 0; i < 3; ++i)
        answers.push_back(
            ui::current().question("Note", "Overwrite?", ui::Icon::Question, defaultYes));
    });
    EXPECT_THAT(answers, ElementsAre(true, false, false));
  }
}

TEST(QtInteraction, InputBoxGivesTheTextOrEmptyOnCancel) {
  ModalDriver driver;
  driver.then<QInputDialog>([](QInputDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Parameter");
    EXPECT_EQ(d->labelText(), "Please insert Parameter");
    EXPECT_EQ(d->textValue(), "252068");
    d->setTextValue(QStringLiteral("4711"));
    d->accept();
  });
  driver.type(nullptr);
  std::string first, second = "x";
  driver.run([&] {
    first = ui::current().input("Parameter", "Please insert Parameter", "252068");
    second = ui::current().input("Parameter", "Please insert Parameter", "252068");
  });
  EXPECT_EQ(first, "4711");
  EXPECT_EQ(second, "");
}

TEST(QtInteraction, FileDialogsUseQtFiltersAndGiveThePathOrEmpty) {
  belvora::test::TempDir dir;
  const std::string file = dir / "Rechnung.xml";
  std::ofstream(file) << "<x/>";
  ModalDriver driver;
  driver.then<QFileDialog>([&](QFileDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Bitte eine Datei auswählen");
    EXPECT_EQ(d->nameFilters(),
              QStringList({"XRechnung (*.xml)", "ZUGfERD (*.pdf)", "Alle Dateien (*)"}));
    belvora::test::pick(d, file);
  });
  driver.choose("");
  driver.choose(dir.path().string());
  std::string chosen, cancelled = "x", folder;
  driver.run([&] {
    chosen =
        ui::current().chooseFile("Bitte eine Datei auswählen",
                                 "XRechnung (*.xml)|*.xml|ZUGfERD|*.pdf|Alle Dateien (*.*)|*.*");
    cancelled = ui::current().chooseFile("Bitte eine Datei auswählen", "*.xml");
    folder = ui::current().chooseFolder("Ordner");
  });
  EXPECT_EQ(chosen, file);
  EXPECT_EQ(cancelled, "");
  EXPECT_EQ(folder, dir.path().string());
}

TEST(QtInteraction, FiltersBecomeQtFilterStrings) {
  const std::pair<const char*, const char*> cases[] = {
      {"XRechnung (*.xml)|*.xml|ZUGfERD|*.pdf|Alle Dateien (*.*)|*.*",
       "XRechnung (*.xml);;ZUGfERD (*.pdf);;Alle Dateien (*)"},
      {"Bilder|*.png;*.jpg", "Bilder (*.png *.jpg)"},
      {"*.xml", "*.xml"},
      {"", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(ui::qt::qtFilter(in), QString::fromUtf8(out)) << in;
  EXPECT_EQ(ui::qt::withMnemonic("Save into Database", 's'), "&Save into Database");
  EXPECT_EQ(ui::qt::withMnemonic("In Datenbank speichern", 's'), "In Datenbank &speichern");
  EXPECT_EQ(ui::qt::withMnemonic("A & B", 'x'), "A && B");
  EXPECT_EQ(ui::qt::toQt("a\xff"
                         "b\r\nc"),
            QString::fromUtf8("a\xEF\xBF\xBD"
                              "b\nc"));
}

TEST(QtInteraction, AnotherThreadGetsNoWindowButTheMessageAndFalse) {
  CapturedErr err;
  bool answer = true;
  std::string input = "x";
  bool refused = false;
  std::thread worker([&] {
    ui::current().message("Note", "Hallo", ui::Icon::Information);
    answer = ui::current().question("Note", "Overwrite?", ui::Icon::Question, true);
    input = ui::current().input("Parameter", "Please insert Parameter", "252068");
    refused = !ui::qt::windowsRefusedReason().empty();
    belvora::clsXRechnung x;
    x.ShowAbout();
  });
  worker.join();
  EXPECT_FALSE(answer);
  EXPECT_EQ(input, "");
  EXPECT_TRUE(refused);
  EXPECT_THAT(err.text(), HasSubstr("[Note] Hallo\n"));
  EXPECT_THAT(err.text(), HasSubstr("[Note] Overwrite?\n-> No\n"));
  EXPECT_THAT(err.text(), HasSubstr(std::string("[About] ") + ui::qt::kForeignThread));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(QtInteraction, ViewerOnAnotherThreadReturnsFalseWithAMessage) {
  belvora::test::TempDir dir;
  const std::string file = dir / "a.xml";
  std::ofstream(file) << "<Invoice/>";
  CapturedErr err;
  bool result = true;
  std::thread worker([&] { result = belvora::clsXConverter().XConverter(file, "", "", "", "GB"); });
  worker.join();
  EXPECT_FALSE(result);
  EXPECT_THAT(err.text(), HasSubstr(ui::qt::kForeignThread));
}

}  // namespace
