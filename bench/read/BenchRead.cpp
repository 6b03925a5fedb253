// Times reading a generated CII invoice of N lines into the view model
// (parse, syntax detection, every reader operation) and the same through a
// hybrid PDF that carries it as a compressed embedded file, against
// `xmllint --noout` on the XML. Prints one row per size; the median of
// several runs is taken. Usage: bench_read [lines ...] (default 1000 10000 100000).
#ifndef POINTERHOLDER_TRANSITION
#define POINTERHOLDER_TRANSITION 4
#endif
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Interaction.h"
#include "reader/ReadXML.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class Silent : public belvora::ui::Interaction {
 public:
  void message(const std::string& t, const std::string& m, belvora::ui::Icon) override {
    std::fprintf(stderr, "[%s] %s\n", t.c_str(), m.c_str());
  }
  bool question(const std::string&, const std::string&, belvora::ui::Icon, bool) override {
    return false;
  }
  std::string input(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  std::string chooseFile(const std::string&, const std::string&) override { return {}; }
  std::string chooseFolder(const std::string&) override { return {}; }
};

std::string money(long cents) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%ld.%02ld", cents / 100, cents % 100);
  return buf;
}

// A CII invoice as producers write it: indented, one element per line.
std::string makeInvoice(int lines) {
  std::string x;
  x.reserve(static_cast<size_t>(lines) * 1400 + 4096);
  x += R"(<?xml version="1.0" encoding="UTF-8"?>
<rsm:CrossIndustryInvoice xmlns:rsm="urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100" xmlns:ram="urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:100" xmlns:qdt="urn:un:unece:uncefact:data:standard:QualifiedDataType:100" xmlns:udt="urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100">
  <rsm:ExchangedDocumentContext>
    <ram:GuidelineSpecifiedDocumentContextParameter>
      <ram:ID>urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0</ram:ID>
    </ram:GuidelineSpecifiedDocumentContextParameter>
  </rsm:ExchangedDocumentContext>
  <rsm:ExchangedDocument>
    <ram:ID>BENCH-)" +
       std::to_string(lines) + R"(</ram:ID>
    <ram:TypeCode>380</ram:TypeCode>
    <ram:IssueDateTime>
      <udt:DateTimeString format="102">20240305</udt:DateTimeString>
    </ram:IssueDateTime>
    <ram:IncludedNote>
      <ram:Content>Sammelrechnung</ram:Content>
    </ram:IncludedNote>
  </rsm:ExchangedDocument>
  <rsm:SupplyChainTradeTransaction>
)";
  long total = 0;
  for (int i = 1; i <= lines; ++i) {
    const long price = 100 + (i % 97) * 25;  // cents
    const long qty = 1 + i % 7;
    total += price * qty;
    const std::string n = std::to_string(i);
    x += "    <ram:IncludedSupplyChainTradeLineItem>\n"
         "      <ram:AssociatedDocumentLineDocument>\n"
         "        <ram:LineID>" +
         n +
         "</ram:LineID>\n"
         "      </ram:AssociatedDocumentLineDocument>\n"
         "      <ram:SpecifiedTradeProduct>\n"
         "        <ram:SellerAssignedID>ART-" +
         n +
         "</ram:SellerAssignedID>\n"
         "        <ram:Name>Artikel " +
         n +
         "</ram:Name>\n"
         "        <ram:Description>Schrauben, verzinkt, Packung " +
         n +
         "</ram:Description>\n"
         "      </ram:SpecifiedTradeProduct>\n"
         "      <ram:SpecifiedLineTradeAgreement>\n"
         "        <ram:NetPriceProductTradePrice>\n"
         "          <ram:ChargeAmount>" +
         money(price) +
         "</ram:ChargeAmount>\n"
         "        </ram:NetPriceProductTradePrice>\n"
         "      </ram:SpecifiedLineTradeAgreement>\n"
         "      <ram:SpecifiedLineTradeDelivery>\n"
         "        <ram:BilledQuantity unitCode=\"C62\">" +
         std::to_string(qty) +
         "</ram:BilledQuantity>\n"
         "      </ram:SpecifiedLineTradeDelivery>\n"
         "      <ram:SpecifiedLineTradeSettlement>\n"
         "        <ram:ApplicableTradeTax>\n"
         "          <ram:TypeCode>VAT</ram:TypeCode>\n"
         "          <ram:CategoryCode>S</ram:CategoryCode>\n"
         "          <ram:RateApplicablePercent>19</ram:RateApplicablePercent>\n"
         "        </ram:ApplicableTradeTax>\n";
    if (i % 100 == 0) {
      x += "        <ram:SpecifiedTradeAllowanceCharge>\n"
           "          <ram:ChargeIndicator>\n"
           "            <udt:Indicator>false</udt:Indicator>\n"
           "          </ram:ChargeIndicator>\n"
           "          <ram:ActualAmount>0.00</ram:ActualAmount>\n"
           "          <ram:Reason>Mengenrabatt</ram:Reason>\n"
           "        </ram:SpecifiedTradeAllowanceCharge>\n";
    }
    x += "        <ram:SpecifiedTradeSettlementLineMonetarySummation>\n"
         "          <ram:LineTotalAmount>" +
         money(price * qty) +
         "</ram:LineTotalAmount>\n"
         "        </ram:SpecifiedTradeSettlementLineMonetarySummation>\n"
         "      </ram:SpecifiedLineTradeSettlement>\n"
         "    </ram:IncludedSupplyChainTradeLineItem>\n";
  }
  const long tax = (total * 19 + 50) / 100;
  x += R"(    <ram:ApplicableHeaderTradeAgreement>
      <ram:BuyerReference>04011000-12345-67</ram:BuyerReference>
      <ram:SellerTradeParty>
        <ram:Name>Schraubenhandel Nord GmbH</ram:Name>
        <ram:PostalTradeAddress>
          <ram:PostcodeCode>20095</ram:PostcodeCode>
          <ram:LineOne>Hafenstrasse 1</ram:LineOne>
          <ram:CityName>Hamburg</ram:CityName>
          <ram:CountryID>DE</ram:CountryID>
        </ram:PostalTradeAddress>
        <ram:SpecifiedTaxRegistration>
          <ram:ID schemeID="VA">DE123456789</ram:ID>
        </ram:SpecifiedTaxRegistration>
      </ram:SellerTradeParty>
      <ram:BuyerTradeParty>
        <ram:Name>Stadtwerke Musterstadt</ram:Name>
        <ram:PostalTradeAddress>
          <ram:PostcodeCode>12345</ram:PostcodeCode>
          <ram:LineOne>Rathausplatz 2</ram:LineOne>
          <ram:CityName>Musterstadt</ram:CityName>
          <ram:CountryID>DE</ram:CountryID>
        </ram:PostalTradeAddress>
      </ram:BuyerTradeParty>
    </ram:ApplicableHeaderTradeAgreement>
    <ram:ApplicableHeaderTradeDelivery/>
    <ram:ApplicableHeaderTradeSettlement>
      <ram:InvoiceCurrencyCode>EUR</ram:InvoiceCurrencyCode>
      <ram:ApplicableTradeTax>
        <ram:CalculatedAmount>)" +
       money(tax) + R"(</ram:CalculatedAmount>
        <ram:TypeCode>VAT</ram:TypeCode>
        <ram:BasisAmount>)" +
       money(total) + R"(</ram:BasisAmount>
        <ram:CategoryCode>S</ram:CategoryCode>
        <ram:RateApplicablePercent>19</ram:RateApplicablePercent>
      </ram:ApplicableTradeTax>
      <ram:SpecifiedTradePaymentTerms>
        <ram:Description>Zahlbar innerhalb von 30 Tagen</ram:Description>
        <ram:DueDateDateTime>
          <udt:DateTimeString format="102">20240404</udt:DateTimeString>
        </ram:DueDateDateTime>
      </ram:SpecifiedTradePaymentTerms>
      <ram:SpecifiedTradeSettlementHeaderMonetarySummation>
        <ram:LineTotalAmount>)" +
       money(total) + R"(</ram:LineTotalAmount>
        <ram:TaxBasisTotalAmount>)" +
       money(total) + R"(</ram:TaxBasisTotalAmount>
        <ram:TaxTotalAmount currencyID="EUR">)" +
       money(tax) + R"(</ram:TaxTotalAmount>
        <ram:GrandTotalAmount>)" +
       money(total + tax) + R"(</ram:GrandTotalAmount>
        <ram:DuePayableAmount>)" +
       money(total + tax) + R"(</ram:DuePayableAmount>
      </ram:SpecifiedTradeSettlementHeaderMonetarySummation>
    </ram:ApplicableHeaderTradeSettlement>
  </rsm:SupplyChainTradeTransaction>
