#pragma once
// The help window: shows the help file of the interface language at its index or at a
// keyword's anchor.

#include <QTextBrowser>

class THelpWindow : public QTextBrowser {
  Q_OBJECT
 public:
  // The help file of the current language: "selq" + language code + ".html".
  static QString helpFile();
  // Opens (or raises) the one help window at the keyword's anchor; the index when empty.
  // Returns false, after saying so, when the help file does not exist.
  static bool showHelp(const QString& keyword = QString());

 private:
  explicit THelpWindow(QWidget* parent = nullptr);
};
