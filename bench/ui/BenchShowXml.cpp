// Times the viewer's "Show XML" on a generated invoice file of N megabytes
// whose bulk is one Base64 attachment in a single line, as the writer
// produces it: the click until the text is in the box, then scrolling to
// the end and painting. Runs on the offscreen platform.
// Usage: bench_show_xml [megabytes ...] (default 1 10 100).
#include <stdlib.h>

#include <QApplication>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "dialogs/frmXConverter.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string makeFile(std::size_t megabytes) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("belvora-showxml-" + std::to_string(megabytes) + ".xml"))
                               .string();
  std::ofstream out(path, std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<rsm:CrossIndustryInvoice>\r\n"
         "<ram:AttachmentBinaryObject mimeCode=\"application/pdf\" filename=\"a.pdf\">";
  const std::string chunk(1 << 20, 'Q');
  for (std::size_t i = 0; i < megabytes; ++i) out << chunk;
  out << "</ram:AttachmentBinaryObject>\r\n</rsm:CrossIndustryInvoice>";
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  std::vector<std::size_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::stoul(argv[i]));
  if (sizes.empty()) sizes = {1, 10, 100};
  std::printf("%10s %12s %12s\n", "MB", "show (s)", "scroll (s)");
  for (std::size_t mb : sizes) {
    const std::string file = makeFile(mb);
    belvora::reader::ViewModel view;
    belvora::reader::ReaderSettings settings;
    settings.invoiceFile = file;
    belvora::dialogs::frmXConverter window(view, settings);
    window.show();
    window.findChild<QTabWidget*>("sstab")->setCurrentIndex(1);
    QApplication::processEvents();
    auto start = Clock::now();
    window.findChild<QPushButton*>("btnRead")->click();
    QApplication::processEvents();
    const double show = seconds(start);
    auto* text = window.findChild<QPlainTextEdit*>("txtXML");
    start = Clock::now();
    text->verticalScrollBar()->setValue(text->verticalScrollBar()->maximum());
    text->grab();
    text->verticalScrollBar()->setValue(text->verticalScrollBar()->maximum() / 2);
    text->grab();
    const double scroll = seconds(start);
    std::printf("%10zu %12.2f %12.2f\n", mb, show, scroll);
    std::filesystem::remove(file);
  }
  return 0;
}
