// The fifteen functions of selq32.h. Each one makes sure the library is started, lets a
// host without its own Qt loop catch up on pending events, converts its arguments and
// keeps every failure inside: nothing is thrown across the C boundary.

#include <cstring>

#include <QFile>

#include "common/text/codepage.h"
#include "library/exports/libstate.h"
#include "library/exports/lifecycle.h"
#include "selq32.h"

#define KVSL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using namespace korvi::selq;

QString pathArgument(const char* text) { return text ? QFile::decodeName(text) : QString(); }

QString textArgument(const char* text) {
  return text ? korvi::decodeTextLine(QByteArrayView(text, static_cast<qsizetype>(std::strlen(text)))) : QString();
}

// Runs an export body: start-up, pending events, and 1 (or nothing) on any failure.
template <typename F>
int guardedResult(F&& body) {
  try {
    ensureLoaded();
    pumpEvents();
    return body();
  } catch (...) {
    return 1;
  }
}

template <typename F>
void guardedVoid(F&& body) {
  try {
    ensureLoaded();
    pumpEvents();
    body();
  } catch (...) {
  }
}

}  // namespace

KVSL_EXPORT int kvslRun(const char* modelPath) {
  return guardedResult([&] {
    if (!ensureApplication()) return 1;
    pumpEvents();
    return runDesigner(pathArgument(modelPath));
  });
}

KVSL_EXPORT void kvslExit(void) {
  guardedVoid([] { exitDesigner(); });
}

KVSL_EXPORT int kvslIsRunning(void) {
  try {
    ensureLoaded();
    pumpEvents();
    return designerRunning() ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

KVSL_EXPORT int kvslLoadOSQ(const char* queryPath) {
  return guardedResult([&] { return loadQueryFile(pathArgument(queryPath)); });
}

KVSL_EXPORT int kvslLoadMDL(const char* modelPath) {
  return guardedResult([&] { return loadModelFile(pathArgument(modelPath)); });
}

KVSL_EXPORT int kvslExecuteQuery(void) {
  return guardedResult([] { return executeQuery(); });
}

KVSL_EXPORT int kvslDisplayResult(void) {
  return guardedResult([] { return displayResult(); });
}

KVSL_EXPORT int kvslSetSize(int32_t sizeCode) {
  return guardedResult([&] { return setDesignerSize(sizeCode); });
}

KVSL_EXPORT int kvslRegisterCallBack(uint32_t window) {
  return guardedResult([&] { return registerCallBack(window); });
}

KVSL_EXPORT int kvslUnRegisterCallBack(void) {
  return guardedResult([] { return unregisterCallBack(); });
}

KVSL_EXPORT void kvslUnload(void) {
  guardedVoid([] {
    unloadDesigner();
    // A host without Qt unloads the library next: the window and the application object
    // that the library made for it go now, while their code is still mapped.
    if (ownsApplication()) releaseOwnApplication();
  });
}

KVSL_EXPORT void kvslShowCustBtn(int32_t visible) {
  guardedVoid([&] { showCustomButton(visible != 0); });
}

KVSL_EXPORT void kvslSetCustBtnCaption(const char* caption) {
  guardedVoid([&] { setCustomButtonCaption(textArgument(caption)); });
}

KVSL_EXPORT int kvslGetSqlLineCount(void) {
  try {
    ensureLoaded();
    pumpEvents();
    return sqlLineCount();
  } catch (...) {
    return 0;
  }
}

KVSL_EXPORT void kvslGetSqlLine(int32_t lineNumber, char* buffer) {
  guardedVoid([&] {
    QByteArray line;
    if (!buffer || !sqlLine(lineNumber, line)) return;
    try {
      std::memcpy(buffer, line.constData(), static_cast<size_t>(line.size()) + 1);
    } catch (...) {
      // A failure while copying is swallowed.
    }
  });
}
