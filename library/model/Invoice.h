#pragma once

// One invoice as EN 16931 describes it: business groups (BG) and business
// terms (BT), with no syntax in it. The creation session assembles it from
// the source rows, the rules check it, and the CII writer serialises it;
// readers may fill it from a received document as well.
//
// Conventions: an empty text or an empty optional is an absent term. Texts
// are UTF-8 as the source gave them (not escaped); codes are held as given.
// Amounts, prices, quantities and percentages are exact decimals.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/db/Value.h"
#include "text/Decimal.h"

namespace belvora::model {

using text::Decimal;
using Date = db::Date;  // the time of day is not used

// An identifier with its optional scheme (BT-29 with BT-29-1, ...).
struct Identifier {
  std::string id;
  std::string scheme;
  bool empty() const { return id.empty(); }
};

// BG-5, BG-8, BG-12, BG-15.
struct Address {
  std::string line1;        // BT-35 / BT-50 / BT-64 / BT-75
  std::string line2;        // BT-36 / BT-51 / BT-65 / BT-76
  std::string line3;        // BT-162 / BT-163 / BT-164 / BT-165
  std::string city;         // BT-37 / BT-52 / BT-66 / BT-77
  std::string postCode;     // BT-38 / BT-53 / BT-67 / BT-78
  std::string subdivision;  // BT-39 / BT-54 / BT-68 / BT-79
  std::string countryCode;  // BT-40 / BT-55 / BT-69 / BT-80
  bool empty() const {
    return line1.empty() && line2.empty() && line3.empty() && city.empty() && postCode.empty() &&
           subdivision.empty() && countryCode.empty();
  }
};

// BG-6, BG-9.
struct Contact {
  std::string name;       // BT-41 / BT-56
  std::string telephone;  // BT-42 / BT-57
  std::string email;      // BT-43 / BT-58
  bool empty() const { return name.empty() && telephone.empty() && email.empty(); }
};

// BG-4 seller, BG-7 buyer.
struct Party {
  std::string name;                 // BT-27 / BT-44
  std::string tradingName;          // BT-28 / BT-45
  std::vector<Identifier> ids;      // BT-29 (0..n) / BT-46 (0..1), with schemes
  Identifier legalRegistration;     // BT-30 / BT-47, with scheme
  std::string vatId;                // BT-31 / BT-48
  std::string taxRegistration;      // BT-32 (seller only)
  std::string additionalLegalInfo;  // BT-33 (seller only)
  Identifier electronicAddress;     // BT-34 / BT-49, with scheme
  Address address;                  // BG-5 / BG-8
  Contact contact;                  // BG-6 / BG-9
};

// BG-10.
struct Payee {
  std::string name;              // BT-59
  Identifier id;                 // BT-60
  Identifier legalRegistration;  // BT-61
  bool empty() const { return name.empty() && id.empty() && legalRegistration.empty(); }
};

// BG-11.
struct TaxRepresentative {
  std::string name;   // BT-62
  std::string vatId;  // BT-63
  Address address;    // BG-12
  bool empty() const { return name.empty() && vatId.empty() && address.empty(); }
};

// BG-13 with BG-15.
struct Delivery {
  std::string partyName;           // BT-70
  Identifier locationId;           // BT-71
  std::optional<Date> actualDate;  // BT-72
  Address address;                 // BG-15
  bool empty() const {
    return partyName.empty() && locationId.empty() && !actualDate && address.empty();
  }
};

// BG-14, BG-26.
struct Period {
  std::optional<Date> start;  // BT-73 / BT-134
  std::optional<Date> end;    // BT-74 / BT-135
  bool empty() const { return !start && !end; }
};

// BG-1.
struct Note {
  std::string subjectCode;  // BT-21
  std::string text;         // BT-22
};

// BG-3.
struct PrecedingInvoice {
  std::string number;        // BT-25
  std::optional<Date> date;  // BT-26
};

// BG-17.
struct CreditTransfer {
  std::string accountId;    // BT-84
  std::string accountName;  // BT-85
  std::string providerId;   // BT-86
};

// BG-16 with BG-17, BG-18 and the debited account of BG-19. Each payment
// means carries its own code, text and accounts.
struct PaymentMeans {
  std::string code;                      // BT-81 (UNTDID 4461)
  std::string text;                      // BT-82
  std::vector<CreditTransfer> accounts;  // BG-17
  std::string cardNumber;                // BT-87
  std::string cardHolder;                // BT-88
  std::string debitedAccount;            // BT-91
};

// BG-20 / BG-21 (document level) and BG-27 / BG-28 (line level).
struct AllowanceCharge {
  bool charge = false;                // false: allowance, true: charge
  std::optional<Decimal> amount;      // BT-92 / BT-99 / BT-136 / BT-141
  std::optional<Decimal> baseAmount;  // BT-93 / BT-100 / BT-137 / BT-142
  std::optional<Decimal> percentage;  // BT-94 / BT-101 / BT-138 / BT-143
  std::string vatCategory;            // BT-95 / BT-102 (document level only)
  std::optional<Decimal> vatRate;     // BT-96 / BT-103 (document level only)
  std::string reason;                 // BT-97 / BT-104 / BT-139 / BT-144
  std::string reasonCode;             // BT-98 / BT-105 / BT-140 / BT-145
};

// BG-23, one per VAT category and rate.
struct VatBreakdown {
  Decimal taxableAmount;            // BT-116
  Decimal taxAmount;                // BT-117
  std::string category;             // BT-118 (UNTDID 5305)
  std::optional<Decimal> rate;      // BT-119 (absent for category O)
  std::string exemptionReason;      // BT-120
  std::string exemptionReasonCode;  // BT-121
};

// BG-22 as computed from the lines and the document allowances and charges.
struct Totals {
  Decimal lineNetTotal;                                 // BT-106
  std::optional<Decimal> allowanceTotal;                // BT-107
  std::optional<Decimal> chargeTotal;                   // BT-108
  Decimal totalWithoutVat;                              // BT-109
  std::optional<Decimal> vatTotal;                      // BT-110
  std::optional<Decimal> vatTotalInAccountingCurrency;  // BT-111
  Decimal totalWithVat;                                 // BT-112
  std::optional<Decimal> paidAmount;                    // BT-113, as the source gives it
  std::optional<Decimal> roundingAmount;                // BT-114, as the source gives it
  Decimal amountDue;                                    // BT-115
};

// BG-22 totals as the source states them, where it does (checked against
// the computed ones: an invoice must not disagree with the caller's books).
struct StatedTotals {
  std::optional<Decimal> totalWithoutVat;  // BT-109
  std::optional<Decimal> vatTotal;         // BT-110
  std::optional<Decimal> totalWithVat;     // BT-112
  std::optional<Decimal> amountDue;        // BT-115
};

// BG-24.
struct Attachment {
  std::string id;           // BT-122
  std::string description;  // BT-123
  std::string uri;          // BT-124
  std::string content;      // BT-125, the file's bytes (not Base64)
  std::string mimeCode;     // BT-125-1
  std::string fileName;     // BT-125-2
  std::string sourcePath;   // where the bytes were read from, for messages
};

// BG-32.
struct ItemAttribute {
  std::string name;   // BT-160
  std::string value;  // BT-161
};

// BG-31 classification.
struct Classification {
  std::string code;     // BT-158
  std::string listId;   // BT-158-1
  std::string version;  // BT-158-2
};

// BG-25 with BG-26 to BG-32.
struct Line {
  std::size_t sourceRow = 0;                       // 1-based row of the source, for messages
  std::string id;                                  // BT-126
  std::string note;                                // BT-127
  Identifier objectId;                             // BT-128 with scheme
  std::optional<Decimal> quantity;                 // BT-129
  std::string unitCode;                            // BT-130 (UNECE Rec 20/21)
  std::optional<Decimal> netAmount;                // BT-131
  std::string orderLineReference;                  // BT-132
  std::string accountingReference;                 // BT-133
  Period period;                                   // BG-26
  std::vector<AllowanceCharge> allowancesCharges;  // BG-27 / BG-28
  std::optional<Decimal> netPrice;                 // BT-146
  std::optional<Decimal> priceDiscount;            // BT-147
  std::optional<Decimal> grossPrice;               // BT-148
  std::optional<Decimal> baseQuantity;             // BT-149
  std::string baseQuantityUnit;                    // BT-150
  std::string vatCategory;                         // BT-151
  std::optional<Decimal> vatRate;                  // BT-152
  std::string itemName;                            // BT-153
  std::string itemDescription;                     // BT-154
  std::string sellerItemId;                        // BT-155
  std::string buyerItemId;                         // BT-156
  Identifier standardId;                           // BT-157 with scheme
  std::vector<Classification> classifications;     // BT-158
  std::string originCountry;                       // BT-159
  std::vector<ItemAttribute> attributes;           // BG-32
};

struct Invoice {
  // Document.
  std::string number;                               // BT-1
  std::optional<Date> issueDate;                    // BT-2
  std::string typeCode;                             // BT-3 (UNTDID 1001)
  std::string currency;                             // BT-5 (ISO 4217)
  std::string vatAccountingCurrency;                // BT-6
  std::optional<Date> taxPointDate;                 // BT-7
  std::string taxPointDateCode;                     // BT-8 (UNTDID 2005)
  std::optional<Date> dueDate;                      // BT-9
  std::string buyerReference;                       // BT-10
  std::string projectReference;                     // BT-11
  std::string contractReference;                    // BT-12
  std::string purchaseOrderReference;               // BT-13
  std::string salesOrderReference;                  // BT-14
  std::string receivingAdviceReference;             // BT-15
  std::string despatchAdviceReference;              // BT-16
  std::string tenderReference;                      // BT-17
  Identifier invoicedObjectId;                      // BT-18 with scheme
  std::string buyerAccountingReference;             // BT-19
  std::string paymentTerms;                         // BT-20
  std::vector<Note> notes;                          // BG-1
  std::string businessProcess;                      // BT-23
  std::string specificationId;                      // BT-24
  std::vector<PrecedingInvoice> precedingInvoices;  // BG-3

  // Parties.
  Party seller;                         // BG-4
  Party buyer;                          // BG-7
  Payee payee;                          // BG-10
  TaxRepresentative taxRepresentative;  // BG-11
  Delivery delivery;                    // BG-13
  Period invoicingPeriod;               // BG-14

  // Payment.
  std::string remittanceInformation;       // BT-83
  std::string mandateReference;            // BT-89
  std::string creditorId;                  // BT-90
  std::vector<PaymentMeans> paymentMeans;  // BG-16

  std::vector<AllowanceCharge> allowancesCharges;  // BG-20 / BG-21, each kept as given
  std::vector<Line> lines;                         // BG-25
  std::vector<Attachment> attachments;             // BG-24

  // Exemption reasons given by the source, by VAT category (BT-120/121);
  // the computed breakdown takes them over.
  struct Exemption {
    std::string category;
    std::string reason;
    std::string reasonCode;
  };
  std::vector<Exemption> exemptions;

  // Computed from the above (BG-23, BG-22; see ComputeTotals), and what the
  // source stated.
  std::vector<VatBreakdown> vatBreakdown;
  Totals totals;
  StatedTotals stated;
};

}  // namespace belvora::model
