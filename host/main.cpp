// selqhost: a sample host of libSelq32.so.
//   selqhost [--lib <path to libSelq32.so>] [--model <model.mdl> [--query <query.osq> [--show]]]
// With --model the designer is started on that model at once; --query then loads a saved
// query into it, and --show runs the query and shows its result.

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
  const QCommandLineOption queryOption(QStringList{QStringLiteral("query")},
                                       QStringLiteral("Saved query to load once the designer runs."),
                                       QStringLiteral("path"));
  const QCommandLineOption showOption(QStringList{QStringLiteral("show")},
                                      QStringLiteral("Run the loaded query and show its result."));
  parser.addOption(libOption);
  parser.addOption(modelOption);
  parser.addOption(queryOption);
  parser.addOption(showOption);
  parser.process(app);

  HostWindow window;
  window.show();
  const bool loaded = window.loadLibrary(parser.value(libOption));
  if (loaded && parser.isSet(modelOption)) {
    window.setModelPath(parser.value(modelOption));
    // Once the host's own window is up and its loop runs.
    const bool query = parser.isSet(queryOption);
    const bool show = parser.isSet(showOption);
    if (query) window.setQueryPath(parser.value(queryOption));
    QTimer::singleShot(0, &window, [&window, query, show] {
      window.runDesigner();
      if (!query) return;
      window.loadQuery();
      if (show) window.executeAndDisplay();
    });
  }
  return app.exec();
}
