#include "reader/ReaderCommon.h"

#include <filesystem>

#include "reader/AttachmentFiles.h"
#include "text/Texte.h"

namespace belvora::reader {

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

std::string AttachmentFolder::join(const std::string& name) const {
  return (!folder_.empty() && folder_.back() == '/') ? folder_ + name : folder_ + "/" + name;
}

bool AttachmentFolder::taken(const std::string& name) const {
  if (used_.count(name) != 0) return true;
  for (const std::string& keep : keep_) {
    std::error_code ec;
    if (std::filesystem::equivalent(join(name), keep, ec)) return true;
  }
  return false;
}

std::string AttachmentFolder::unique(const std::string& base) {
  std::string name = base;
  if (taken(name)) {
    const auto dot = base.rfind('.');
    const bool hasExt = dot != std::string::npos && dot > 0;
    const std::string stem = hasExt ? base.substr(0, dot) : base;
    const std::string ext = hasExt ? base.substr(dot) : std::string();
    for (int n = 2;; ++n) {
      name = SafeBaseName(stem + "_" + std::to_string(n) + ext);
      if (!taken(name)) break;
    }
  }
  used_.insert(name);
  return name;
}

std::optional<std::string> AttachmentFolder::pathFor(std::string_view name) {
  const std::string base = SafeBaseName(name);
  if (base.empty()) return std::nullopt;
  return join(unique(base));
}

bool AttachmentFolder::saveBase64(std::string_view base64, std::string_view name) {
  const auto path = pathFor(name);
  if (!path) return false;
  if (SaveBase64ToFile(base64, *path)) return true;
  // Nothing written: a later attachment may use the name.
  used_.erase(path->substr(path->rfind('/') + 1));
  return false;
}

bool AttachmentFolder::saveShortcut(std::string_view name, std::string_view target) {
  const std::string base = SafeBaseName(name);
  std::string inner = base;
  for (int n = 2; taken(SafeBaseName("Reference to " + inner + ".url")); ++n) {
    inner = base + "_" + std::to_string(n);
  }
  try {
    const std::string path = CreateUrlShortcut(folder_, inner, target);
    used_.insert(path.substr(path.rfind('/') + 1));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace belvora::reader
