// The model editor program: relmap [model.mdl]
#include <QFileInfo>

#include "editor/umain.h"

int main(int argc, char** argv) {
  korvi::relmap::TRelmapApplication app(argc, argv);
  korvi::relmap::startRelmap(QCoreApplication::applicationDirPath());
  korvi::relmap::TFormPrincipale window;
  const QStringList args = QCoreApplication::arguments();
  if (args.size() > 1) window.openModelFile(QFileInfo(args.at(1)).absoluteFilePath());
  window.show();
  return app.exec();
}
