// The mail sender against a real SMTP server on 127.0.0.1 (implicit TLS, AUTH).
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>

#include "platform/mail/SupportMail.h"
#include "support/Expect.h"
#include "support/FakeInteraction.h"
#include "support/SharedArtefacts.h"
#include "support/TempDir.h"

using namespace belvora::mail;
using belvora::test::readAll;
using belvora::test::TempDir;
using ::testing::HasSubstr;

extern char** environ;

namespace {

constexpr const char* kUser = "support@example.org";
constexpr const char* kPassword = "richtig-24-zeichen-lang!";

// smtp_server.py in `folder`, ended with the object: a port with a
// certificate for 127.0.0.1 and one whose certificate names another host.
class SmtpServer {
 public:
  explicit SmtpServer(const std::string& folder) : folder_(folder) {
    const char* argv[] = {BELVORA_SYSTEM_PYTHON,
                          BELVORA_SMTP_SERVER_SCRIPT,
                          folder.c_str(),
                          kUser,
                          kPassword,
                          nullptr};
    if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
      throw std::runtime_error("cannot start the test SMTP server");
    for (int i = 0; i < 400 && readAll(folder + "/ports").empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::istringstream(readAll(folder + "/ports")) >> good >> other;
    if (!other) throw std::runtime_error("the test SMTP server did not start");
  }
  ~SmtpServer() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  // Messages stored so far; part `kind` of message n.
  int received() const {
    int n = 0;
    while (std::filesystem::exists(file(n + 1, "eml"))) ++n;
    return n;
  }
  std::string file(int n, const std::string& kind) const {
    return folder_ + "/" + std::to_string(n) + "." + kind;
  }
  std::string read(int n, const std::string& kind) const { return readAll(file(n, kind)); }
  int good = 0, other = 0;

 private:
  std::string folder_;
  pid_t pid_ = 0;
};

// A socket on a free port of 127.0.0.1 that never answers, or (closed) a
// port where nothing listens.
int loopbackPort(bool listening, int& fd) {
  fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      (listening && ::listen(fd, 4) != 0) ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
    throw std::runtime_error("no loopback socket");
  if (!listening) ::close(fd);
  return ntohs(a.sin_port);
}

class Mail : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    server_ = new SmtpServer(dir_->path().string());
  }
  static void TearDownTestSuite() {
    delete server_;
    delete dir_;
  }
  void SetUp() override { ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1); }
  void TearDown() override {
    for (const char* v : {"BELVORA_SMTP_SERVER", "BELVORA_SMTP_PORT", "BELVORA_SMTP_CUSTOMER"})
      ::unsetenv(v);
  }

  static MailSettings good() {
    MailSettings s;
    s.server = "127.0.0.1";
    s.port = server_->good;
    s.user = s.sender = kUser;
    s.password = kPassword;
    s.customer = "Kunde 4711";
    s.caFile = *dir_ / "good.pem";
    s.totalTimeout = std::chrono::seconds(20);
    return s;
  }
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
    belvora::test::writeAll(dir / "config/belvora/belvora.conf", text);
    ::chmod((dir / "config/belvora/belvora.conf").c_str(), mode);
  }

  static TempDir* dir_;
  static SmtpServer* server_;
  TempDir dir;
};
TempDir* Mail::dir_ = nullptr;
SmtpServer* Mail::server_ = nullptr;

