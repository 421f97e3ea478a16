#pragma once
// The designer's MDI client area: a button-face background with the links between the
// tables of the query drawn on it, behind the table windows, after every paint.

#include <QLine>
#include <QList>
#include <QMdiArea>
#include <functional>

namespace korvi::selq {

class TMDIClient : public QMdiArea {
  Q_OBJECT
 public:
  // The lines to draw, asked for at every paint (none while a result window is open).
  using LineSource = std::function<QList<QLine>()>;

  explicit TMDIClient(QWidget* parent = nullptr);
  void setLineSource(LineSource source) { source_ = std::move(source); }
  // The lines drawn by the last paint.
  const QList<QLine>& drawnLines() const { return drawn_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  LineSource source_;
  QList<QLine> drawn_;
};

}  // namespace korvi::selq
