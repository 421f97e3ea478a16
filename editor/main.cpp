// The model editor program: relmap [model.mdl]
//                           relmap --snapshots <dir> [model.mdl]   (pictures of the windows)
#include <QFileInfo>

#include "editor/umain.h"
#include "editor/usnap.h"

int main(int argc, char** argv) {
  korvi::relmap::TRelmapApplication app(argc, argv);
  korvi::relmap::startRelmap(QCoreApplication::applicationDirPath());
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  QString snapshots;
  if (args.size() >= 2 && args.first() == QLatin1String("--snapshots")) {
    snapshots = args.at(1);
    args = args.mid(2);
  }
  korvi::relmap::TFormPrincipale window;
  if (!args.isEmpty()) window.openModelFile(QFileInfo(args.first()).absoluteFilePath());
  if (!snapshots.isEmpty()) return korvi::relmap::writeSnapshots(window, snapshots);
  window.show();
  return app.exec();
}