TEST_F(Mail, SupportRequestArrivesWithHeadersBodyAndAttachment) {
  BELVORA_REQUIRE_CORPUS();
  // Configured through the settings file, the way an installation does it.
  writeSettings("[Settings]\nDLLCode7=False\n\n[Mail]\nserver = 127.0.0.1\nport=" +
                std::to_string(server_->good) + "\nuser=" + kUser + "\npassword=" + kPassword +
                "\nsender=" + kUser + "\ncustomer=Müller & Söhne GmbH, Kundennummer 4711\ncafile=" +
                (*dir_ / "good.pem") + "\n");
  const std::string invoice =
      belvora::test::CorpusDir() + "/pdf/ferd-zf10__ZUGFeRD_1p0_BASIC_Einfach.pdf";
  const std::string attachment = dir / "Rechnung Nr. 1 – März.pdf";
  std::filesystem::copy_file(invoice, attachment);
  const std::string body =
      "Guten Tag,\n\ndie Rechnung lässt sich nicht einlesen.\n.\nEine Zeile mit Punkt, "
      "eine sehr lange Zeile " +
      std::string(200, 'x') + "\r\nund Leerzeichen am Ende   \nEnde";

  belvora::test::ScopedFakeInteraction ui;
  const int n = server_->received() + 1;
  ASSERT_TRUE(SendSupportMail(body, attachment, "  hilfe@example.com ")) << ui->calls[0].text;
  EXPECT_TRUE(ui->calls.empty());
  ASSERT_EQ(server_->received(), n);
  const std::string headers = server_->read(n, "headers");
  for (const char* line :
       {"\nFrom: support@example.org\n", "\nTo: hilfe@example.com\n",
        "\nSubject: Support-Anfrage von: Müller & Söhne GmbH, Kundennummer 4711\n",
        "\nMIME-Version: 1.0\n", "\nBody-Type: text/plain; charset=utf-8\n"})
    EXPECT_THAT(headers, HasSubstr(line));
  EXPECT_THAT(headers, testing::ContainsRegex("Message-ID: <[0-9a-f]{32}@example\\.org>\n"));
  EXPECT_THAT(headers, testing::ContainsRegex("^Date: [A-Z][a-z]{2}, [0-9]{2} [A-Z][a-z]{2} "
                                              "20[0-9]{2} [0-9:]{8} [+-][0-9]{4}\n"));
  EXPECT_EQ(server_->read(n, "defects"), "") << "the parser found nothing wrong";
  EXPECT_EQ(server_->read(n, "envelope"),
            "support@example.org\nhilfe@example.com\n" + std::string(kUser) + "\n");
  // Every line end arrives as CR LF.
  std::string sent = body;
  sent.erase(sent.find('\r'), 1);
  EXPECT_EQ(std::regex_replace(server_->read(n, "body"), std::regex("\r\n"), "\n"), sent);
  EXPECT_EQ(server_->read(n, "filename"), "Rechnung Nr. 1 – März.pdf");
  EXPECT_EQ(server_->read(n, "attachment"), readAll(invoice));
  const std::string raw = server_->read(n, "eml");
  EXPECT_EQ(raw.find(dir.path().string()), std::string::npos) << "no folder of the sender";
  EXPECT_EQ(raw.find("Müller"), std::string::npos) << "non-ASCII only encoded";
}

TEST_F(Mail, WithoutAttachmentThePlainTextIsTheWholeMessage) {
  const int n = server_->received() + 1;
  EXPECT_EQ(failure(good(), {"hilfe@example.com", "Kurz", "Nur Text", ""}), "");
  ASSERT_EQ(server_->received(), n);
  EXPECT_THAT(server_->read(n, "headers"), HasSubstr("\nSubject: Kurz\n"));
  EXPECT_THAT(server_->read(n, "headers"),
              HasSubstr("\nContent-Type: text/plain; charset=\"UTF-8\""));
  EXPECT_FALSE(std::filesystem::exists(server_->file(n, "attachment")));
  EXPECT_EQ(server_->read(n, "body"), "Nur Text\r\n");
}

