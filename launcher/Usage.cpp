#include "Usage.h"

namespace start {
namespace {

const std::string kRule(52, '-');
constexpr const char* kConnectExample =
    "connect=Driver={SQL Server};Server=(local);Database=DemoDB;Trusted_Connection=yes";

}  // namespace

std::string UsageDescription(std::string_view lineBreak) {
  static const std::vector<std::string> kLines = {
      "Parameterangaben zur Erstellung, Einlesen und Support",
      "Parameterliste: (Alle Datentypen = String)",
      "Feldtrennzeichen: | (Pipe)",
      kRule,
      "1:  Action=ERSTELLEN oder EINLESEN oder SUPPORT",
      "3:  Outputxml=C:\\Temp\\Rechnung.xml",
      "4:  Connect=Connectionstring zur Datenbank",
      "5:  SQL=Abfrage oder Stored Prozedure",
      "6:  SQLParam=Parameter der Abfrage / Stored Procedure",
      "7:  Usesqlparam=True oder False zur Ausführung des Parameter",
      "8:  Embedded=Eingebettete Datei(en) Formate: PNG/JPG/PDF/BMP/XLSX/XLS/XML",
      "9:  Table=Ablage-Tabelle der XML für Revisiossicherheit",
      "10: Inputxml=Einzulesende XML / ZUGfERD Rechnung",
      "11: Outputfolder=Ausgabe-Ordner für eingebettete Dokumente",
      "12: Language=DE oder GB für die Sprache",
      "13: Supportmail=Support-Email",
      "14: Askimport=Frage des Datei-Imports beim Einlesen",
      kRule,
      "Parameter - Pflichtangaben:",
      "ERSTELLEN: 1, 3-7, 9, 12 (Optional: 8, 10, 11, 13, 14)",
      "EINLESEN: 1, 4-5, 10, 12 (Optional: 9, 11, 14)",
      "SUPPORT: 1, 12",
  };
  std::string text;
  for (const auto& line : kLines) {
    text += line;
    text += lineBreak;
  }
  return text;
}

const std::vector<UsageExample>& UsageExamples() {
  static const std::vector<UsageExample> kExamples = {
      {"ERSTELLEN (SQL)",
       {"action=erstellen", "outputxml=C:\\Temp\\RG12345.xml", kConnectExample,
        "sql=Select * from xRechnung", "sqlparam=", "usesqlparam=FALSE",
        "embedded=C:\\Temp\\IhreRechnung.PDF", "table=tblDocuments"}},
      {"EINLESEN",
       {"action=einlesen", "inputputxml=C:\\Temp\\Rechnung123.xml", kConnectExample,
        "table=tblDocuments", "outputfolder=C:\\IhreDokumente\\", "language=DE",
        "askimport=FALSE"}},
      {"SUPPORT", {"action=support", "supportmail=support@example.com"}},
      {"ERSTELLEN (Procedure)",
       {"action=erstellen", "outputxml=C:\\Temp\\RG12345.xml", kConnectExample,
        "sql=exec dbo.sp_XRechnung", "sqlparam=Ihre Beleg-Nr", "usesqlparam=TRUE",
        "embedded=C:\\Temp\\IhreRechnung.PDF", "table=tblDocuments"}},
  };
  return kExamples;
}

std::string UsageExampleText(const UsageExample& example, std::string_view lineBreak) {
  std::string text;
  for (size_t i = 0; i < example.lines.size(); ++i) {
    if (i > 0) text += lineBreak;
    text += example.lines[i];
    text += '|';
  }
  return text;
}

std::string UsageText() {
  std::string text = UsageDescription("\n");
  for (const auto& example : UsageExamples()) {
    text += '\n';
    text += example.caption;
    text += ":\n";
    text += UsageExampleText(example, "\n");
    text += '\n';
  }
  return text;
}

}  // namespace start
