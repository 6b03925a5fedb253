#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>

#include "platform/ui/ConsoleInteraction.h"
#include "support/FakeInteraction.h"

using belvora::ui::ConsoleInteraction;
using belvora::ui::Icon;

TEST(ConsoleInteraction, MessageGoesToErrorStreamWithTitle) {
  std::ostringstream err;
  ConsoleInteraction c(err);
  c.message("Note", "Connect to database failed.", Icon::Information);
  EXPECT_EQ(err.str(), "[Note] Connect to database failed.\n");
}

TEST(ConsoleInteraction, QuestionTakesDefaultButtonOrEnvironmentAndPrintsAnswer) {
  std::ostringstream err;
  ConsoleInteraction c(err);
  ::unsetenv("BELVORA_ANSWER");
  EXPECT_FALSE(c.question("Note", "Overwrite?", Icon::Question, false));
  EXPECT_TRUE(c.question("Note", "Import?", Icon::Question, true));
  ::setenv("BELVORA_ANSWER", "yes", 1);
  EXPECT_TRUE(c.question("Note", "Overwrite?", Icon::Question, false));
  ::setenv("BELVORA_ANSWER", "no", 1);
  EXPECT_FALSE(c.question("Note", "Import?", Icon::Question, true));
  ::unsetenv("BELVORA_ANSWER");
  EXPECT_EQ(err.str(),
            "[Note] Overwrite?\n-> No\n[Note] Import?\n-> Yes\n"
            "[Note] Overwrite?\n-> Yes\n[Note] Import?\n-> No\n");
}

TEST(ConsoleInteraction, DialogsCancelAndInputTakesDefault) {
  std::ostringstream err;
  ConsoleInteraction c(err);
  EXPECT_EQ(c.chooseFile("Open", "*.xml"), "");
  EXPECT_EQ(c.chooseFolder("Folder"), "");
  EXPECT_EQ(c.input("Mail", "Address?", "a@b.de"), "a@b.de");
}

TEST(Interaction, InstalledFakeReceivesCallsAndIsRemovedAgain) {
  {
    belvora::test::ScopedFakeInteraction fake;
    fake->answers.push_back(true);
    EXPECT_TRUE(belvora::ui::current().question("T", "Q", Icon::Question, false));
    belvora::ui::current().message("T", "M", Icon::Critical);
    ASSERT_EQ(fake->calls.size(), 2u);
    EXPECT_EQ(fake->messages().at(0).text, "M");
  }
  EXPECT_NE(dynamic_cast<ConsoleInteraction*>(&belvora::ui::current()), nullptr);
}