TEST_F(Mail, EveryFailureGivesItsReasonSendsNothingAndEndsInTime) {
  int silent = -1, closed = -1;
  const auto with = [](auto change) {
    MailSettings s = good();
    change(s);
    return s;
  };
  const MailMessage ok{"hilfe@example.com", "Betreff", "Text", ""};
  const struct {
    MailSettings settings;
    MailMessage message;
    const char* reason;
  } cases[] = {
      {with([](MailSettings& s) { s.password = "falsch"; }), ok, "Login denied"},
      {with([&](MailSettings& s) { s.port = loopbackPort(false, closed); }), ok,
       "Couldn't connect to server"},
      // Accepts the connection but never says a word: the overall limit ends it.
      {with([&](MailSettings& s) {
         s.port = loopbackPort(true, silent);
         s.totalTimeout = std::chrono::seconds(2);
       }),
       ok, "timed out"},
      {with([](MailSettings& s) { s.caFile.clear(); }), ok, "SSL certificate problem"},
      {with([](MailSettings& s) {
         s.port = server_->other;
         s.caFile = *dir_ / "other.pem";
       }),
       ok, "subject name"},
      {with([](MailSettings& s) { s.server.clear(); }), ok, "no mail server is configured"},
      {with([](MailSettings& s) { s.server = "127.0.0.1/evil?"; }), ok, "is not a host name"},
      {with([](MailSettings& s) { s.password.clear(); }), ok, "no mail account is configured"},
      {good(), {"a@example.com\r\nBcc: b@example.com", "B", "T", ""}, "must not contain a line"},
      {good(), {"a@example.com", "B\nBcc: b@example.com", "T", ""}, "must not contain a line"},
      {good(), {"a@example.com, b@example.com", "B", "T", ""}, "is not one valid e-mail address"},
      {good(), {"Anna <a@example.com>", "B", "T", ""}, "not one valid"},
      {good(), {"", "B", "T", ""}, "not one valid"},
      // Checked before connecting: the server being down is not what is reported.
      {with([&](MailSettings& s) { s.port = loopbackPort(false, closed); }),
       {"a@example.com", "B", "T", "/nonexistent/RE 1.pdf"},
       "cannot open attachment '/nonexistent/RE 1.pdf': No such file or directory"},
      {with([&](MailSettings& s) { s.port = loopbackPort(false, closed); }),
       {"a@example.com", "B", "T", "/tmp"},
       "is not a file"},
  };
  const int before = server_->received();
  const auto start = std::chrono::steady_clock::now();
  for (const auto& c : cases) EXPECT_THAT(failure(c.settings, c.message), HasSubstr(c.reason));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  EXPECT_EQ(server_->received(), before);
  ::close(silent);
}

TEST_F(Mail, SupportMailReportsEveryFailureAsMessageAndFalse) {
  int closed = -1;
  writeSettings("[Mail]\nserver=127.0.0.1\nport=" + std::to_string(loopbackPort(false, closed)) +
                "\nuser=u\npassword=p\nsender=support@example.org\ncustomer=4711\n");
  belvora::test::ScopedFakeInteraction ui;
  EXPECT_FALSE(SendSupportMail("Text", "", "hilfe@example.com"));
  // Nothing configured at all.
  std::filesystem::remove_all(dir / "config");
  EXPECT_FALSE(SendSupportMail("Text", "", "hilfe@example.com"));
  ASSERT_EQ(ui->calls.size(), 2u);
  EXPECT_EQ(ui->calls[0].title, "Note");
  EXPECT_EQ(ui->calls[0].icon, belvora::ui::Icon::Critical);
  EXPECT_THAT(ui->calls[0].text, testing::StartsWith("Fehler beim Senden der Nachricht: mail "
                                                     "server 127.0.0.1 port "));
  EXPECT_THAT(ui->calls[1].text, HasSubstr("no customer identification is configured"));
}

TEST_F(Mail, VariablesOverrideTheFileAndAReadablePasswordIsRefused) {
  writeSettings(
      "[Mail]\nserver=smtp.example.org\nport=587\nuser=file-user\npassword=geheim\n"
      "sender=a@example.org\ncustomer=Datei\n");
  ::setenv("BELVORA_SMTP_SERVER", "mail.example.net", 1);
  ::setenv("BELVORA_SMTP_PORT", "2465", 1);
  ::setenv("BELVORA_SMTP_CUSTOMER", "Umgebung", 1);
  const MailSettings s = LoadMailSettings();
  EXPECT_EQ(
      s.server + "|" + std::to_string(s.port) + "|" + s.user + "|" + s.password + "|" + s.customer,
      "mail.example.net|2465|file-user|geheim|Umgebung");
  EXPECT_EQ(s.connectTimeout, std::chrono::seconds(60));
  ::setenv("BELVORA_SMTP_PORT", "465x", 1);
  EXPECT_THROW(LoadMailSettings(), std::runtime_error);
  ::unsetenv("BELVORA_SMTP_PORT");
  ::unsetenv("BELVORA_SMTP_SERVER");
  writeSettings("[Mail]\npassword=geheim\n", 0644);
  EXPECT_THROW_HAS(LoadMailSettings(), "chmod 600");
  writeSettings("[Mail]\nserver=x.example\n", 0644);
  EXPECT_EQ(LoadMailSettings().server, "x.example") << "no password, nothing to protect";
}

}  // namespace
