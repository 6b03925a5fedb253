// The C ABI: objects created by class name, plain values in and out, and no
// exception ever crossing into the caller.
#include <strings.h>

#include <memory>
#include <string>
#include <variant>

#include "belvora/belvora.h"
#include "belvora/clsXConverter.h"
#include "belvora/clsXRechnung.h"
#include "platform/ui/Trap.h"
#include "session/ErrorReport.h"

struct belvora_object {
  std::variant<std::unique_ptr<belvora::clsXRechnung>, std::unique_ptr<belvora::clsXConverter>>
      instance;
};

namespace {

constexpr int16_t kTrue = -1;
constexpr int16_t kFalse = 0;

// Class names compare without regard to letter case, as component class
// identities do.
bool sameName(const char* a, const char* b) { return ::strcasecmp(a, b) == 0; }

std::string textOr(const char* text, const char* fallback = "") {
  return text ? std::string(text) : std::string(fallback);
}

int16_t flag(bool value) { return value ? kTrue : kFalse; }

belvora::clsXRechnung* asXRechnung(belvora_object* obj) {
  if (!obj) return nullptr;
  auto* p = std::get_if<std::unique_ptr<belvora::clsXRechnung>>(&obj->instance);
  return p ? p->get() : nullptr;
}

belvora::clsXConverter* asXConverter(belvora_object* obj) {
  if (!obj) return nullptr;
  auto* p = std::get_if<std::unique_ptr<belvora::clsXConverter>>(&obj->instance);
  return p ? p->get() : nullptr;
}

// The public methods trap their own errors; whatever escapes anyway (an
// allocation failure) is reported here and never crosses the C boundary.
template <typename F>
auto guarded(F&& body) noexcept {
  return belvora::ui::Trap(belvora::session::ShowErrorInDll, body);
}

}  // namespace

extern "C" {

belvora_object* belvora_create(const char* class_name) {
  return guarded([&]() -> belvora_object* {
    if (!class_name) return nullptr;
    if (sameName(class_name, "belvora.clsXRechnung"))
      return new belvora_object{std::make_unique<belvora::clsXRechnung>()};
    if (sameName(class_name, "belvora.clsXConverter"))
      return new belvora_object{std::make_unique<belvora::clsXConverter>()};
    return nullptr;
  });
}

void belvora_release(belvora_object* obj) {
  guarded([&] { delete obj; });
}

int16_t belvora_DLL_Init_DB(belvora_object* obj, const char* ExportFile,
                            const char* Connectionstring, const char* SQL,
                            const char* ParameterString, int16_t Parameter,
                            const char* EmbeddedFile, const char* tblName, int16_t bolFrageImport) {
  return guarded([&] {
    auto* x = asXRechnung(obj);
    if (!x) return kFalse;
    return flag(x->DLL_Init_DB(textOr(ExportFile), textOr(Connectionstring), textOr(SQL),
                               textOr(ParameterString), Parameter != 0, textOr(EmbeddedFile),
                               textOr(tblName, "tblDocuments"), bolFrageImport != 0));
  });
}

int16_t belvora_CreateXRechnung(belvora_object* obj) {
  return guarded([&] {
    auto* x = asXRechnung(obj);
    return x ? flag(x->CreateXRechnung()) : kFalse;
  });
}

void belvora_ShowSupport(belvora_object* obj, const char* Email) {
  guarded([&] {
    if (auto* x = asXRechnung(obj)) x->ShowSupport(textOr(Email));
    return kFalse;
  });
}

void belvora_ShowAbout(belvora_object* obj) {
  guarded([&] {
    if (auto* x = asXRechnung(obj)) x->ShowAbout();
    return kFalse;
  });
}

void belvora_ShowParameter(belvora_object* obj, const char* DBConnect, const char* Datasource,
                           const char* Export, int16_t Parameter, const char* FileName,
                           const char* Tablename, int16_t bolFrage) {
  guarded([&] {
    if (auto* x = asXRechnung(obj))
      x->ShowParameter(textOr(DBConnect), textOr(Datasource), textOr(Export), Parameter != 0,
                       textOr(FileName), textOr(Tablename), bolFrage != 0);
    return kFalse;
  });
}

void belvora_Ecosio(belvora_object* obj) {
  guarded([&] {
    if (auto* x = asXRechnung(obj)) x->Ecosio();
    return kFalse;
  });
}

void belvora_SpecifiedTradeAllowanceChange(belvora_object* obj) {
  guarded([&] {
    if (auto* x = asXRechnung(obj)) x->SpecifiedTradeAllowanceChange();
    return kFalse;
  });
}

void belvora_BillingSpecifiedPeriod(belvora_object* obj) {
  guarded([&] {
    if (auto* x = asXRechnung(obj)) x->BillingSpecifiedPeriod();
    return kFalse;
  });
}

int16_t belvora_XConverter(belvora_object* obj, const char* strFile, const char* strFolder,
                           const char* Connect, const char* tbl, const char* Sprache,
                           int16_t bolFrage) {
  return guarded([&] {
    auto* c = asXConverter(obj);
    if (!c) return kFalse;
    return flag(c->XConverter(textOr(strFile), textOr(strFolder), textOr(Connect),
                              textOr(tbl, "tblDocuments"), textOr(Sprache, "GB"), bolFrage != 0));
  });
}

}  // extern "C"
