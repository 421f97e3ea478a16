#include "editor/umain.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QStyle>
#include <QToolButton>
#include <exception>

#include "common/dialogs/dialogs.h"
#include "common/dialogs/unattended.h"
#include "common/ini/inifile.h"
#include "common/engine/types.h"
#include "common/text/messages.h"
#include "common/text/settings.h"
#include "common/text/strings.h"
#include "editor/uchamps.h"
#include "editor/uchoix.h"
#include "editor/uglobal.h"
#include "editor/uliens.h"
#include "editor/ulier.h"
#include "editor/utables.h"

namespace korvi::relmap {

TRelmapApplication::TRelmapApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TRelmapApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const IniWriteError& e) {
    reportInternalError(e.text());
  } catch (const engine::EngineError& e) {
    reportInternalError(e.text());
  } catch (const std::exception& e) {
    reportInternalError(QString::fromUtf8(e.what()));
  } catch (...) {
    reportInternalError(QString());
  }
  return false;
}

void startRelmap(const QString& programDir) {
  session().ProgramDir = programDir;
  session().ModelDir = defaultModelDirectory(programDir);
  installStringTable(stringTableResource(Deliverable::Editor));
  // The boxes exist before the language is known: the start-up may have to explain a bad
  // language value. Their captions follow the language once it is set.
  installDialogs(DeliverableKind::Editor);
  startLanguage(Deliverable::Editor);
  installDialogs(DeliverableKind::Editor);  // captions in the interface language
  QGuiApplication::setApplicationDisplayName(QStringLiteral("Relmap 32"));
}

TFormPrincipale::TFormPrincipale(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("TFormPrincipale"));
  setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  FormCreate();
}

