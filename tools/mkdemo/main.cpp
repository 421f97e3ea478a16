// mkdemo: writes the demo sales database, its relational model and saved queries.
//   mkdemo <directory> [--rows N]
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

#include "common/engine/types.h"
#include "common/ini/inifile.h"
#include "tools/mkdemo/demodata.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  korvi::demo::Options options;
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--rows") && i + 1 < args.size()) {
      bool ok = false;
      options.orders = args[++i].toLongLong(&ok);
      if (!ok || options.orders < 1) {
        std::fprintf(stderr, "mkdemo: --rows needs a positive number\n");
        return 2;
      }
    } else if (options.directory.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
      options.directory = args[i];
    } else {
      std::fprintf(stderr, "usage: mkdemo <directory> [--rows N]\n");
      return 2;
    }
  }
  if (options.directory.isEmpty()) {
    std::fprintf(stderr, "usage: mkdemo <directory> [--rows N]\n");
    return 2;
  }
  try {
    korvi::demo::writeDemo(options);
  } catch (const korvi::engine::EngineError& e) {
    std::fprintf(stderr, "mkdemo: %s\n", qPrintable(e.text()));
    return 1;
  } catch (const korvi::IniWriteError& e) {
    std::fprintf(stderr, "mkdemo: %s\n", qPrintable(e.text()));
    return 1;
  }
  std::printf("demo database written to %s\n", qPrintable(options.directory));
  return 0;
}
