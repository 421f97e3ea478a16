#include "editor/uliens.h"

#include <QDir>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>

#include "common/dialogs/waitcursor.h"
#include "common/text/formats.h"
#include "common/text/messages.h"
#include "common/text/paths.h"
#include "common/text/strings.h"
#include "editor/uglobal.h"

namespace korvi::relmap {

QStringList linkListing() {
  WaitCursor wait;
  QStringList lines;
  const ModelFile& model = session().model();
  const IniFile& ini = model.ini();
  const QString tables = QLatin1String(ModelFile::kTables);
  for (const QString& name : ini.readSection(tables)) {
    const QString tableFile = model.TableFileOf(name);
    if (tableFile.isEmpty()) continue;
    lines << LoadText(20) + QStringLiteral(" \"") + name + QStringLiteral("\" (") +
                 model.TableLocationOf(name, ModelSide::Editor) + QStringLiteral(" : ") + tableFile + QLatin1Char(')');
    lines << QString(49, QLatin1Char('*'));
    const QString n = model.TableNumberOf(tableFile, ModelSide::Editor);
    const QString countSection = n + QLatin1Char('L');
    const int count = n.isEmpty() ? 0 : ini.readInteger(countSection, QStringLiteral("N"), 0);
    if (count <= 0) lines << LoadText(21);
    else if (count == 1) lines << LoadText(22);
    else lines << textWith(23, QString::number(count));
    for (int k = 1; k <= count; ++k) {
      const QString section = countSection + QString::number(k);
      lines << QString();
      lines << LoadText(24) + QString::number(k) + QStringLiteral(" : ");
      lines << QStringLiteral("------------");
      lines << LoadText(25) + ini.readString(section, QStringLiteral("T"));
      lines << LoadText(26) + ini.readString(section, QStringLiteral("S"));
      lines << LoadText(27) + ini.readString(section, QStringLiteral("D"));
      lines << QString();
    }
    lines << QString();
  }
  return lines;
}

QStringList printHeader(const QString& modelName, const QDateTime& when) {
  return {LoadText(17) + QStringLiteral(" - ") + modelName, QString(),
          LoadText(19) + formatShortDate(when.date()) + QLatin1Char(' ') + when.time().toString(formats().longTimeFormat),
          QString()};
}

QString printLines(const QStringList& lines, const QString& title) {
  QString pdfPath;
  const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
  QPrinter device(QPrinter::HighResolution);
  device.setDocName(title);
  if (printer.isNull()) {
    QString dir;
    if (!paths::tempDirectory(dir))
      throw std::runtime_error(frenchOrEnglish("Impossible d'accéder au répertoire temporaire ",
                                               "Cannot access the temporary directory ")
                                   .append(paths::tempDirectoryName())
                                   .toStdString());
    pdfPath = dir + QStringLiteral("/liens-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")) +
              QStringLiteral(".pdf");
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setOutputFileName(pdfPath);
  } else {
    device.setPrinterName(printer.printerName());
  }
  QPainter painter;
  if (!painter.begin(&device))
    throw std::runtime_error(frenchOrEnglish("L'impression ne peut pas commencer.", "Printing cannot start.").toStdString());
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(10);
  painter.setFont(font);
  const int lineHeight = painter.fontMetrics().lineSpacing();
  const QRect page = painter.viewport();
  int y = lineHeight;
  for (const QString& line : lines) {
    if (y > page.height() - lineHeight) {
      device.newPage();
      y = lineHeight;
    }
    painter.drawText(0, y, line);
    y += lineHeight;
  }
  if (!painter.end())
    throw std::runtime_error(frenchOrEnglish("L'impression a échoué.", "Printing failed.").toStdString());
  return pdfPath;
}

TFormAfficherLiens::TFormAfficherLiens(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFormAfficherLiens"));
  setWindowTitle(LoadText(17));
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setTextInteractionFlags(Qt::NoTextInteraction);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setFocusPolicy(Qt::NoFocus);
  auto* print = new QPushButton(LoadText(18), this);
  print->setObjectName(QStringLiteral("BitBtnPrint"));
  print->setAutoDefault(false);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("BitBtn1"));
  ok->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Memo1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(print);
  buttons->addStretch();
  buttons->addWidget(ok);
  layout->addLayout(buttons);
  resize(520, 440);
  connect(print, &QPushButton::clicked, this, &TFormAfficherLiens::BitBtnPrintClick);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  Memo1->setPlainText(linkListing().join(QLatin1Char('\n')));
}

void TFormAfficherLiens::BitBtnPrintClick() {
  QStringList lines = printHeader(session().ModelName, QDateTime::currentDateTime());
  lines += Memo1->toPlainText().split(QLatin1Char('\n'));
  const QString pdf = printLines(lines, LoadText(17));
  if (!pdf.isEmpty())
    ShowInformation(frenchOrEnglish("Aucune imprimante n'est installée : la liste est écrite dans le fichier ",
                                    "No printer is installed: the listing was written to the file ") +
                    pdf);
}

}  // namespace korvi::relmap
