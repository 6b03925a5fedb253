// Times CheckInvoice on an XRechnung invoice of N lines (each with an item
// attribute, a classification and a line allowance, the rules' usual work)
// and prints the median of several runs per size, as wall time and as the
// thread's CPU time (which other work on a shared machine disturbs less).
// Usage: bench_rules [lines ...] (default 1000 10000 100000).

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/Rules.h"
#include "model/RulesTables.h"

using namespace belvora::model;

namespace {

Decimal D(const char* t) { return *Decimal::parse(t); }

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

Invoice Make(std::size_t lines) {
  Invoice i;
  i.specificationId = std::string(rules::kXRechnungCius);
  i.businessProcess = "urn:fdc:peppol.eu:2017:poacc:billing:01:1.0";
  i.number = "RE-1";
  i.issueDate = Date{2024, 3, 5};
  i.typeCode = "380";
  i.currency = "EUR";
  i.buyerReference = "04011000-12345-34";
  i.seller.name = "Muster GmbH";
  i.seller.vatId = "DE123456789";
  i.seller.address = {"Hauptstr. 1", "", "", "Bremen", "28195", "", "DE"};
  i.seller.contact = {"Anna Muster", "0421 123456", "anna@muster.de"};
  i.seller.electronicAddress = {"rechnung@muster.de", "EM"};
  i.buyer.name = "Kunde AG";
  i.buyer.address = {"Am Markt 2", "", "", "Köln", "50667", "", "DE"};
  i.buyer.electronicAddress = {"eingang@kunde.de", "EM"};
  i.paymentMeans.push_back({"58", "", {{"DE75512108001245126199", "", ""}}, "", "", ""});
  for (std::size_t r = 1; r <= lines; ++r) {
    Line l;
    l.sourceRow = r;
    l.id = std::to_string(r);
    l.quantity = D("2");
    l.unitCode = r % 2 ? "C62" : "HUR";
    l.netAmount = D("9.00");
    l.netPrice = D("5.00");
    l.vatCategory = "S";
    l.vatRate = D("19");
    l.itemName = "Artikel " + l.id;
    l.originCountry = "DE";
    l.attributes.push_back({"Farbe", "blau"});
    l.classifications.push_back({"43211503", "MP", ""});
    l.allowancesCharges.push_back({false, D("1.00"), {}, {}, "", {}, "Rabatt", "95"});
    i.lines.push_back(std::move(l));
  }
  const Decimal net = Decimal::fromInt(static_cast<std::int64_t>(lines) * 9);
  const Decimal tax = PercentOf(net, D("19"), 2);
  i.vatBreakdown.push_back({net, tax, "S", D("19"), "", ""});
  i.totals.lineNetTotal = net;
  i.totals.totalWithoutVat = net;
  i.totals.vatTotal = tax;
  i.totals.totalWithVat = net + tax;
  i.totals.amountDue = net + tax;
  return i;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::size_t> sizes;
  for (int a = 1; a < argc; ++a) sizes.push_back(std::strtoul(argv[a], nullptr, 10));
  if (sizes.empty()) sizes = {1000, 10000, 100000};
  std::printf("%10s %12s %12s %14s\n", "lines", "wall ms", "cpu ms", "cpu us/line");
  for (const std::size_t n : sizes) {
    const Invoice inv = Make(n);
    std::vector<double> ms, cpu;
    for (int run = 0; run < 7; ++run) {
      const auto start = std::chrono::steady_clock::now();
      const double cpuStart = CpuMs();
      const auto v = CheckInvoice(inv);
      cpu.push_back(CpuMs() - cpuStart);
      ms.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count());
      if (!v.empty()) {
        std::fprintf(stderr, "unexpected violations:\n%s\n", ViolationsText(v, false).c_str());
        return 1;
      }
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    const double c = cpu[cpu.size() / 2];
    std::printf("%10zu %12.2f %12.2f %14.3f\n", n, ms[ms.size() / 2], c, 1000 * c / n);
  }
  return 0;
}
