/* C ABI of the belvora library.
 *
 * Texts are UTF-8 and only borrowed for the duration of a call. A NULL text
 * means the parameter's default where the method has one (EmbeddedFile "",
 * tblName "tblDocuments", Sprache "GB"), else "". Flags: any non-zero input
 * is True; results are exactly -1 (True) or 0 (False). A method called on an
 * object of the other class, or on NULL, returns False and does nothing.
 *
 * Threads: objects are independent. Separate objects may be used from
 * separate threads at the same time; one object from one thread at a time. */
#ifndef BELVORA_BELVORA_H
#define BELVORA_BELVORA_H

#include <stdint.h>

#include "belvora/export.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct belvora_object belvora_object;

/* "major.minor.patch" of the loaded library, e.g. "3.2.10"; a static text,
 * never freed. BELVORA_VERSION_STRING (belvora/version.h) is the version of
 * the headers compiled against. */
BELVORA_EXPORT const char *belvora_version(void);

/* "belvora.clsXRechnung" | "belvora.clsXConverter"; NULL otherwise */
BELVORA_EXPORT belvora_object *belvora_create(const char *class_name);
/* NULL is allowed */
BELVORA_EXPORT void belvora_release(belvora_object *obj);

/* clsXRechnung */
BELVORA_EXPORT int16_t belvora_DLL_Init_DB(belvora_object *obj, const char *ExportFile,
                                           const char *Connectionstring, const char *SQL,
                                           const char *ParameterString, int16_t Parameter,
                                           const char *EmbeddedFile, const char *tblName,
                                           int16_t bolFrageImport);
BELVORA_EXPORT int16_t belvora_CreateXRechnung(belvora_object *obj);
BELVORA_EXPORT void belvora_ShowSupport(belvora_object *obj, const char *Email);
BELVORA_EXPORT void belvora_ShowAbout(belvora_object *obj);
BELVORA_EXPORT void belvora_ShowParameter(belvora_object *obj, const char *DBConnect,
                                          const char *Datasource, const char *Export,
                                          int16_t Parameter, const char *FileName,
                                          const char *Tablename, int16_t bolFrage);
BELVORA_EXPORT void belvora_Ecosio(belvora_object *obj);
BELVORA_EXPORT void belvora_SpecifiedTradeAllowanceChange(belvora_object *obj);
BELVORA_EXPORT void belvora_BillingSpecifiedPeriod(belvora_object *obj);

/* clsXConverter: 0 when the file cannot be read or storing it failed
 * (nothing of the invoice is then written); a declined save is no failure. */
BELVORA_EXPORT int16_t belvora_XConverter(belvora_object *obj, const char *strFile,
                                          const char *strFolder, const char *Connect,
                                          const char *tbl, const char *Sprache, int16_t bolFrage);

#ifdef __cplusplus
}
#endif

#endif
