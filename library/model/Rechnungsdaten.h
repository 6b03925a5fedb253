#pragma once

#include <cstdint>
#include <string>

namespace belvora::model {

// Plain value holders through which the writer sections pass the header and
// party values. Every property starts empty (ID of the seller at 0).

// Invoice header, filled and read by the header step.
struct clsRechnungsdaten {
  std::string Preceding_Invoice_number;  // BT25
  std::string Specification;             // BT24
  std::string Prozess;                   // BT23
  std::string SubjectCode_data;          // BT21
  std::string Content_Data;              // BT22, first part
  std::string Data_Type;                 // BT3
  std::string Bestellnummer;             // BT13
  std::string Projektreferenz;           // BT11
  std::string Vertragsnummer;            // BT12
  std::string Rechnungsnummer;           // BT1
  std::string Rechnungsdatum;            // BT2 as text
  std::string Faelligkeitsdatum;         // BT9 as text
  std::string Bemerkung;                 // BT22, second part
};

// The buyer.
struct clsRechnungsEmpfaenger {
  std::string Kennung;
  std::string KontaktDepartment;
  std::string UnternehmenEmail;  // BT49
  std::string Unternehmen;       // BT44
  std::string UmsatzsteuerID;    // BT48
  std::string Strasse;           // BT50
  std::string Plz;               // BT53
  std::string Ort;               // BT52
  std::string Land;              // BT55
  std::string KontaktName;       // BT56
  std::string KontaktEmail;      // BT58
  std::string KontaktTelefon;    // BT57
};

// The seller (invoice issuer). Only part of the record is filled by the
// writer; the payment, bank and letterhead fields belong to the master data.
struct clsRechnungsSteller {
  std::string Kennung;
  std::string ZahlungsmittelID;
  std::string ZahlungsbedingungID;
  std::string ZahlungsartID;
  std::string MandantsReferenz;
  std::string GlaeubigerID;
  std::string TelefonText;
  std::string Fusstext;
  std::string Banktext;
  std::string SteuerNr;
  std::string KontoInhaber;
  std::string BIC;
  std::string Bank;
  std::string IBAN;
  std::string Email;
  std::string Internet;
  std::string KontaktDepartment;
  std::string Briefkopf;
  std::string Logo;
  std::int32_t ID = 0;
  std::string ATyp;
  std::string LeitwegID;
  std::string UmsatzsteuerID;  // BT31
  std::string Unternehmen;     // BT27
  std::string Strasse;         // BT35
  std::string Plz;             // BT38
  std::string Ort;             // BT37
  std::string Land;            // BT40
  std::string KontaktName;     // BT41
  std::string KontaktEmail;    // BT43
  std::string Telefon;         // BT42
  std::string Telefon2;
  std::string UnternehmenEmail;  // BT34
};

}  // namespace belvora::model
