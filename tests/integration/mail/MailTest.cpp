// The mail sender against a real SMTP server on 127.0.0.1 (implicit TLS, AUTH).
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

#include "SmtpServer.h"
#include "platform/mail/SupportMail.h"
#include "support/FakeInteraction.h"
#include "support/SharedArtefacts.h"
#include "support/TempDir.h"

using namespace belvora::mail;
using belvora::test::SmtpServer;
using belvora::test::TempDir;
using ::testing::HasSubstr;

namespace {

constexpr const char* kUser = "support@example.org";
constexpr const char* kPassword = "richtig-24-zeichen-lang!";
const std::string kInvoice =
    belvora::test::CorpusDir() + "/pdf/ferd-zf10__ZUGFeRD_1p0_BASIC_Einfach.pdf";

// One server with a certificate for 127.0.0.1 and one whose certificate
// names another host; both shared by the whole suite.
class Mail : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    belvora::test::makeCertificate(*dir_ / "good.pem", *dir_ / "good.key", "IP:127.0.0.1");
    belvora::test::makeCertificate(*dir_ / "other.pem", *dir_ / "other.key",
                                   "DNS:elsewhere.example");
    good_ =
        new SmtpServer(*dir_ / "good", *dir_ / "good.pem", *dir_ / "good.key", kUser, kPassword);
    other_ =
        new SmtpServer(*dir_ / "other", *dir_ / "other.pem", *dir_ / "other.key", kUser, kPassword);
  }
  static void TearDownTestSuite() {
    delete good_;
    delete other_;
    delete dir_;
  }
  void SetUp() override { ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1); }
  void TearDown() override {
    for (const char* v :
         {"BELVORA_SMTP_SERVER", "BELVORA_SMTP_PORT", "BELVORA_SMTP_USER", "BELVORA_SMTP_PASSWORD",
          "BELVORA_SMTP_SENDER", "BELVORA_SMTP_CUSTOMER", "BELVORA_SMTP_CAFILE"})
      ::unsetenv(v);
  }

  static MailSettings settingsFor(const SmtpServer& server, const std::string& caFile) {
    MailSettings s;
    s.server = "127.0.0.1";
    s.port = server.port();
    s.user = kUser;
    s.password = kPassword;
    s.sender = kUser;
    s.customer = "Kunde 4711";
    s.caFile = caFile;
    s.totalTimeout = std::chrono::seconds(20);
    return s;
  }
  MailSettings good() const { return settingsFor(*good_, *dir_ / "good.pem"); }

  // The reason Send gives, or "" when it succeeded.
  static std::string failure(const MailSettings& s, const MailMessage& m) {
    try {
      Send(s, m);
      return "";
    } catch (const std::runtime_error& e) {
      return e.what();
    }
  }
  void writeSettings(const std::string& text, mode_t mode = 0600) {
    std::filesystem::create_directories(dir / "config/belvora");
    std::string file = dir / "config/belvora/belvora.conf";
    std::ofstream(file) << text;
    ::chmod(file.c_str(), mode);
  }

  static TempDir* dir_;
  static SmtpServer* good_;
  static SmtpServer* other_;
  TempDir dir;
};
TempDir* Mail::dir_ = nullptr;
SmtpServer* Mail::good_ = nullptr;
SmtpServer* Mail::other_ = nullptr;

// A socket on a free port of 127.0.0.1, listening or not; the port is returned.
int loopbackSocket(bool listening, int& fd) {
  fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      (listening && ::listen(fd, 4) != 0) ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
    throw std::runtime_error("no loopback socket");
  return ntohs(a.sin_port);
}

// A port where nothing listens.
int closedPort() {
  int fd = -1;
  int port = loopbackSocket(false, fd);
  ::close(fd);
  return port;
}

}  // namespace

