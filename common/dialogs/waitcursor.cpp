#include "common/dialogs/waitcursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QThread>

namespace korvi {
namespace {

int g_depth = 0;

bool guiUsable() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  return app && QThread::currentThread() == app->thread();
}

}  // namespace

WaitCursor::WaitCursor() {
  if (!guiUsable()) return;
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  active_ = true;
  ++g_depth;
}

WaitCursor::~WaitCursor() {
  if (!active_) return;
  --g_depth;
  // The application may have gone first; its cursor stack went with it.
  if (guiUsable()) QGuiApplication::restoreOverrideCursor();
}

int WaitCursor::depth() { return g_depth; }

}  // namespace korvi
