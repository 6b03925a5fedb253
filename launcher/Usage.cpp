#include "Usage.h"

#include "Environment.h"

namespace start {
namespace {

const std::string kRule(52, '-');
// Stored procedures need a database server: the functions of
// sql/postgresql/ through the PostgreSQL ODBC driver.
constexpr const char* kProcedureConnectExample =
    "connect=Driver={PostgreSQL Unicode};Server=localhost;Port=5432;Database=erp;Uid=erp;"
    "Pwd=geheim;";

}  // namespace

std::string UsageDescription(std::string_view lineBreak) {
  static const std::vector<std::string> kLines = {
      "Parameterangaben zur Erstellung, Einlesen und Support",
      "Parameterliste: (Alle Datentypen = String)",
      "Feldtrennzeichen: | (Pipe)",
      kRule,
      "1:  Action=ERSTELLEN oder EINLESEN oder SUPPORT",
      "3:  Outputxml=" + TempFolder() + "/Rechnung.xml",
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
  // Paths of this machine, so that a copied example runs as it is: the
  // temporary folder and the test program's template database.
  static const std::vector<UsageExample> kExamples = [] {
    const std::string temp = TempFolder();
    const std::string connect = "connect=Data Source=" + TemplateDatabasePath();
    return std::vector<UsageExample>{
        {"ERSTELLEN (SQL)",
         {"action=erstellen", "outputxml=" + temp + "/RG12345.xml", connect,
          "sql=Select * from xRechnung", "sqlparam=", "usesqlparam=FALSE",
          "embedded=" + temp + "/IhreRechnung.pdf", "table=tblDocuments"}},
        {"EINLESEN",
         {"action=einlesen", "inputxml=" + temp + "/Rechnung123.xml", connect, "table=tblDocuments",
          "outputfolder=" + temp + "/IhreDokumente/", "language=DE", "askimport=FALSE"}},
        {"SUPPORT", {"action=support", "supportmail=support@example.com"}},
        {"ERSTELLEN (Procedure)",
         {"action=erstellen", "outputxml=" + temp + "/RG12345.xml", kProcedureConnectExample,
          "sql=exec sp_XRechnung", "sqlparam=252068", "usesqlparam=TRUE",
          "embedded=" + temp + "/IhreRechnung.pdf", "table=tblDocuments"}},
    };
  }();
  return kExamples;
}

std::string UsageExampleText(size_t option, std::string_view lineBreak) {
  return UsageExampleText(UsageExamples().at(option), lineBreak);
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
