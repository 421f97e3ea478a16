/* A host written in plain C, without Qt: it loads libSelq32.so at run time, resolves the
 * fifteen functions by name and drives the designer's lifecycle headless, in the
 * unattended mode (the message boxes are answered from KORVI_ANSWERS and logged to
 * KORVI_MESSAGE_LOG). Usage: test_chost <work directory>. Exit code 0 when every check
 * passed. */
#include <dlfcn.h>
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "selq32.h"

typedef int (*FnText)(const char*);
typedef int (*FnNone)(void);
typedef void (*FnVoid)(void);
typedef int (*FnInt)(int32_t);
typedef int (*FnWindow)(uint32_t);
typedef void (*FnVoidInt)(int32_t);
typedef void (*FnVoidText)(const char*);
typedef void (*FnLine)(int32_t, char*);

static struct {
  FnText run, loadOsq, loadMdl;
  FnVoid exitDesigner, unload;
  FnNone isRunning, execute, display, unregister, lineCount;
  FnInt setSize;
  FnWindow registerWindow;
  FnVoidInt showButton;
  FnVoidText setCaption;
  FnLine line;
} kv;

static int failures = 0;

#define CHECK(cond)                                                     \
  do {                                                                  \
    if (!(cond)) {                                                      \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                                       \
    }                                                                   \
  } while (0)

static void* resolve(void* lib, const char* name) {
  void* p = dlsym(lib, name);
  if (!p) {
    fprintf(stderr, "missing export %s: %s\n", name, dlerror());
    ++failures;
  }
  return p;
}

static int writeFile(const char* path, const char* content) {
  FILE* f = fopen(path, "wb");
  if (!f) {
    fprintf(stderr, "cannot write %s: %s\n", path, strerror(errno));
    return 0;
  }
  fputs(content, f);
  fclose(f);
  return 1;
}

/* The whole message log, or an empty string when there is none. */
static char* readLog(const char* path) {
  FILE* f = fopen(path, "rb");
  char* text;
  long size;
  if (!f) {
    text = calloc(1, 1);
    return text;
  }
  fseek(f, 0, SEEK_END);
  size = ftell(f);
  fseek(f, 0, SEEK_SET);
  text = calloc(1, (size_t)size + 1);
  if (text && size > 0 && fread(text, 1, (size_t)size, f) != (size_t)size) text[0] = '\0';
  fclose(f);
  return text;
}

static int countLines(const char* text) {
  int n = 0;
  for (; *text; ++text)
    if (*text == '\n') ++n;
  return n;
}

