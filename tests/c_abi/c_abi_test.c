/* The C ABI from plain C: creation by class name, class checks, NULL texts
 * and a full creation run against a copy of the template database. */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "belvora/belvora.h"

static int failures = 0;

#define CHECK(cond)                                                            \
  do {                                                                         \
    if (!(cond)) {                                                             \
      fprintf(stdout, "%s:%d: CHECK failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                                              \
    }                                                                          \
  } while (0)

static int copy_file(const char *from, const char *to) {
  FILE *in = fopen(from, "rb");
  FILE *out = fopen(to, "wb");
  char buffer[65536];
  size_t n;
  int ok = in && out;
  while (ok && (n = fread(buffer, 1, sizeof buffer, in)) > 0) ok = fwrite(buffer, 1, n, out) == n;
  if (in) fclose(in);
  if (out && fclose(out) != 0) ok = 0;
  return ok;
}

static char *read_all(const char *path, long *size) {
  FILE *f = fopen(path, "rb");
  char *data;
  if (!f) return NULL;
  fseek(f, 0, SEEK_END);
  *size = ftell(f);
  fseek(f, 0, SEEK_SET);
  data = malloc((size_t)*size + 1);
  if (fread(data, 1, (size_t)*size, f) != (size_t)*size) *size = -1;
  data[*size < 0 ? 0 : *size] = 0;
  fclose(f);
  return data;
}

/* Standard error goes to a file while a call runs, so the console messages
 * of the library can be checked. */
static int saved_err = -1;
static void capture_begin(const char *path) {
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  fflush(stderr);
  saved_err = dup(2);
  dup2(fd, 2);
  close(fd);
}
static void capture_end(void) {
  fflush(stderr);
  dup2(saved_err, 2);
  close(saved_err);
}

int main(void) {
  char dir[] = "/tmp/belvora-c-abi-XXXXXX";
  char db[256], connect[300], out[256], err[256], config[256];
  long size = 0;
  char *text;
  belvora_object *x, *c;

  if (!mkdtemp(dir)) return 2;
  snprintf(db, sizeof db, "%s/erp.sqlite", dir);
  snprintf(connect, sizeof connect, "Data Source=%s", db);
  snprintf(out, sizeof out, "%s/RG252068.xml", dir);
  snprintf(err, sizeof err, "%s/stderr.txt", dir);
  snprintf(config, sizeof config, "%s/config", dir);
  setenv("XDG_CONFIG_HOME", config, 1);
  setenv("BELVORA_UI", "console", 1);
  if (!copy_file(BELVORA_TEMPLATE_DB, db)) return 2;

  /* Creation by name; unknown names give NULL. */
  CHECK(belvora_create("belvora.clsNothing") == NULL);
  CHECK(belvora_create(NULL) == NULL);
  CHECK(belvora_create("") == NULL);
  x = belvora_create("belvora.clsXRechnung");
  c = belvora_create("belvora.clsXConverter");
  CHECK(x != NULL);
  CHECK(c != NULL);

  /* Methods on the other class or on NULL: False and nothing done. */
  CHECK(belvora_XConverter(x, out, dir, connect, NULL, NULL, -1) == 0);
  CHECK(belvora_DLL_Init_DB(c, out, connect, "Select * from xRechnung", "252068", 0, NULL, NULL,
                            0) == 0);
  CHECK(belvora_CreateXRechnung(c) == 0);
  CHECK(belvora_CreateXRechnung(NULL) == 0);
  CHECK(belvora_XConverter(NULL, out, dir, connect, NULL, NULL, 0) == 0);
  belvora_ShowAbout(c);
  belvora_ShowSupport(NULL, NULL);
  belvora_Ecosio(c);
  belvora_ShowParameter(c, NULL, NULL, NULL, 0, NULL, NULL, 0);
  belvora_BillingSpecifiedPeriod(NULL);
  belvora_SpecifiedTradeAllowanceChange(c);
  CHECK(access(out, F_OK) != 0);

  /* A full creation run; NULL texts take their defaults (no attachment,
   * documents table tblDocuments), any non-zero flag is True. */
  capture_begin(err);
  CHECK(belvora_DLL_Init_DB(x, out, connect, "Select * from xRechnung", "252068", 7, NULL, NULL,
                            0) == -1);
  CHECK(belvora_CreateXRechnung(x) == -1);
  /* The session is used up: the second run fails with the catch-all message. */
  CHECK(belvora_CreateXRechnung(x) == 0);
  capture_end();

  text = read_all(out, &size);
  CHECK(text != NULL && size > 3);
  if (text) {
    CHECK(memcmp(text, "\xEF\xBB\xBF<?xml", 8) == 0);
    CHECK(strstr(text, "<ram:ID>252068</ram:ID>") != NULL);
    free(text);
  }
  text = read_all(err, &size);
  CHECK(text != NULL);
  if (text) {
    CHECK(strncmp(text, "[Error in DLL] An error has occurred: 1\r\n", 41) == 0);
    free(text);
  }

  /* NULL texts where there is no default are empty: no connection string. */
  capture_begin(err);
  CHECK(belvora_DLL_Init_DB(x, NULL, NULL, NULL, NULL, 0, NULL, NULL, 0) == 0);
  capture_end();
  text = read_all(err, &size);
  CHECK(text != NULL && strstr(text, "[Note] Connect to database failed.") == text);
  free(text);

  belvora_release(x);
  belvora_release(c);
  belvora_release(NULL);

  {
    char command[400];
    snprintf(command, sizeof command, "rm -rf '%s'", dir);
    if (system(command) != 0) ++failures;
  }
  if (failures)
    printf("%d check(s) failed\n", failures);
  else
    printf("all C ABI checks passed\n");
  return failures ? 1 : 0;
}
