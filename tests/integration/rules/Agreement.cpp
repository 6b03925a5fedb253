#include "Agreement.h"
#include "support/SharedArtefacts.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "model/Rules.h"
#include "model/RulesTables.h"
#include "reader/CiiInvoiceModel.h"

namespace belvora::test::rules {
namespace {

// Runs a program without a shell; standard output and error into one text.
std::string Run(const std::vector<std::string>& argv, int& status) {
  char name[] = "/tmp/belvora-rules-XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) throw std::runtime_error("no temporary file");
  unlink(name);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fd, 1);
  posix_spawn_file_actions_adddup2(&actions, fd, 2);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  status = -1;
  if (rc == 0) {
    int s = 0;
    while (waitpid(pid, &s, 0) < 0 && errno == EINTR) {
    }
    status = WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
  }
  std::string out;
  lseek(fd, 0, SEEK_SET);
  char buffer[65536];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
  close(fd);
  return out;
}

std::vector<std::string> Split(const std::string& s, char by) {
  std::vector<std::string> out;
  std::string part;
  std::istringstream in(s);
  while (std::getline(in, part, by)) out.push_back(part);
  return out;
}

std::string Join(const std::set<std::string>& ids) {
  std::string out;
  for (const auto& id : ids) out += (out.empty() ? "" : " ") + id;
  return out;
}

}  // namespace

std::map<std::string, ValidatorVerdict> RunValidator(const std::vector<std::string>& files) {
  char name[] = "/tmp/belvora-rules-list-XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) throw std::runtime_error("no temporary file");
  close(fd);
  {
    std::ofstream list(name);
    for (const auto& f : files) list << f << '\n';
  }
  int status = 0;
  const std::string out =
      Run({"python3", BELVORA_SOURCE_DIR "/tests/integration/rules/validator_verdicts.py",
           belvora::test::ValidationDir() + "/check", name},
          status);
  unlink(name);
  std::map<std::string, ValidatorVerdict> verdicts;
  for (const auto& line : Split(out, '\n')) {
    const auto f = Split(line, '\t');
    if (f.size() < 6 || (f[1] != "0" && f[1] != "1")) continue;
    ValidatorVerdict v;
    v.valid = f[1] == "1";
    v.syntax = f[2];
    v.scenario = f[3];
    v.xsdErrors = std::stoi(f[4]);
    v.problems = std::stoi(f[5]);
    if (f.size() > 6)
      for (const auto& id : Split(f[6], ',')) v.errors.insert(id);
    verdicts[f[0]] = std::move(v);
  }
  if (verdicts.size() != files.size())
    throw std::runtime_error("the validator gave " + std::to_string(verdicts.size()) +
                             " verdicts for " + std::to_string(files.size()) + " files:\n" +
                             out.substr(0, 4000));
  return verdicts;
}

CheckVerdict CheckFile(const std::string& path) {
  CheckVerdict v;
  reader::CiiModel model;
  if (!reader::ReadCiiModelFile(path, model, v.message)) return v;
  v.read = true;
  std::vector<model::Violation> all = model.problems;
  for (auto& violation : model::CheckInvoice(model.invoice)) all.push_back(std::move(violation));
  for (const auto& violation : all) v.errors.insert(violation.rule);
  v.message = model::ViolationsText(all, false);
  return v;
}

const std::set<std::string>& CoveredRules() {
  static const std::set<std::string> covered = [] {
    std::set<std::string> ids;
    for (const auto& t : model::rules::AllRuleTexts()) ids.insert(std::string(t.id));
    return ids;
  }();
  return covered;
}

bool KnownDifference::Matches(const std::string& file) const {
  return std::any_of(files.begin(), files.end(),
                     [&](const std::string& f) { return file.find(f) != std::string::npos; });
}

std::vector<Outcome> Compare(const std::vector<std::string>& files,
                             const std::map<std::string, ValidatorVerdict>& validator,
                             const std::vector<KnownDifference>& known) {
  std::vector<Outcome> out;
  const auto& covered = CoveredRules();
  for (const auto& file : files) {
    const ValidatorVerdict& v = validator.at(file);
    const CheckVerdict c = CheckFile(file);
    Outcome o;
    o.file = file;
    std::set<std::string> theirs, uncovered;
    for (const auto& id : v.errors) (covered.count(id) ? theirs : uncovered).insert(id);
    const bool ourValid = c.read && c.errors.empty();
    if (!c.read) {
      // The reader refuses what is no CII invoice or no XML; so must the validator.
      o.agree = !v.valid;
      o.kind = o.agree ? "both refuse the document" : "not read: " + c.message;
    } else if (v.problems > 0 && !v.valid && !ourValid) {
      o.agree = true;  // the validator's rules did not run: nothing to compare but the verdict
      o.kind = "both fail, the validator's rules did not run";
    } else if (ourValid != v.valid) {
      if (v.valid) {
        o.kind = "check fails, validator passes";
        o.detail = Join(c.errors);
      } else {
        o.kind = "validator fails, check passes";
        o.detail = Join(v.errors);
        if (v.xsdErrors) o.detail += " (" + std::to_string(v.xsdErrors) + " XSD errors)";
      }
    } else if (c.errors != theirs) {
      std::set<std::string> onlyOurs, onlyTheirs;
      std::set_difference(c.errors.begin(), c.errors.end(), theirs.begin(), theirs.end(),
                          std::inserter(onlyOurs, onlyOurs.end()));
      std::set_difference(theirs.begin(), theirs.end(), c.errors.begin(), c.errors.end(),
                          std::inserter(onlyTheirs, onlyTheirs.end()));
      o.kind = "both fail, rule ids differ";
      o.detail = "only check: " + Join(onlyOurs) + "; only validator: " + Join(onlyTheirs);
    } else {
      o.agree = true;
      o.kind = v.valid ? "both pass" : "both fail, same covered rule ids";
      o.detail = Join(c.errors);
      if (!uncovered.empty()) o.detail += " (validator also: " + Join(uncovered) + ")";
    }
    if (!o.agree && c.read && !ourValid && !v.valid) {
      std::set<std::string> differ;
      std::set_symmetric_difference(c.errors.begin(), c.errors.end(), theirs.begin(), theirs.end(),
                                    std::inserter(differ, differ.end()));
      for (const auto& k : known)
        if (k.Matches(file) &&
            std::includes(k.rules.begin(), k.rules.end(), differ.begin(), differ.end()))
          o.known = &k;
    }
    out.push_back(std::move(o));
  }
  return out;
}

std::string Table(const std::vector<Outcome>& outcomes) {
  std::map<std::string, int> kinds;
  int agree = 0, known = 0;
  for (const auto& o : outcomes) {
    if (o.agree) ++agree;
    if (o.known) ++known;
    ++kinds[(o.agree ? "agree: " : o.known ? "known difference: " : "DISAGREE: ") + o.kind];
  }
  std::ostringstream t;
  t << "| Outcome | Files |\n|---|---|\n";
  for (const auto& [kind, n] : kinds) t << "| " << kind << " | " << n << " |\n";
  t << "| total | " << outcomes.size() << " (agree " << agree << ", known differences " << known
    << ", unexplained " << (outcomes.size() - agree - known) << ") |\n";
  for (const auto& o : outcomes)
    if (!o.agree)
      t << (o.known ? "  known: " : "  DISAGREE: ") << o.file << ": " << o.kind << ": " << o.detail
        << (o.known ? " -- " + o.known->reason : std::string()) << "\n";
  return t.str();
}

}  // namespace belvora::test::rules
