#include "reader/ReaderCommon.h"

#include <system_error>

#include "messages/Messages.h"
#include "platform/sys/NewFile.h"
#include "platform/ui/Interaction.h"
#include "reader/AttachmentFiles.h"
#include "text/Texte.h"

namespace belvora::reader {

namespace msg = ::belvora::messages;
namespace rtext = ::belvora::messages::reader;

void setField(const FieldList& fields, std::size_t k, const std::optional<std::string>& value) {
  if (!value || k >= fields.size() || fields[k] == nullptr) return;
  *fields[k] = *value;
}

std::string DisplayDate(std::string_view text) {
  if (text.size() > 10 && text[4] == '-' && text[7] == '-') text = text.substr(0, 10);
  return text::FormatDisplayDate(text);
}

bool hasChildNodes(const xmlNode* node) {
  if (node == nullptr) return false;
  for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE || child->type == XML_ENTITY_REF_NODE) return true;
    if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
      const auto* text = reinterpret_cast<const char*>(child->content);
      if (text != nullptr &&
          std::string_view(text).find_first_not_of(" \t\r\n") != std::string_view::npos) {
        return true;
      }
    }
  }
  return false;
}

namespace {

// A name or address from the document as a message shows it: no control
// characters, at most a line's length.
std::string shown(std::string_view text) {
  constexpr std::size_t kMax = 120;
  std::string out;
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 32 && c != 127) out += c;
  }
  if (out.size() > kMax) {
    std::size_t end = kMax;
    while (end > 0 && (static_cast<unsigned char>(out[end]) & 0xC0) == 0x80) --end;
    out = out.substr(0, end) + "…";
  }
  return out;
}

// Lines of the report at most; the rest are counted.
constexpr std::size_t kMaxReportLines = 100;

}  // namespace

AttachmentFolder::AttachmentFolder(std::string folder, std::string language)
    : folder_(std::move(folder)),
      language_(std::move(language)),
      maxName_(sys::maxNameBytes(folder_)) {}

void AttachmentFolder::lose(std::string_view label, std::string reason) {
  std::string name = shown(label);
  if (name.empty()) name = msg::Say(rtext::kUnnamed, language_);
  lost_.emplace_back(std::move(name), std::move(reason));
}

bool AttachmentFolder::place(std::string_view label, const std::string& base,
                             std::string_view bytes) {
  auto path = [this](const std::string& name) {
    return (folder_.empty() || folder_.back() != '/' ? folder_ + "/" : folder_) + name;
  };
  try {
    Numbering& numbering = numbering_[base];
    // The same bytes as the attachment before it of this name: already there.
    if (!numbering.last.empty() && sys::hasContent(path(numbering.last), bytes)) {
      ++saved_;
      return true;
    }
    sys::NewFile file(folder_, bytes);
    for (; numbering.next <= kMaxNumbered; ++numbering.next) {
      const std::string name = FitName(base, maxName_, numbering.next);
      if (file.placeAs(name) || sys::hasContent(path(name), bytes)) {
        numbering.last = name;
        ++numbering.next;
        ++saved_;
        return true;
      }
    }
    lose(label, msg::Say(rtext::kNoFreeName, language_,
                         {FitName(base, maxName_, 2), FitName(base, maxName_, kMaxNumbered)}));
  } catch (const std::system_error& e) {
    lose(label, e.code().message());
  }
  return false;
}

bool AttachmentFolder::saveBase64(std::string_view base64, std::string_view name) {
  const std::string base = SafeBaseName(name);
  if (base.empty()) {
    lose(name, msg::Say(rtext::kNoName, language_));
    return false;
  }
  const auto bytes = DecodeBase64(base64);
  if (!bytes) {
    lose(name, msg::Say(rtext::kBadBase64, language_));
    return false;
  }
  return place(name, base, *bytes);
}

bool AttachmentFolder::saveShortcut(std::string_view name, std::string_view target) {
  if (!IsWebAddress(target)) {
    lose(name, msg::Say(rtext::kNotLinked, language_, {shown(target)}));
    return false;
  }
  const std::string base = ShortcutName(name);
  return place(base, base, ShortcutText(target));
}

void AttachmentFolder::report() const {
  if (lost_.empty()) return;
  std::string text = msg::Say(rtext::kLostHead, language_, {folder_});
  for (std::size_t i = 0; i < lost_.size() && i < kMaxReportLines; ++i) {
    text += "\r\n" + lost_[i].first + ": " + lost_[i].second;
  }
  if (lost_.size() > kMaxReportLines) {
    text += "\r\n" +
            msg::Say(rtext::kLostMore, language_, {std::to_string(lost_.size() - kMaxReportLines)});
  }
  ui::current().message(msg::kTitleNote, text, ui::Icon::Exclamation);
}

}  // namespace belvora::reader