</rsm:CrossIndustryInvoice>
)";
  return x;
}

// A one-page-less PDF carrying the invoice as a compressed embedded file,
// listed in the EmbeddedFiles name tree and as an associated file.
void makeHybridPdf(const std::string& xml, const std::string& path) {
  QPDF pdf;
  pdf.emptyPDF();
  QPDFObjectHandle stream = pdf.newStream(xml);
  stream.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/EmbeddedFile"));
  stream.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/text#2fxml"));
  QPDFObjectHandle ef = QPDFObjectHandle::newDictionary();
  ef.replaceKey("/F", stream);
  ef.replaceKey("/UF", stream);
  QPDFObjectHandle fileSpec = QPDFObjectHandle::newDictionary();
  fileSpec.replaceKey("/Type", QPDFObjectHandle::newName("/Filespec"));
  fileSpec.replaceKey("/F", QPDFObjectHandle::newString("factur-x.xml"));
  fileSpec.replaceKey("/UF", QPDFObjectHandle::newUnicodeString("factur-x.xml"));
  fileSpec.replaceKey("/AFRelationship", QPDFObjectHandle::newName("/Data"));
  fileSpec.replaceKey("/EF", ef);
  fileSpec = pdf.makeIndirectObject(fileSpec);
  QPDFObjectHandle leaf = QPDFObjectHandle::newDictionary();
  leaf.replaceKey("/Names", QPDFObjectHandle::newArray(
                                {QPDFObjectHandle::newString("factur-x.xml"), fileSpec}));
  QPDFObjectHandle names = QPDFObjectHandle::newDictionary();
  names.replaceKey("/EmbeddedFiles", leaf);
  pdf.getRoot().replaceKey("/Names", names);
  pdf.getRoot().replaceKey("/AF", QPDFObjectHandle::newArray({fileSpec}));
  QPDFWriter w(pdf, path.c_str());
  w.setCompressStreams(true);
  w.write();
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double median(const std::function<void()>& run, int repeats) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const auto start = Clock::now();
    run();
    times.push_back(seconds(Clock::now() - start));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void xmllint(const std::string& path) {
  const char* argv[] = {"xmllint", "--noout", path.c_str(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "xmllint", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
    std::fprintf(stderr, "cannot start xmllint\n");
    std::exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "xmllint rejected %s\n", path.c_str());
    std::exit(1);
  }
}

std::size_t readInto(const std::string& path) {
  belvora::reader::ReaderSettings settings;
  settings.invoiceFile = path;
  belvora::reader::ViewModel view;
  if (!belvora::reader::ReadXML(settings, view)) {
    std::fprintf(stderr, "reading %s failed\n", path.c_str());
    std::exit(1);
  }
  return view.lvTable.rows.size();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {1000, 10000, 100000};

  std::string pattern = (fs::temp_directory_path() / "belvora-bench-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return 1;
  const fs::path dir = pattern;
  ::setenv("TMPDIR", dir.c_str(), 1);  // the PDF's work file goes here too
  belvora::ui::install(std::make_unique<Silent>());

  std::printf("%8s %10s %10s %10s %10s %8s %8s %12s\n", "lines", "xml MB", "xmllint s", "read s",
              "pdf s", "read/xl", "pdf/xl", "read us/line");
  for (int lines : sizes) {
    const std::string xml = makeInvoice(lines);
    const std::string xmlPath = (dir / ("invoice-" + std::to_string(lines) + ".xml")).string();
    const std::string pdfPath = (dir / ("invoice-" + std::to_string(lines) + ".pdf")).string();
    std::ofstream(xmlPath, std::ios::binary) << xml;
    makeHybridPdf(xml, pdfPath);

    const int repeats = lines >= 100000 ? 3 : 5;
    if (readInto(xmlPath) != static_cast<std::size_t>(lines) ||
        readInto(pdfPath) != static_cast<std::size_t>(lines)) {
      std::fprintf(stderr, "line grid incomplete for %d lines\n", lines);
      return 1;
    }
    const double lint = median([&] { xmllint(xmlPath); }, repeats);
    const double read = median([&] { readInto(xmlPath); }, repeats);
    const double fromPdf = median([&] { readInto(pdfPath); }, repeats);
    std::printf("%8d %10.1f %10.3f %10.3f %10.3f %8.2f %8.2f %12.2f\n", lines,
                static_cast<double>(xml.size()) / 1e6, lint, read, fromPdf, read / lint,
                fromPdf / lint, read * 1e6 / lines);
    std::fflush(stdout);
  }
  fs::remove_all(dir);
  return 0;
}
