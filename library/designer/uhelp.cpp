#include "library/designer/uhelp.h"

#include <QFileInfo>
#include <QPointer>
#include <QUrl>

#include "common/text/messages.h"
#include "common/text/paths.h"
#include "common/text/strings.h"

THelpWindow::THelpWindow(QWidget* parent) : QTextBrowser(parent) {
  setObjectName(QStringLiteral("THelpWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setOpenExternalLinks(false);
  resize(640, 520);
}

QString THelpWindow::helpFile() {
  return korvi::paths::helpDirectory() + QStringLiteral("/selq") + korvi::language().code + QStringLiteral(".html");
}

bool THelpWindow::showHelp(const QString& keyword) {
  static QPointer<THelpWindow> window;
  const QString file = helpFile();
  if (!QFileInfo(file).isFile()) {
    korvi::ShowPlainMessage(file + QStringLiteral(" ?"));
    return false;
  }
  if (!window) window = new THelpWindow();
  QUrl url = QUrl::fromLocalFile(file);
  url.setFragment(keyword.isEmpty() ? QStringLiteral("index") : keyword);
  window->setSource(url);
  window->setWindowTitle(window->documentTitle());
  window->show();
  window->raise();
  window->activateWindow();
  return true;
}
