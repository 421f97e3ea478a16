#pragma once
// The process-wide state of the library: what the exports read and write, the switches
// read from the settings at load, the SQL seam and the host notification.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "common/ini/modelfile.h"

namespace korvi::selq {

class TFormPrincipale;

// Longest model path and custom button caption that the library keeps.
constexpr int kMaxStateText = 80;

// Where the SQL text of the current query comes from. The SQL assembly installs its own
// source; until then the query has no SQL lines.
class SqlSource {
 public:
  virtual ~SqlSource() = default;
  // The statement of the current query as lines, built afresh on every call.
  virtual QStringList sqlLines() = 0;
};
// Installs a source (null restores the empty one); returns the previous one.
std::shared_ptr<SqlSource> setSqlSource(std::shared_ptr<SqlSource> source);
SqlSource& sqlSource();

struct LibraryState {
  bool designerCreated = false;
  bool designerRunning = false;
  QString modelPath;  // at most kMaxStateText characters
  std::unique_ptr<ModelFile> modelReader = std::make_unique<ModelFile>(QString());
  QString startupDirectory;
  // Native id of the host widget told about results. The whole 32-bit value is kept.
  quint32 hostWindow = 0;
  bool customButtonVisible = false;
  QString customButtonCaption;  // at most kMaxStateText characters
  bool unloading = false;
  QPointer<TFormPrincipale> designer;
};
LibraryState& state();
// The reader of the current model (bound to an empty name until a model is opened).
ModelFile& modelReader();

// Language, settings, string table and dialogs: run once, before the first export acts.
void ensureLoaded();
// Whether the library created the QApplication itself (a host without Qt).
bool ownsApplication();
// Makes sure a QApplication exists; false when the process runs a non-widget Qt loop.
bool ensureApplication();
// For a host without its own Qt loop: handles the events that piled up since the last call.
void pumpEvents();
// Destroys the application object that the library created, if any.
void releaseOwnApplication();

// Posts KVSL_HOST_NOTIFICATION (0, 1) to the registered host widget. Returns false when
// no widget of this process has the registered id (the event then goes nowhere).
bool postHostNotification();

// The handler of unexpected failures: arrow cursor, then "Erreur interne : " + text as an
// error message. The designer window installs its own at creation.
void reportUnexpectedFailure(const QString& text);
void setUnexpectedFailureHandler(std::function<void(const QString&)> handler);

// Takes every override cursor away, so the normal arrow shows (nothing without a GUI).
void restoreArrowCursor();

// Cuts a text to the length that the state keeps.
QString cutStateText(const QString& text);

}  // namespace korvi::selq
