// The code list rules (BR-CL-01 to -26) and the VAT identifier prefixes
// (BR-CO-09). The lists are those of the official artefacts
// (RulesTables.cpp); a code is compared as XPath's normalize-space leaves it.

#include "model/RulesCheck.h"
#include "model/RulesTables.h"
#include "model/TaxPointCodes.h"
#include "platform/sys/Ascii.h"

namespace belvora::model::rules {

void Checker::CheckCodes() {
  auto code = [&](std::string_view rule, CodeList list, std::string_view value,
                  std::string_view term, std::optional<std::size_t> line = std::nullopt) {
    if (Has(value) && !InCodeList(list, Trim(value))) Add(rule, term, line, Value(value));
  };
  const Invoice& inv = inv_;
  code("BR-CL-01", CodeList::Untdid1001, inv.typeCode, "BT-3");
  code("BR-CL-04", CodeList::Iso4217, inv.currency, "BT-5");
  code("BR-CL-05", CodeList::Iso4217, inv.vatAccountingCurrency, "BT-6");
  // The VAT totals carry their currency as an attribute.
  if (inv.totals.vatTotal) code("BR-CL-03", CodeList::Iso4217, inv.currency, "BT-110");
  if (inv.totals.vatTotalInAccountingCurrency)
    code("BR-CL-03", CodeList::Iso4217, inv.vatAccountingCurrency, "BT-111");
  if (Has(inv.taxPointDateCode)) {
    const std::string_view cii = TaxPointCodeToCii(Trim(inv.taxPointDateCode));
    if (cii.empty() || !InCodeList(CodeList::TaxPointCii, cii))
      Add("BR-CL-06", "BT-8", std::nullopt, Value(inv.taxPointDateCode));
  }
  code("BR-CL-07", CodeList::Untdid1153, inv.invoicedObjectId.scheme, "BT-18");
  for (const auto& n : inv.notes) code("BR-CL-08", CodeList::Untdid4451, n.subjectCode, "BT-21");

  for (const auto& id : inv.seller.ids) code("BR-CL-10", CodeList::IsoIcd, id.scheme, "BT-29");
  for (const auto& id : inv.buyer.ids) code("BR-CL-10", CodeList::IsoIcd, id.scheme, "BT-46");
  code("BR-CL-10", CodeList::IsoIcd, inv.payee.id.scheme, "BT-60");
  code("BR-CL-11", CodeList::IsoIcd, inv.seller.legalRegistration.scheme, "BT-30");
  code("BR-CL-11", CodeList::IsoIcd, inv.buyer.legalRegistration.scheme, "BT-47");
  code("BR-CL-11", CodeList::IsoIcd, inv.payee.legalRegistration.scheme, "BT-61");
  code("BR-CL-14", CodeList::Iso3166, inv.seller.address.countryCode, "BT-40");
  code("BR-CL-14", CodeList::Iso3166, inv.buyer.address.countryCode, "BT-55");
  code("BR-CL-14", CodeList::Iso3166, inv.taxRepresentative.address.countryCode, "BT-69");
  code("BR-CL-14", CodeList::Iso3166, inv.delivery.address.countryCode, "BT-80");
  for (const auto& pm : inv.paymentMeans) code("BR-CL-16", CodeList::Untdid4461, pm.code, "BT-81");
  for (const auto& ac : inv.allowancesCharges) {
    code("BR-CL-17", CodeList::Untdid5305, ac.vatCategory, ac.charge ? "BT-102" : "BT-95");
    if (ac.charge)
      code("BR-CL-20", CodeList::Untdid7161, ac.reasonCode, "BT-105");
    else
      code("BR-CL-19", CodeList::Untdid5189, ac.reasonCode, "BT-98");
  }
  for (const auto& g : inv.vatBreakdown) {
    code("BR-CL-18", CodeList::Untdid5305, g.category, "BT-118");
    // The exemption reason code alone is compared in capitals.
    if (Has(g.exemptionReasonCode) &&
        !InCodeList(CodeList::Vatex, ascii::Upper(Trim(g.exemptionReasonCode))))
      Add("BR-CL-22", "BT-121", std::nullopt, Value(g.exemptionReasonCode));
  }
  for (const auto& a : inv.attachments)
    if (!a.mimeCode.empty() && !InCodeList(CodeList::Mime, a.mimeCode))
      Add("BR-CL-24", "BT-125", std::nullopt, Value(a.mimeCode));
  code("BR-CL-25", CodeList::Eas, inv.seller.electronicAddress.scheme, "BT-34");
  code("BR-CL-25", CodeList::Eas, inv.buyer.electronicAddress.scheme, "BT-49");
  code("BR-CL-26", CodeList::IsoIcd, inv.delivery.locationId.scheme, "BT-71");

  auto prefix = [&](const std::string& vatId, std::string_view term) {
    if (!Has(vatId)) return;
    const std::string_view id = Trim(vatId);
    if (!InCodeList(CodeList::VatPrefix, id.substr(0, 2)))
      Add("BR-CO-09", term, std::nullopt, Value(vatId));
  };
  prefix(inv.seller.vatId, "BT-31");
  prefix(inv.buyer.vatId, "BT-48");
  prefix(inv.taxRepresentative.vatId, "BT-63");

  for (const Line& l : inv.lines) {
    const std::size_t row = l.sourceRow;
    code("BR-CL-07", CodeList::Untdid1153, l.objectId.scheme, "BT-128", row);
    for (const auto& c : l.classifications)
      code("BR-CL-13", CodeList::Untdid7143, c.listId, "BT-158", row);
    code("BR-CL-15", CodeList::Iso3166, l.originCountry, "BT-159", row);
    code("BR-CL-18", CodeList::Untdid5305, l.vatCategory, "BT-151", row);
    for (const auto& ac : l.allowancesCharges) {
      if (ac.charge)
        code("BR-CL-20", CodeList::Untdid7161, ac.reasonCode, "BT-145", row);
      else
        code("BR-CL-19", CodeList::Untdid5189, ac.reasonCode, "BT-140", row);
    }
    code("BR-CL-21", CodeList::IsoIcd, l.standardId.scheme, "BT-157", row);
    code("BR-CL-23", CodeList::Rec20, l.unitCode, "BT-130", row);
    code("BR-CL-23", CodeList::Rec20, l.baseQuantityUnit, "BT-150", row);
  }
}

}  // namespace belvora::model::rules
