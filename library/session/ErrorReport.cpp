#include "session/ErrorReport.h"

#include <system_error>

#include "messages/Messages.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Trap.h"

namespace belvora::session {
namespace msg = messages;

ErrorReport DescribeError(std::exception_ptr error) {
  ErrorReport report;
  report.description = ui::DescriptionOf(error);
  try {
    if (error) std::rethrow_exception(error);
  } catch (const std::system_error& e) {
    report.number = e.code().value() ? e.code().value() : 1;
    report.systemCode = e.code().value();
  } catch (...) {
  }
  return report;
}

std::string ErrorInDllText(const ErrorReport& report) {
  std::string t = msg::creation::kErrorOccurred;
  t += std::to_string(report.number);
  t += msg::kLineBreak;
  t += report.description;
  t += msg::kLineBreak;
  t += std::to_string(report.systemCode);
  t += msg::kLineBreak;
  t += msg::creation::kErrorSource;
  return t;
}

void ShowErrorInDll(std::exception_ptr error) {
  ui::current().message(msg::creation::kTitleError, ErrorInDllText(DescribeError(error)),
                        ui::Icon::Critical);
}

std::string ConnectFailedText(const std::string& description) {
  std::string t = msg::creation::kConnectFailed;
  t += msg::kLineBreak;
  t += msg::creation::kConnectNote;
  t += msg::kLineBreak;
  t += std::string(50, '-');
  t += msg::kLineBreak;
  t += msg::kLineBreak;
  t += description;
  return t;
}

void ShowConnectFailed(std::exception_ptr error) {
  ui::current().message(msg::kTitleNote, ConnectFailedText(DescribeError(error).description),
                        ui::Icon::Information);
}

}  // namespace belvora::session
