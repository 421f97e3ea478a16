// selqhost: a sample host of libSelq32.so.
//   selqhost [--lib <path to libSelq32.so>] [--model <model.mdl>]
// With --model the designer is started on that model at once.

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "hostwindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("selqhost"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Sample host of the query designer library"));
  parser.addHelpOption();
  const QCommandLineOption libOption(QStringList{QStringLiteral("lib")},
                                     QStringLiteral("Path of libSelq32.so."), QStringLiteral("path"),
                                     QStringLiteral(KORVI_SELQ32_PATH));
  const QCommandLineOption modelOption(QStringList{QStringLiteral("model")},
                                       QStringLiteral("Model file to start the designer on."),
                                       QStringLiteral("path"));
  parser.addOption(libOption);
  parser.addOption(modelOption);
  parser.process(app);

  HostWindow window;
  window.show();
  const bool loaded = window.loadLibrary(parser.value(libOption));
  if (loaded && parser.isSet(modelOption)) {
    window.setModelPath(parser.value(modelOption));
    // Once the host's own window is up and its loop runs.
    QTimer::singleShot(0, &window, [&window] { window.runDesigner(); });
  }
  return app.exec();
}