int main(int argc, char** argv) {
  char model[1024], other[1024], missing[1024], query[1024], buffer[512];
  const char* dir = argc > 1 ? argv[1] : "chost-work";
  /* Optional: a directory holding the demo database, its model and saved queries. */
  const char* demo = argc > 2 ? argv[2] : NULL;
  char demoModel[1024], demoQuery[1024];
  const char* answers = getenv("KORVI_ANSWERS");
  const char* logPath = getenv("KORVI_MESSAGE_LOG");
  char* log;
  void* lib;
  int i, count, linesBefore;

  mkdir(dir, 0700);
  snprintf(model, sizeof model, "%s/demo.mdl", dir);
  snprintf(other, sizeof other, "%s/AUTRE.MDL", dir);
  snprintf(missing, sizeof missing, "%s/absent.mdl", dir);
  snprintf(query, sizeof query, "%s/absent.osq", dir);
  if (!answers || !logPath) {
    fprintf(stderr, "KORVI_ANSWERS and KORVI_MESSAGE_LOG must name files\n");
    return 2;
  }
  if (!writeFile(model, "[Tables]\nClients=:DEMO:,clients.dbf,1\n") || !writeFile(other, "[Tables]\n") ||
      !writeFile(answers, "OK\n"))
    return 2;
  unlink(logPath);
  unlink(missing);

  lib = dlopen(SELQ32_PATH, RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    fprintf(stderr, "cannot load %s: %s\n", SELQ32_PATH, dlerror());
    return 2;
  }
  kv.run = (FnText)resolve(lib, "kvslRun");
  kv.exitDesigner = (FnVoid)resolve(lib, "kvslExit");
  kv.isRunning = (FnNone)resolve(lib, "kvslIsRunning");
  kv.loadOsq = (FnText)resolve(lib, "kvslLoadOSQ");
  kv.loadMdl = (FnText)resolve(lib, "kvslLoadMDL");
  kv.execute = (FnNone)resolve(lib, "kvslExecuteQuery");
  kv.display = (FnNone)resolve(lib, "kvslDisplayResult");
  kv.setSize = (FnInt)resolve(lib, "kvslSetSize");
  kv.registerWindow = (FnWindow)resolve(lib, "kvslRegisterCallBack");
  kv.unregister = (FnNone)resolve(lib, "kvslUnRegisterCallBack");
  kv.unload = (FnVoid)resolve(lib, "kvslUnload");
  kv.showButton = (FnVoidInt)resolve(lib, "kvslShowCustBtn");
  kv.setCaption = (FnVoidText)resolve(lib, "kvslSetCustBtnCaption");
  kv.lineCount = (FnNone)resolve(lib, "kvslGetSqlLineCount");
  kv.line = (FnLine)resolve(lib, "kvslGetSqlLine");
  if (failures) return 1;

  /* Before the first run: nothing runs, nothing is shown, the buffer stays as it was. */
  CHECK(kv.isRunning() == 0);
  CHECK(kv.loadOsq(model) == 1);
  CHECK(kv.loadMdl(model) == 1);
  CHECK(kv.execute() == 1);
  CHECK(kv.display() == 1);
  CHECK(kv.setSize(2) == 1);
  kv.exitDesigner();
  CHECK(kv.lineCount() == 0);
  memset(buffer, 'z', sizeof buffer);
  kv.line(1, buffer);
  CHECK(buffer[0] == 'z');
  CHECK(kv.registerWindow(0) == 1);
  CHECK(kv.unregister() == 1);

  /* A missing model: message 56 (answered OK from the answers file), result 1. */
  CHECK(kv.run(missing) == 1);
  CHECK(kv.isRunning() == 0);
  log = readLog(logPath);
  CHECK(countLines(log) == 1);
  CHECK(strstr(log, "Impossible de trouver le fichier") != NULL);
  CHECK(strstr(log, missing) != NULL);
  CHECK(strstr(log, "OK") != NULL);
  free(log);

  /* Running. The library made its own application object; polling drives it. */
  CHECK(kv.run(model) == 0);
  CHECK(kv.isRunning() == 1);
  for (i = 0; i < 20; ++i) CHECK(kv.isRunning() == 1);
  CHECK(kv.setSize(9999) == 0);
  CHECK(kv.isRunning() == 1);
  CHECK(kv.setSize(-1) == 0);
  CHECK(kv.setSize(1) == 0);
  CHECK(kv.setSize(2) == 0);

  CHECK(kv.registerWindow(0x12345678u) == 0);
  CHECK(kv.unregister() == 0);
  CHECK(kv.unregister() == 1);
  kv.showButton(1);
  memset(buffer, 'c', 100);
  buffer[100] = '\0';
  kv.setCaption(buffer);
  kv.setCaption(NULL);

  count = kv.lineCount();
  CHECK(count >= 0);
  memset(buffer, 'z', sizeof buffer);
  kv.line(0, buffer);
  kv.line(-1, buffer);
  kv.line(count + 1, buffer);
  CHECK(buffer[0] == 'z' && buffer[sizeof buffer - 1] == 'z');

  /* Files that do not exist are refused without a message. */
  log = readLog(logPath);
  linesBefore = countLines(log);
  free(log);
  CHECK(kv.loadOsq(query) == 1);
  CHECK(kv.loadMdl(missing) == 1);
  /* Another model on a query without tables: no question. */
  CHECK(kv.loadMdl(other) == 0);
  log = readLog(logPath);
  CHECK(countLines(log) == linesBefore);
  free(log);
  CHECK(kv.display() == 1);

  /* Exit, then everything that needs the designer running refuses again. */
  kv.exitDesigner();
  CHECK(kv.isRunning() == 0);
  CHECK(kv.setSize(0) == 1);
  CHECK(kv.execute() == 1);
  CHECK(kv.run(model) == 0);
  CHECK(kv.isRunning() == 1);

  /* A saved query of the demo database: loaded, executed and shown, its SQL read back. */
  if (demo) {
    snprintf(demoModel, sizeof demoModel, "%s/ventes.mdl", demo);
    snprintf(demoQuery, sizeof demoQuery, "%s/montant_par_client.osq", demo);
    CHECK(kv.loadMdl(demoModel) == 0);
    CHECK(kv.loadOsq(demoQuery) == 0);
    CHECK(kv.display() == 1); /* nothing executed yet */
    CHECK(kv.execute() == 0);
    CHECK(kv.display() == 0);
    count = kv.lineCount();
    CHECK(count > 2);
    memset(buffer, 0, sizeof buffer);
    kv.line(1, buffer);
    CHECK(strncmp(buffer, "SELECT", 6) == 0 || strncmp(buffer, " SELECT", 7) == 0);
    for (i = 0; i < 10; ++i) CHECK(kv.isRunning() == 1);
  }

  /* The host's usual ending. */
  kv.exitDesigner();
  kv.unregister();
  kv.unload();
  if (dlclose(lib) != 0) {
    fprintf(stderr, "dlclose: %s\n", dlerror());
    ++failures;
  }
  if (failures) fprintf(stderr, "%d check(s) failed\n", failures);
  return failures ? 1 : 0;
}