TEST_F(Mail, SupportRequestArrivesWithHeadersBodyAndAttachment) {
  BELVORA_REQUIRE_CORPUS();
  // Configured through the settings file, the way an installation does it.
  writeSettings("[Settings]\nDLLCode7=False\n\n[Mail]\nserver = 127.0.0.1\nport=" +
                std::to_string(good_->port()) + "\nuser=" + kUser + "\npassword=" + kPassword +
                "\nsender=" + kUser + "\ncustomer=Müller & Söhne GmbH, Kundennummer 4711\ncafile=" +
                (*dir_ / "good.pem") + "\n");
  std::string attachment = dir / "Rechnung Nr. 1 – März.pdf";
  std::filesystem::copy_file(kInvoice, attachment);
  const std::string body =
      "Guten Tag,\n\ndie Rechnung lässt sich nicht einlesen.\n.\nEine Zeile mit Punkt, "
      "eine sehr lange Zeile " +
      std::string(200, 'x') + "\r\nund Leerzeichen am Ende   \nEnde";

  belvora::test::ScopedFakeInteraction ui;
  int before = good_->received();
  ASSERT_TRUE(SendSupportMail(body, attachment, "  hilfe@example.com ")) << ui->calls[0].text;
  EXPECT_TRUE(ui->calls.empty());
  ASSERT_EQ(good_->received(), before + 1);
  int n = before + 1;

  std::string headers = good_->read(n, "headers");
  EXPECT_THAT(headers, HasSubstr("\nFrom: support@example.org\n"));
  EXPECT_THAT(headers, HasSubstr("\nTo: hilfe@example.com\n"));
  EXPECT_THAT(
      headers,
      HasSubstr("\nSubject: Support-Anfrage von: Müller & Söhne GmbH, Kundennummer 4711\n"));
  EXPECT_THAT(headers, HasSubstr("\nMIME-Version: 1.0\n"));
  EXPECT_THAT(headers, HasSubstr("\nBody-Type: text/plain; charset=utf-8\n"));
  EXPECT_THAT(headers, testing::ContainsRegex("Message-ID: <[0-9a-f]{32}@example\\.org>\n"));
  EXPECT_THAT(headers, testing::ContainsRegex("^Date: [A-Z][a-z]{2}, [0-9]{2} [A-Z][a-z]{2} "
                                              "20[0-9]{2} [0-9:]{8} [+-][0-9]{4}\n"));
  EXPECT_EQ(good_->read(n, "defects"), "") << "the parser found nothing wrong";
  EXPECT_EQ(good_->read(n, "envelope"),
            "support@example.org\nhilfe@example.com\n" + std::string(kUser) + "\n");

  std::string received = good_->read(n, "body");
  for (auto at = received.find("\r\n"); at != std::string::npos; at = received.find("\r\n"))
    received.erase(at, 1);
  std::string sent = body;
  sent.erase(sent.find('\r'), 1);
  EXPECT_EQ(received, sent);

  EXPECT_EQ(good_->read(n, "filename"), "Rechnung Nr. 1 – März.pdf");
  EXPECT_EQ(good_->read(n, "attachment"), belvora::sys::readFile(kInvoice));
  std::string raw = good_->read(n, "eml");
  EXPECT_EQ(raw.find(dir.path().string()), std::string::npos) << "no folder of the sender";
  EXPECT_EQ(raw.find("Müller"), std::string::npos) << "non-ASCII only encoded";
}

TEST_F(Mail, WithoutAttachmentThePlainTextIsTheWholeMessage) {
  int n = good_->received() + 1;
  EXPECT_EQ(failure(good(), {"hilfe@example.com", "Kurz", "Nur Text", ""}), "");
  ASSERT_EQ(good_->received(), n);
  EXPECT_THAT(good_->read(n, "headers"), HasSubstr("\nSubject: Kurz\n"));
  EXPECT_THAT(good_->read(n, "headers"),
              HasSubstr("\nContent-Type: text/plain; charset=\"UTF-8\""));
  EXPECT_FALSE(belvora::sys::fileExists(good_->file(n, "attachment")));
  EXPECT_EQ(good_->read(n, "body"), "Nur Text\r\n");
}

TEST_F(Mail, EveryFailureGivesItsReasonAndSendsNothing) {
  MailSettings wrongPassword = good();
  wrongPassword.password = "falsch";
  MailSettings down = good();
  down.port = closedPort();
  MailSettings untrusted = good();
  untrusted.caFile.clear();
  MailSettings otherHost = settingsFor(*other_, *dir_ / "other.pem");
  MailSettings noServer = good();
  noServer.server.clear();
  MailSettings badServer = good();
  badServer.server = "127.0.0.1/evil?";
  MailSettings noAccount = good();
  noAccount.password.clear();
  const MailMessage ok{"hilfe@example.com", "Betreff", "Text", ""};

  struct Case {
    const char* name;
    MailSettings settings;
    MailMessage message;
    const char* reason;
  };
  const Case cases[] = {
      {"wrong password", wrongPassword, ok, "Login denied"},
      {"server down", down, ok, "Couldn't connect to server"},
      {"untrusted certificate", untrusted, ok, "SSL certificate problem"},
      {"certificate of another host", otherHost, ok, "subject name"},
      {"no server", noServer, ok, "no mail server is configured"},
      {"server that is not a host", badServer, ok, "is not a host name"},
      {"no password", noAccount, ok, "no mail account is configured"},
      {"injected recipient",
       good(),
       {"a@example.com\r\nBcc: b@example.com", "B", "T", ""},
       "must not contain a line break"},
      {"injected subject",
       good(),
       {"a@example.com", "B\nBcc: b@example.com", "T", ""},
       "must not contain a line break"},
      {"two recipients",
       good(),
       {"a@example.com, b@example.com", "B", "T", ""},
       "is not one valid e-mail address"},
      {"named recipient", good(), {"Anna <a@example.com>", "B", "T", ""}, "not one valid"},
      {"empty recipient", good(), {"", "B", "T", ""}, "not one valid"},
      // Checked before connecting: the server being down is not what is reported.
      {"missing attachment",
       down,
       {"a@example.com", "B", "T", "/nonexistent/RE 1.pdf"},
       "cannot open attachment '/nonexistent/RE 1.pdf': No such file or directory"},
      {"folder as attachment", down, {"a@example.com", "B", "T", "/tmp"}, "is not a file"},
  };
  const int before = good_->received() + other_->received();
  for (const Case& c : cases)
    EXPECT_THAT(failure(c.settings, c.message), HasSubstr(c.reason)) << c.name;
  EXPECT_EQ(good_->received() + other_->received(), before);
}

