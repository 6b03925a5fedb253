#pragma once

// Faulty variants of valid CII invoices: one business term removed, changed
// or made inconsistent at a time, by editing the XML.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace belvora::test::rules {

struct Mutation {
  enum Action {
    Remove,        // the first node the path selects (element or attribute)
    RemoveAll,     // every node it selects
    SetText,       // the element's text becomes value
    SetTextAll,    // every selected element's text becomes value
    SetAttribute,  // attribute `attribute` becomes value
    AddAmount,     // the element's decimal text plus value, decimals kept
    Duplicate,     // a copy of the element after it
    InsertBefore,  // a new ram element named `attribute` with text value
  };
  Mutation(std::string n, std::string p, Action a, std::string v = {}, std::string attr = {})
      : name(std::move(n)),
        path(std::move(p)),
        action(a),
        value(std::move(v)),
        attribute(std::move(attr)) {}
  std::string name;  // part of the variant's file name
  std::string path;  // XPath from the document root (rsm, ram, udt, qdt prefixes)
  Action action = Remove;
  std::string value;
  std::string attribute;
};

const std::vector<Mutation>& Mutations();

// Applies the mutation to the document of `base` and writes it to `target`.
// False (and nothing written) when the path selects nothing in it.
bool ApplyMutation(const std::string& base, const Mutation& m, const std::string& target);

// For each mutation, up to perMutation variants of the bases it applies to,
// in `folder`, taking the bases in turn so that each mutation meets
// different invoices. Returns the files written.
// Only mutations whose name contains `only` (all when empty).
std::vector<std::string> WriteVariants(const std::vector<std::string>& bases,
                                       const std::string& folder, std::size_t perMutation,
                                       const std::string& only = {});

}  // namespace belvora::test::rules
