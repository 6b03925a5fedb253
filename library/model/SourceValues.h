#pragma once

#include <string>

#include "platform/db/Value.h"

namespace belvora::model {

// The document-level values of one invoice, read from the first source row.
// One member per catalogue column, named after the column. Text members hold
// the trimmed text (cleaned for XML where the catalogue says so); a new
// session starts with empty texts, zero dates and zero amounts.
struct SourceValues {
  std::string BT1;    // invoice number
  db::Date BT2;       // issue date
  std::string BT3;    // invoice type code
  db::Date BT9;       // payment due date
  std::string BT10;   // buyer reference
  std::string BT11;   // project reference
  std::string BT12;   // contract reference (cleaned)
  std::string BT13;   // purchase order reference (cleaned)
  std::string BT20;   // payment terms
  std::string BT21;   // note subject code (cleaned)
  std::string BT22;   // note (cleaned)
  std::string BT23;   // business process type (cleaned)
  std::string BT24;   // specification identifier (cleaned)
  std::string BT25;   // preceding invoice reference (cleaned)
  std::string BT27;   // seller name (cleaned)
  std::string BT31;   // seller VAT identifier
  std::string BT34;   // seller electronic address (cleaned)
  std::string BT35;   // seller address line 1 (cleaned)
  std::string BT37;   // seller city (cleaned)
  std::string BT38;   // seller post code (cleaned)
  std::string BT40;   // seller country code (cleaned)
  std::string BT41;   // seller contact point (cleaned)
  std::string BT42;   // seller telephone (cleaned)
  std::string BT43;   // seller e-mail (cleaned)
  std::string BT44;   // buyer name (cleaned)
  std::string BT48;   // buyer VAT identifier
  std::string BT49;   // buyer electronic address
  std::string BT50;   // buyer address line 1 (cleaned)
  std::string BT52;   // buyer city (cleaned)
  std::string BT53;   // buyer post code (cleaned)
  std::string BT55;   // buyer country code (cleaned)
  std::string BT56;   // buyer contact point (cleaned)
  std::string BT57;   // buyer telephone (cleaned)
  std::string BT58;   // buyer e-mail (cleaned)
  std::string BT72;   // actual delivery date
  std::string BT73;   // invoicing period start
  std::string BT74;   // invoicing period end
  std::string BT81;   // payment means type code
  std::string BT82;   // payment means text
  std::string BT83;   // remittance information
  std::string BT84;   // payee IBAN
  std::string BT85;   // payee account name (cleaned)
  std::string BT86;   // payee BIC (cleaned)
  std::string BT87;   // card number
  std::string BT88;   // card holder (cleaned)
  std::string BT89;   // mandate reference (cleaned)
  std::string BT90;   // creditor identifier (cleaned)
  std::string BT91;   // debited account (cleaned)
  std::string BT92;   // document allowance amount
  std::string BT93;   // document allowance base amount
  std::string BT94;   // document allowance percentage
  std::string BT95;   // document allowance VAT category
  std::string BT96;   // document allowance VAT rate
  std::string BT97;   // document allowance reason (cleaned)
  std::string BT98;   // document allowance reason code
  std::string BT99;   // document charge amount
  std::string BT100;  // document charge base amount
  std::string BT101;  // document charge percentage
  std::string BT102;  // document charge VAT category ("S" when empty)
  double BT109 = 0;   // total without VAT
  double BT110 = 0;   // total VAT
  double BT112 = 0;   // total with VAT
  double BT113 = 0;   // paid amount
  double BT114 = 0;   // rounding amount
  double BT115 = 0;   // amount due
  double BT116 = 0;   // VAT category taxable amount
  std::string BT118;  // VAT category code ("S" when empty)
};

}  // namespace belvora::model
