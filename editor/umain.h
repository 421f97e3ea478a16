#pragma once
// The model editor's main window, its application object and its start-up.

#include <QApplication>
#include <QMainWindow>

namespace korvi::relmap {

// Catches every failure that no dialog handled and reports it with message 81; the
// program goes on.
class TRelmapApplication : public QApplication {
 public:
  TRelmapApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Program start after the application object exists: the program's directory, the dialog
// captions and the language, the application title. `modelPath` (from the command line)
// replaces the default model when given.
void startRelmap(const QString& programDir);

class TFormPrincipale : public QMainWindow {
  Q_OBJECT

 public:
  explicit TFormPrincipale(QWidget* parent = nullptr);
  // Opens the model given on the command line.
  void openModelFile(const QString& path);
  void refreshCaption();

  void mnuModeleNouveauClick();
  void mnuModeleOuvrirClick();
  void mnuDescriptionTablesClick();
  void mnuDescriptionChampsClick();
  void mnuLienLierDesTablesClick();
  void mnuLienAfficherClick();
  void mnuAideAProposdeClick();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  bool closed_ = false;
};

}  // namespace korvi::relmap
