#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "session/ErrorReport.h"
#include "session/ExportFile.h"
#include "support/TempDir.h"

using belvora::session::ExportPathFor;
using belvora::test::TempDir;

TEST(ExportPath, SlashesAfterTheLongestExistingFolderBecomeHyphens) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "RE/2024");
  const std::string base = dir.path().string();
  EXPECT_EQ(ExportPathFor(base + "/RG1.xml"), base + "/RG1.xml");
  EXPECT_EQ(ExportPathFor(base + "/RE/2024/7.xml"), base + "/RE/2024/7.xml");
  EXPECT_EQ(ExportPathFor(base + "/RE/2025/7.xml"), base + "/RE/2025-7.xml");
  EXPECT_EQ(ExportPathFor(base + "/X/2024/7.xml"), base + "/X-2024-7.xml");
  EXPECT_EQ(ExportPathFor("/no-such-folder/RE/1.xml"), "/no-such-folder-RE-1.xml");

  // Relative paths: a first part that is no folder keeps no folder at all.
  auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  EXPECT_EQ(ExportPathFor("RE/2024/8.xml"), "RE/2024/8.xml");
  EXPECT_EQ(ExportPathFor("AB/1.xml"), "AB-1.xml");
  EXPECT_EQ(ExportPathFor("plain.xml"), "plain.xml");
  std::filesystem::current_path(cwd);
}

TEST(ErrorInDll, NumberDescriptionSystemCodeAndSource) {
  using namespace belvora::session;
  auto report = DescribeError(std::make_exception_ptr(
      std::system_error(ENOSPC, std::generic_category(), "cannot write '/x'")));
  EXPECT_EQ(ErrorInDllText(report),
            "An error has occurred: 28\r\ncannot write '/x': No space left on device\r\n28\r\n"
            "belvora");
  report = DescribeError(std::make_exception_ptr(std::runtime_error("Overflow")));
  EXPECT_EQ(ErrorInDllText(report), "An error has occurred: 1\r\nOverflow\r\n0\r\nbelvora");
  report = DescribeError(std::make_exception_ptr(42));
  EXPECT_EQ(ErrorInDllText(report), "An error has occurred: 1\r\nunknown error\r\n0\r\nbelvora");
  EXPECT_EQ(ConnectFailedText("no such table: x"),
            "Connect to database failed.\r\nPlease note the error from the interface.\r\n" +
                std::string(50, '-') + "\r\n\r\nno such table: x");
}
