#pragma once

// Pieces shared by the CII, UBL and Peppol readers.

#include <libxml/tree.h>

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace belvora::reader {

// The fields one reader operation fills: element k is the k-th field named
// for the call. A null element or an index past the end is not written.
using FieldList = std::vector<std::string*>;

// How amounts are shown: the view number format and the language whose
// separators it uses.
struct ViewFormat {
  std::string_view language;
  std::string_view pattern;
};

// Sets element k when a value was read; a value that was not found leaves
// the field as it was.
void setField(const FieldList& fields, std::size_t k, const std::optional<std::string>& value);

// A document date as the view shows it, "dd.MM.yyyy". An ISO date that
// carries a time zone or a time ("2016-04-04+01:00") is shown by its date.
std::string DisplayDate(std::string_view text);

// True when the element has a child element or non-blank text.
bool hasChildNodes(const xmlNode* node);

// Where the attachments of one read go. Every name is reduced to a safe base
// name inside the folder. Two attachments of one document that come out with
// the same name are both kept: the later one gets "_2", "_3", ... before its
// extension. A file that was there before the read is replaced, except the
// files named in `keep` (the invoice being read): a name that would replace
// one of them is numbered the same way.
class AttachmentFolder {
 public:
  explicit AttachmentFolder(std::string folder, std::vector<std::string> keep = {})
      : folder_(std::move(folder)), keep_(std::move(keep)) {}

  const std::string& folder() const { return folder_; }
  // Path for a name taken from the document; nullopt when no usable name remains.
  std::optional<std::string> pathFor(std::string_view name);
  // Writes decoded Base64 content under the name; false when nothing was written.
  bool saveBase64(std::string_view base64, std::string_view name);
  // Writes an internet shortcut "Reference to <name>.url"; errors are swallowed.
  bool saveShortcut(std::string_view name, std::string_view target);

 private:
  std::string unique(const std::string& base);
  bool taken(const std::string& name) const;
  std::string join(const std::string& name) const;

  std::string folder_;
  std::vector<std::string> keep_;
  std::set<std::string> used_;
};

}  // namespace belvora::reader
