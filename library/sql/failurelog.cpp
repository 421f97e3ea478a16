#include "library/sql/failurelog.h"

#include <QDir>
#include <QFile>

#include "common/text/messages.h"
#include "common/text/paths.h"
#include "common/text/strings.h"
#include "library/designer/osqfile.h"
#include "library/designer/querydocument.h"
#include "library/sql/validate.h"

namespace korvi::sql {
namespace {

QString logPath(const QString& directory, int k, const char* extension) {
  return QDir(directory).filePath(QStringLiteral("osq%1%2").arg(k).arg(QLatin1String(extension)));
}

// Creates the statement file of the first free number; never replaces an existing log, even
// one that appears between the search and the write.
int writeStatement(const QString& directory, const QStringList& lines) {
  for (int k = firstFreeLogNumber(directory); k >= 0 && k < 1000000; ++k) {
    QFile file(logPath(directory, k, ".SQL"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
      if (file.exists()) continue;
      return -1;
    }
    QByteArray text;
    for (const QString& line : lines) text += line.toUtf8() + '\n';
    if (file.write(text) != text.size() || !file.flush()) {
      file.close();
      file.remove();
      return -1;
    }
    return k;
  }
  return -1;
}

void refuseDirectory(const QString& directory) {
  ShowMessageBox(logDirectoryMessage(directory), MsgKind::Error, mbOK, mbOK);
}

}  // namespace

QString logDirectoryMessage(const QString& directory) {
  return LoadText(runtext::kLogDirectory).replace(QStringLiteral("C:\\TEMP"), QDir::toNativeSeparators(directory),
                                                  Qt::CaseInsensitive);
}

int firstFreeLogNumber(const QString& directory) {
  int k = 0;
  while (QFile::exists(logPath(directory, k, ".SQL"))) ++k;
  return k;
}

QString LogFailedQuery(RunContext& context, const QStringList& sqlLines) {
  if (!context.settings.allowSave) return QString();
  QString directory;
  if (!paths::tempDirectory(directory)) {
    refuseDirectory(paths::tempDirectoryName());
    return QString();
  }
  const int k = writeStatement(directory, sqlLines);
  if (k < 0) {
    refuseDirectory(directory);
    return QString();
  }
  const QString base = QDir(directory).filePath(QStringLiteral("osq%1").arg(k));

  // Saving names the document after the file and clears its modified flag: both come back.
  designer::QueryDocument& doc = *context.document;
  const QString fileName = doc.fileName();
  const bool modified = doc.isModified();
  designer::OsqContext osq = context.osq;
  osq.allowSave = true;
  QString failure;
  try {
    designer::Save(doc, base + QStringLiteral(".osq"), osq);
  } catch (const std::exception& e) {
    failure = QString::fromUtf8(e.what());
  }
  doc.setFileName(fileName);
  doc.setModified(modified);
  if (!failure.isEmpty()) {
    ShowMessageBox(LoadText(runtext::kInternalError) + failure, MsgKind::Error, mbOK, mbOK);
    return base;
  }
  ShowMessageBox(fillPlaceholders(LoadText(runtext::kLogWritten), {base}), MsgKind::Information, mbOK, mbOK);
  return base;
}

}  // namespace korvi::sql
