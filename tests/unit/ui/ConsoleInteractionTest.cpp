#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>

#include "platform/ui/ConsoleInteraction.h"
#include "support/FakeInteraction.h"

using belvora::ui::ConsoleInteraction;
using belvora::ui::Icon;

// Messages and questions go to the error stream with their title; a question
// takes BELVORA_ANSWER, else the default button; dialogs cancel, input takes
// the default.
TEST(ConsoleInteraction, PrintsAndAnswersWithoutAnyone) {
  std::ostringstream err;
  ConsoleInteraction c(err);
  c.message("Note", "Connect to database failed.", Icon::Information);
  std::string answers;
  for (const char* answer : {"", "yes", "no"}) {
    *answer ? ::setenv("BELVORA_ANSWER", answer, 1) : ::unsetenv("BELVORA_ANSWER");
    answers += c.question("Note", "Overwrite?", Icon::Question, false) ? "Y" : "N";
    answers += c.question("Note", "Import?", Icon::Question, true) ? "Y" : "N";
  }
  ::unsetenv("BELVORA_ANSWER");
  EXPECT_EQ(answers, "NYYYNN");
  EXPECT_EQ(err.str(),
            "[Note] Connect to database failed.\n[Note] Overwrite?\n-> No\n[Note] Import?\n-> Yes\n"
            "[Note] Overwrite?\n-> Yes\n[Note] Import?\n-> Yes\n"
            "[Note] Overwrite?\n-> No\n[Note] Import?\n-> No\n");
  EXPECT_EQ(c.chooseFile("Open", "*.xml") + "|" + c.chooseFolder("Folder") + "|" +
                c.input("Mail", "Address?", "a@b.de"),
            "||a@b.de");
}

TEST(Interaction, InstalledFakeReceivesCallsAndIsRemovedAgain) {
  {
    belvora::test::ScopedFakeInteraction fake;
    fake->answers.push_back(true);
    EXPECT_TRUE(belvora::ui::current().question("T", "Q", Icon::Question, false));
    belvora::ui::current().message("T", "M", Icon::Critical);
    ASSERT_EQ(fake->calls.size(), 2u);
  }
  EXPECT_NE(dynamic_cast<ConsoleInteraction*>(&belvora::ui::current()), nullptr);
}
