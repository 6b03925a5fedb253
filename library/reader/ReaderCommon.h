#pragma once

// Pieces shared by the CII, UBL and Peppol readers.

#include <libxml/tree.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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

// Where the attachments of one read go. Names from the document are reduced
// to a safe base name inside the folder and shortened to fit its file
// system, keeping the extension. A read never replaces a file: when the
// name is taken, a file holding the same bytes is kept as it is; otherwise
// the attachment takes the next free name "name_2.ext", "name_3.ext", ...
// (kMaxNumbered names in all). Whatever cannot be written is remembered
// with its reason, to be reported once.
class AttachmentFolder {
 public:
  static constexpr int kMaxNumbered = 1000;

  AttachmentFolder(std::string folder, std::string language);

  const std::string& folder() const { return folder_; }
  // Decodes the Base64 content and writes it under the name; false when
  // nothing was written (the reason is remembered).
  bool saveBase64(std::string_view base64, std::string_view name);
  // Writes the internet shortcut "Reference to <name>.url" for an http or
  // https address; any other address is remembered as not linked.
  bool saveShortcut(std::string_view name, std::string_view target);

  // Files written or found already there with the same bytes.
  std::size_t saved() const { return saved_; }
  bool lostAny() const { return !lost_.empty(); }
  // Shows one message naming every attachment that could not be written,
  // with its reason; nothing when there is none.
  void report() const;

 private:
  bool place(std::string_view label, const std::string& base, std::string_view bytes);
  void lose(std::string_view label, std::string reason);

  std::string folder_;
  std::string language_;
  std::size_t maxName_;
  std::size_t saved_ = 0;
  std::vector<std::pair<std::string, std::string>> lost_;  // shown name, reason
  // Per base name within this read: the number to try next and the name
  // the last attachment took, so many of one name never probe from 1 again.
  struct Numbering {
    int next = 1;
    std::string last;
  };
  std::map<std::string, Numbering> numbering_;
};

}  // namespace belvora::reader