void TFormPrincipale::FormCreate() {
  auto action = [this](QMenu* menu, const char* name, int text, void (TFormPrincipale::*slot)()) {
    QAction* a = menu->addAction(LoadText(text));
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  auto menu = [this](const char* name, int text) {
    QMenu* m = menuBar()->addMenu(LoadText(text));
    m->setObjectName(QLatin1String(name));
    m->menuAction()->setObjectName(QLatin1String(name));
    return m;
  };
  QMenu* modele = menu("mnuModele", 66);
  action(modele, "mnuModeleNouveau", 67, &TFormPrincipale::mnuModeleNouveauClick);
  action(modele, "mnuModeleOuvrir", 68, &TFormPrincipale::mnuModeleOuvrirClick);
  modele->addSeparator();
  QAction* quit = modele->addAction(LoadText(69));
  quit->setObjectName(QStringLiteral("mnuModeleQuitter"));
  connect(quit, &QAction::triggered, this, &QWidget::close);
  QMenu* description = menu("mnuDescription", 70);
  action(description, "mnuDescriptionTables", 71, &TFormPrincipale::mnuDescriptionTablesClick);
  action(description, "mnuDescriptionChamps", 72, &TFormPrincipale::mnuDescriptionChampsClick);
  QMenu* lien = menu("mnuLien", 73);
  action(lien, "mnuLienLierDesTables", 74, &TFormPrincipale::mnuLienLierDesTablesClick);
  action(lien, "mnuLienAfficher", 75, &TFormPrincipale::mnuLienAfficherClick);
  QMenu* aide = menu("mnuAide", 76);
  action(aide, "mnuAideAProposde", 77, &TFormPrincipale::mnuAideAProposdeClick);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setFixedSize(374, 38);
  struct ButtonDef {
    const char* name;
    int left;
    int hint;
    QStyle::StandardPixmap icon;
    void (TFormPrincipale::*slot)();
  };
  const ButtonDef buttons[] = {
      {"SpeedButtonMdlNew", 16, 85, QStyle::SP_FileIcon, &TFormPrincipale::mnuModeleNouveauClick},
      {"SpeedButtonMDLOpen", 40, 86, QStyle::SP_DialogOpenButton, &TFormPrincipale::mnuModeleOuvrirClick},
      {"SpeedButtonDescTable", 88, 87, QStyle::SP_FileDialogDetailedView, &TFormPrincipale::mnuDescriptionTablesClick},
      {"SpeedButtonDescField", 112, 88, QStyle::SP_FileDialogListView, &TFormPrincipale::mnuDescriptionChampsClick},
      {"SpeedButtonLinkTable", 160, 89, QStyle::SP_ArrowRight, &TFormPrincipale::mnuLienLierDesTablesClick},
      {"SpeedButtonShowLinks", 184, 90, QStyle::SP_FileDialogContentsView, &TFormPrincipale::mnuLienAfficherClick},
      {"SpeedButton1", 312, 91, QStyle::SP_DialogCloseButton, nullptr},
  };
  for (const ButtonDef& def : buttons) {
    auto* b = new QToolButton(panel);
    b->setObjectName(QLatin1String(def.name));
    b->setGeometry(def.left, 8, 25, 25);
    b->setToolTip(LoadText(def.hint));
    b->setIcon(style()->standardIcon(def.icon));
    b->setAutoRaise(true);
    if (def.slot) connect(b, &QToolButton::clicked, this, def.slot);
    else connect(b, &QToolButton::clicked, this, &QWidget::close);
  }
  setCentralWidget(panel);
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  openDefaultModel();
  session().captionChanged = false;
  refreshCaption();
}

void TFormPrincipale::refreshCaption() { setWindowTitle(mainCaption()); }

void TFormPrincipale::openModelFile(const QString& path) {
  openModel(path);
  refreshCaption();
}

void TFormPrincipale::mnuModeleNouveauClick() {
  FileRequest request;
  request.save = true;
  request.caption = LoadText(84);
  request.fileName = QStringLiteral("*.mdl");
  request.defaultSuffix = QStringLiteral("mdl");
  request.filter = qtFilter(LoadText(82));
  request.directory = session().ModelDir;
  QString path;
  if (!messages().askFile(request, path)) path.clear();
  newModel(path);
  refreshCaption();
}

void TFormPrincipale::mnuModeleOuvrirClick() {
  FileRequest request;
  request.caption = LoadText(83);
  request.fileName = QStringLiteral("*.mdl");
  request.defaultSuffix = QStringLiteral("mdl");
  request.filter = qtFilter(LoadText(82));
  request.directory = session().ModelDir;
  QString path;
  if (!messages().askFile(request, path) || path.isEmpty()) return;
  openModelFile(path);
}

void TFormPrincipale::mnuDescriptionTablesClick() {
  TFormDescriptionTables dialog(this);
  dialog.exec();
}

void TFormPrincipale::mnuDescriptionChampsClick() {
  session().SelectedTable.clear();
  {
    TFormChoixTables chooser(this);
    if (chooser.exec() == QDialog::Accepted) {
      TFormDescriptionChamps dialog(this);
      dialog.exec();
    }
  }
  session().SelectedTable.clear();
}

void TFormPrincipale::mnuLienLierDesTablesClick() {
  TFormLierDesTables dialog(this);
  dialog.exec();
}

void TFormPrincipale::mnuLienAfficherClick() {
  TFormAfficherLiens dialog(this);
  dialog.exec();
}

void TFormPrincipale::mnuAideAProposdeClick() {
  const QString text = QStringLiteral("Relmap 32\n\n") +
                       frenchOrEnglish("Éditeur de modèles relationnels", "Relational model editor") +
                       QStringLiteral("\n") + session().ModelPath;
  if (unattendedSession()) {
    // Unattended runs get the about text as a logged box instead of a dialog that waits.
    MessageRequest r;
    r.text = text;
    r.kind = MsgKind::Plain;
    messages().showMessage(r);
    return;
  }
  QMessageBox::about(this, LoadText(77).remove(QLatin1Char('&')).remove(QStringLiteral(" ...")), text);
}

void TFormPrincipale::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  if (!confirmQuit()) {
    event->ignore();
    return;
  }
  closed_ = true;
  closeModel();
  event->accept();
}

}  // namespace korvi::relmap
