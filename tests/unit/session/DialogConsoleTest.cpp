// The dialogs where no window can be shown: ShowParameter prints the values
// it takes over (passwords masked) and keeps them, ShowAbout prints the
// product, its version and web address. (ShowSupport: the session tests.)
#include <belvora_version.h>
#include <gtest/gtest.h>

#include "belvora/clsXRechnung.h"
#include "platform/settings/SettingsStore.h"
#include "support/FakeInteraction.h"

namespace {

TEST(DialogsOnTheConsole, ParameterPrintsTheValuesUnderTheCaptions) {
  belvora::test::ScopedFakeInteraction fake;
  belvora::clsXRechnung().ShowParameter(
      "Driver={PostgreSQL Unicode};Server=db;UID=erp;PWD=geheim;Database=erp",
      "Select * from xRechnung", "/srv/out/RE.xml", true, "", "tblDocuments", false);
  auto messages = fake->messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "Parameter");
  EXPECT_EQ(messages[0].text,
            "Database-Connection: Driver={PostgreSQL Unicode};Server=db;UID=erp;PWD=****;"
            "Database=erp\r\n"
            "Data object (view, table, stored procedure or SQL statement): Select * from "
            "xRechnung\r\n"
            "Path to the created XInvoice: /srv/out/RE.xml\r\n"
            "Embedded File: \r\n"
            "Document-Tablename: tblDocuments\r\n"
            "Query parameters: True\r\n"
            "Import-Question: False");
}

TEST(DialogsOnTheConsole, AboutPrintsProductVersionAndAddress) {
  belvora::test::ScopedFakeInteraction fake;
  belvora::clsXRechnung().ShowAbout();
  auto messages = fake->messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "About");
  EXPECT_EQ(messages[0].text, std::string("belvora ") + belvora::version::versionText +
                                  "\r\nhttps://belvora.example.org");
}

}  // namespace
