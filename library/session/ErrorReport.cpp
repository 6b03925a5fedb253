#include "session/ErrorReport.h"

#include <system_error>

#include "platform/ui/Interaction.h"
#include "session/Messages.h"

namespace belvora::session {

ErrorReport DescribeError(std::exception_ptr error) {
  ErrorReport report;
  try {
    if (error) std::rethrow_exception(error);
    report.description = "unknown error";
  } catch (const std::system_error& e) {
    report.number = e.code().value() ? e.code().value() : 1;
    report.systemCode = e.code().value();
    report.description = e.what();
  } catch (const std::exception& e) {
    report.description = e.what();
  } catch (...) {
    report.description = "unknown error";
  }
  return report;
}

std::string ErrorInDllText(const ErrorReport& report) {
  std::string t = text::kErrorOccurred;
  t += std::to_string(report.number);
  t += text::kLineBreak;
  t += report.description;
  t += text::kLineBreak;
  t += std::to_string(report.systemCode);
  t += text::kLineBreak;
  t += text::kErrorSource;
  return t;
}

void ShowErrorInDll(std::exception_ptr error) {
  ui::current().message(text::kTitleError, ErrorInDllText(DescribeError(error)),
                        ui::Icon::Critical);
}

std::string ConnectFailedText(const std::string& description) {
  std::string t = text::kConnectFailed;
  t += text::kLineBreak;
  t += text::kConnectNote;
  t += text::kLineBreak;
  t += std::string(50, '-');
  t += text::kLineBreak;
  t += text::kLineBreak;
  t += description;
  return t;
}

}  // namespace belvora::session
