#pragma once

// Agreement of the native rule check with the official validator, for any
// list of CII files: the validator runs once over all of them, each file is
// read into the model and checked, and the verdicts are compared.

#include <map>
#include <set>
#include <string>
#include <vector>

namespace belvora::test::rules {

struct ValidatorVerdict {
  bool valid = false;
  std::string syntax;
  std::string scenario;
  int xsdErrors = 0;
  int problems = 0;
  std::set<std::string> errors;  // ids of the rules failed at level error
};

// One call of validation/check --json over all files (it starts a JVM).
// Throws std::runtime_error with the output when it gives no result.
std::map<std::string, ValidatorVerdict> RunValidator(const std::vector<std::string>& files);

struct CheckVerdict {
  bool read = false;             // the reader took the file
  std::string message;           // why not, or every violation as text
  std::set<std::string> errors;  // rule ids: reader problems and CheckInvoice
};
CheckVerdict CheckFile(const std::string& path);

// The rules the reader and CheckInvoice can report.
const std::set<std::string>& CoveredRules();

// A difference that is understood and accepted: a file whose name contains
// one of `files`, where both fail and the rule ids differ only in `rules`.
struct KnownDifference {
  std::vector<std::string> files;
  std::set<std::string> rules;
  std::string reason;
  bool Matches(const std::string& file) const;
};

struct Outcome {
  std::string file;
  bool agree = false;
  std::string kind;    // agree: "both pass" / "both fail"; else the kind of difference
  std::string detail;  // the rule ids in question
  const KnownDifference* known = nullptr;
};

std::vector<Outcome> Compare(const std::vector<std::string>& files,
                             const std::map<std::string, ValidatorVerdict>& validator,
                             const std::vector<KnownDifference>& known);

// The agreement table: files, agreeing, disagreeing by kind, known ones.
std::string Table(const std::vector<Outcome>& outcomes);

}  // namespace belvora::test::rules
