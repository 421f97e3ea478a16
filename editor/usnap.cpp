#include "editor/usnap.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>

#include "editor/ualias.h"
#include "editor/uchamps.h"
#include "editor/uchoix.h"
#include "editor/uglobal.h"
#include "editor/uliens.h"
#include "editor/ulier.h"
#include "editor/utables.h"

namespace korvi::relmap {

namespace {

int snap(QWidget& w, const QString& directory) {
  w.show();
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  const bool ok = w.grab().save(QDir(directory).filePath(w.objectName() + QStringLiteral(".png")));
  w.hide();
  return ok ? 0 : 1;
}

}  // namespace

int writeSnapshots(QWidget& mainWindow, const QString& directory) {
  QDir().mkpath(directory);
  int failures = 0;
  failures += snap(mainWindow, directory);
  {
    TFormDescriptionTables tables;
    failures += snap(tables, directory);
  }
  {
    TFormOuvertureAlias alias;
    failures += snap(alias, directory);
  }
  {
    TFormChoixTables chooser;
    failures += snap(chooser, directory);
  }
  const QStringList described = describedTables();
  session().SelectedTable = described.value(0);
  {
    TFormDescriptionChamps fields;
    failures += snap(fields, directory);
  }
  {
    TFormLierDesTables links;
    if (described.size() >= 2) {
      links.editor().chooseMaster(described[0]);
      links.editor().chooseSlave(described[1]);
      links.showState();
    }
    failures += snap(links, directory);
  }
  {
    TFormAfficherLiens listing;
    failures += snap(listing, directory);
  }
  session().releaseModel();
  return failures;
}

}  // namespace korvi::relmap
