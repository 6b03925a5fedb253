// The transport: one message over SMTP with implicit TLS through libcurl.
#include <curl/curl.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "messages/Messages.h"
#include "platform/mail/MailText.h"
#include "platform/mail/SupportMail.h"
#include "platform/sys/Files.h"

namespace belvora::mail {
namespace {

namespace text = ::belvora::messages::mail;
using ::belvora::messages::Fill;

// Larger attachments are refused before connecting; most servers refuse
// messages of this size anyway.
constexpr off_t kMaxAttachmentBytes = 20 * 1024 * 1024;

struct CurlDeleter {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct SlistDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

void globalInit() {
  static std::once_flag once;
  static CURLcode result = CURLE_OK;
  std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
  if (result != CURLE_OK)
    throw std::runtime_error(std::string(text::kCannotStart) + curl_easy_strerror(result));
}

[[noreturn]] void fail(const std::string& reason) { throw std::runtime_error(reason); }

std::string trimBlanks(const std::string& s) {
  auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// Host names and IP addresses only: nothing that would change the URL.
std::string serverInUrl(const std::string& server) {
  if (server.empty()) fail(text::kNoServer);
  bool v6 = server.find(':') != std::string::npos;
  for (char c : server) {
    bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
              (v6 ? c == ':' || c == '.' : c == '.' || c == '-');
    if (!ok) fail(Fill(text::kBadServer, {server}));
  }
  return v6 ? "[" + server + "]" : server;
}

std::string uniqueId() {
  unsigned char random[16];
  if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
    fail(std::string(text::kNoRandom) + std::strerror(errno));
  static constexpr char kHex[] = "0123456789abcdef";
  std::string id;
  for (unsigned char b : random) {
    id += kHex[b >> 4];
    id += kHex[b & 15];
  }
  return id;
}

// The whole file, read before any connection is made.
std::string readAttachment(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail(Fill(text::kAttachmentUnopenable, {path, std::strerror(errno)}));
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0;
  int err = errno;
  ::close(fd);
  if (!ok) fail(Fill(text::kAttachmentUnreadable, {path, std::strerror(err)}));
  if (!S_ISREG(st.st_mode)) fail(Fill(text::kAttachmentNotFile, {path}));
  if (st.st_size > kMaxAttachmentBytes)
    fail(Fill(text::kAttachmentTooLarge,
              {path, std::to_string(kMaxAttachmentBytes / (1024 * 1024))}));
  try {
    return sys::readFile(path, "attachment");
  } catch (const std::exception& e) {
    fail(e.what());
  }
}

struct Upload {
  const std::string* text;
  size_t offset = 0;
};

size_t readUpload(char* buffer, size_t size, size_t count, void* user) {
  auto* up = static_cast<Upload*>(user);
  size_t n = std::min(size * count, up->text->size() - up->offset);
  std::memcpy(buffer, up->text->data() + up->offset, n);
  up->offset += n;
  return n;
}

template <typename T>
void set(CURL* curl, CURLoption option, T value) {
  CURLcode rc = curl_easy_setopt(curl, option, value);
  if (rc != CURLE_OK) fail(std::string(text::kSetupFailed) + curl_easy_strerror(rc));
}

}  // namespace

void Send(const MailSettings& settings, const MailMessage& message) {
  // Checks that need no connection come first.
  const std::string recipient = trimBlanks(message.recipient);
  if (recipient.find_first_of("\r\n") != std::string::npos) fail(text::kRecipientLineBreak);
  if (!IsValidAddress(recipient)) fail(Fill(text::kBadRecipient, {recipient}));
  if (message.subject.find_first_of("\r\n") != std::string::npos) fail(text::kSubjectLineBreak);
  const std::string host = serverInUrl(settings.server);
  if (settings.port < 1 || settings.port > 65535)
    fail(Fill(text::kBadPort, {std::to_string(settings.port)}));
  if (settings.user.empty() || settings.password.empty()) fail(text::kNoAccount);
  if (!IsValidAddress(settings.sender)) fail(Fill(text::kBadSender, {settings.sender}));
  if (!settings.caFile.empty() && ::access(settings.caFile.c_str(), R_OK) != 0)
    fail(Fill(text::kCaUnreadable, {settings.caFile, std::strerror(errno)}));

  ComposedMail mail;
  mail.from = settings.sender;
  mail.to = recipient;
  mail.subject = message.subject;
  mail.body = message.body;
  if (!message.attachmentPath.empty()) {
    mail.attachmentBytes = readAttachment(message.attachmentPath);
    mail.attachmentName = message.attachmentPath;
  }
  mail.date = std::time(nullptr);
  mail.uniqueId = uniqueId();
  std::string text;
  try {
    text = ComposeMail(mail);
  } catch (const std::invalid_argument& e) {
    fail(e.what());
  }

  globalInit();
  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl) fail(text::kNoTransport);
  CURL* c = curl.get();
  char error[CURL_ERROR_SIZE] = {};
  const std::string url = "smtps://" + host + ":" + std::to_string(settings.port);
  const std::string from = "<" + settings.sender + ">";
  std::unique_ptr<curl_slist, SlistDeleter> rcpt(
      curl_slist_append(nullptr, ("<" + recipient + ">").c_str()));
  if (!rcpt) fail(text::kOutOfMemory);
  Upload upload{&text};

  set(c, CURLOPT_ERRORBUFFER, error);
  set(c, CURLOPT_NOSIGNAL, 1L);
  set(c, CURLOPT_URL, url.c_str());
  set(c, CURLOPT_PROTOCOLS_STR, "smtps");
  set(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
  // Verification is never switched off; a private server brings its CA file.
  set(c, CURLOPT_SSL_VERIFYPEER, 1L);
  set(c, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!settings.caFile.empty()) set(c, CURLOPT_CAINFO, settings.caFile.c_str());
  set(c, CURLOPT_USERNAME, settings.user.c_str());
  set(c, CURLOPT_PASSWORD, settings.password.c_str());
  set(c, CURLOPT_MAIL_FROM, from.c_str());
  set(c, CURLOPT_MAIL_RCPT, rcpt.get());
  set(c, CURLOPT_UPLOAD, 1L);
  set(c, CURLOPT_READFUNCTION, &readUpload);
  set(c, CURLOPT_READDATA, &upload);
  set(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(text.size()));
  set(c, CURLOPT_CONNECTTIMEOUT, static_cast<long>(settings.connectTimeout.count()));
  set(c, CURLOPT_TIMEOUT, static_cast<long>(settings.totalTimeout.count()));

  CURLcode rc = curl_easy_perform(c);
  if (rc != CURLE_OK) {
    std::string reason = *error ? error : curl_easy_strerror(rc);
    fail(Fill(text::kServerFailed, {settings.server, std::to_string(settings.port), reason}));
  }
}

}  // namespace belvora::mail