TEST_F(Mail, AServerThatNeverAnswersEndsAtTheOverallLimit) {
  // Accepts connections but never says a word.
  int fd = -1;
  int port = loopbackSocket(true, fd);
  MailSettings s = good();
  s.port = port;
  s.totalTimeout = std::chrono::seconds(2);
  auto start = std::chrono::steady_clock::now();
  EXPECT_THAT(failure(s, {"a@example.com", "B", "T", ""}), HasSubstr("timed out"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  ::close(fd);
}

TEST_F(Mail, SupportMailReportsEveryFailureAsMessageAndFalse) {
  writeSettings("[Mail]\nserver=127.0.0.1\nport=" + std::to_string(closedPort()) +
                "\nuser=u\npassword=p\nsender=support@example.org\ncustomer=4711\n");
  belvora::test::ScopedFakeInteraction ui;
  EXPECT_FALSE(SendSupportMail("Text", "", "hilfe@example.com"));
  ASSERT_EQ(ui->calls.size(), 1u);
  EXPECT_EQ(ui->calls[0].title, "Note");
  EXPECT_EQ(ui->calls[0].icon, belvora::ui::Icon::Critical);
  EXPECT_THAT(ui->calls[0].text, testing::StartsWith("Fehler beim Senden der Nachricht: mail "
                                                     "server 127.0.0.1 port "));

  // Nothing configured at all.
  std::filesystem::remove_all(dir / "config");
  ui->calls.clear();
  EXPECT_FALSE(SendSupportMail("Text", "", "hilfe@example.com"));
  ASSERT_EQ(ui->calls.size(), 1u);
  EXPECT_THAT(ui->calls[0].text, HasSubstr("no customer identification is configured"));
}

TEST_F(Mail, VariablesOverrideTheFileAndAReadablePasswordIsRefused) {
  writeSettings(
      "[Mail]\nserver=smtp.example.org\nport=587\nuser=file-user\npassword=geheim\n"
      "sender=a@example.org\ncustomer=Datei\n");
  ::setenv("BELVORA_SMTP_SERVER", "mail.example.net", 1);
  ::setenv("BELVORA_SMTP_PORT", "2465", 1);
  ::setenv("BELVORA_SMTP_CUSTOMER", "Umgebung", 1);
  MailSettings s = LoadMailSettings();
  EXPECT_EQ(s.server, "mail.example.net");
  EXPECT_EQ(s.port, 2465);
  EXPECT_EQ(s.user, "file-user");
  EXPECT_EQ(s.password, "geheim");
  EXPECT_EQ(s.customer, "Umgebung");
  EXPECT_EQ(s.connectTimeout, std::chrono::seconds(60));

  ::setenv("BELVORA_SMTP_PORT", "465x", 1);
  EXPECT_THROW(LoadMailSettings(), std::runtime_error);
  ::unsetenv("BELVORA_SMTP_PORT");

  ::unsetenv("BELVORA_SMTP_SERVER");
  writeSettings("[Mail]\npassword=geheim\n", 0644);
  try {
    LoadMailSettings();
    FAIL() << "a password readable by others was accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_THAT(e.what(), HasSubstr("chmod 600"));
  }
  writeSettings("[Mail]\nserver=x.example\n", 0644);
  EXPECT_EQ(LoadMailSettings().server, "x.example") << "no password, nothing to protect";
}
