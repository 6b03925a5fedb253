#include "belvora/clsXConverter.h"

#include <exception>
#include <iostream>

#include "messages/Messages.h"
#include "platform/ui/Interaction.h"
#include "platform/ui/Trap.h"
#include "reader/ConsoleView.h"
#include "reader/ReadXML.h"
#include "reader/ReaderSettings.h"
#include "reader/ViewModel.h"
#include "reader/ViewerWindow.h"

namespace belvora {
namespace {

// What the reader says when a read fails on an error of its own: the
// error's description under the default title.
void ReportReadFailure(std::exception_ptr error) {
  ui::current().message(messages::kDefaultTitle, ui::DescriptionOf(error), ui::Icon::Critical);
}

}  // namespace

// The viewer of one call: its fields live only as long as the call.
struct clsXConverter::Impl {
  // Reads the invoice named by the settings and shows it. False when it
  // cannot be read, when an attachment was lost, or when the invoice could
  // not be stored (each reported). A PDF's work file lives as long as the
  // settings.
  static bool Aufruf(reader::ReaderSettings& settings) {
    reader::ViewModel view;
    if (!reader::ReadXML(settings, view)) return false;
    const reader::ViewerWindow window = reader::ActiveViewerWindow();
    const bool kept =
        window ? window(view, settings) : reader::ShowConsoleView(view, settings, std::cout);
    return kept && !settings.attachmentsLost;
  }
};

clsXConverter::clsXConverter() : impl_(std::make_unique<Impl>()) {}
clsXConverter::~clsXConverter() = default;

bool clsXConverter::XConverter(const std::string& strFile, const std::string& strFolder,
                               const std::string& Connect, const std::string& tbl,
                               const std::string& Sprache, bool bolFrage) {
  return ui::Trap(ReportReadFailure, [&] {
    // Every call reads with its own settings: objects and threads never share them.
    reader::ReaderSettings settings;
    settings.invoiceFile = strFile;
    settings.outputFolder = strFolder;
    settings.connection = Connect;
    settings.documentsTable = tbl;
    settings.language = Sprache;
    settings.ask = bolFrage;
    settings.maxInvoiceSize = reader::LoadMaxInvoiceSize(Sprache);
    return Impl::Aufruf(settings);
  });
}

}  // namespace belvora
