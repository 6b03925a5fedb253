// Start's windows: the usage window with its options and the main window
// with its label and Close button.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "Actions.h"
#include "Frontend.h"
#include "UiTestSupport.h"
#include "Usage.h"
#include "qt/StartWindows.h"

using namespace belvora::test;

namespace {

TEST(UsageWindow, ShowsTheDescriptionAndTheExampleOfTheChosenOption) {
  start::qt::frmUsage window;
  window.show();
  EXPECT_EQ(window.windowTitle(), "Hinweis");
  EXPECT_EQ(textOf(&window, "lbl").toStdString(), start::UsageDescription("\n"));
  const auto& examples = start::UsageExamples();
  ASSERT_EQ(examples.size(), 4u);
  EXPECT_EQ(textOf(&window, "txtText").toStdString(), start::UsageExampleText(examples[0], "\n"));
  for (std::size_t i : {2u, 1u, 3u, 0u}) {
    auto* option = child<QRadioButton>(&window, QStringLiteral("opt_%1").arg(i));
    EXPECT_EQ(option->text().toStdString(), examples[i].caption);
    QTest::mouseClick(option, Qt::LeftButton);
    EXPECT_TRUE(option->isChecked());
    EXPECT_EQ(textOf(&window, "txtText").toStdString(), start::UsageExampleText(examples[i], "\n"));
  }
  EXPECT_EQ(textOf(&window, "btnClose").toStdString(), "Schließen");
  child<QPushButton>(&window, "btnClose")->click();
  EXPECT_FALSE(window.isVisible());
}

TEST(MainWindow, ShowsItsLabelAndTheCloseButtonOnlyWhenKeptOpen) {
  start::qt::frmStart window;
  window.show();
  EXPECT_EQ(textOf(&window, "lblStatus"), "Ihre XRechnung wird erzeugt.");
  auto* close = child<QPushButton>(&window, "btnClose");
  EXPECT_FALSE(close->isVisible());
  window.setLabel(QString::fromUtf8("Verbindung zur Datenbank nicht möglich."));
  window.showCloseButton();
  EXPECT_TRUE(close->isVisible());
  EXPECT_EQ(textOf(&window, "lblStatus"),
            QString::fromUtf8("Verbindung zur Datenbank nicht möglich."));
  close->click();
  EXPECT_FALSE(window.isVisible());
}

TEST(StartSupport, OnADesktopOpensTheSupportWindowWithTheAddress) {
  ASSERT_TRUE(start::UsesWindows());
  ModalDriver driver;
  driver.then([](QWidget* w) {
    EXPECT_EQ(w->windowTitle(), "Support");
    EXPECT_EQ(textOf(w, "txtSupport_3"), "hilfe@example.org");
    static_cast<QDialog*>(w)->reject();
  });
  driver.run([&] {
    EXPECT_EQ(start::ActionSupport({{"supportmail", "hilfe@example.org"}}), start::kExitSuccess);
    // Without an address nothing opens.
    EXPECT_EQ(start::ActionSupport({}), start::kExitSuccess);
  });
}

}  // namespace
