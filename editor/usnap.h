#pragma once
// Pictures of the editor's windows for visual checks: relmap --snapshots <dir> [model]

#include <QString>

class QWidget;

namespace korvi::relmap {

// Shows the main window, then each dialog over the open model in turn, saves it as <dir>/<window name>.png and
// closes it. Returns the number of pictures that could not be written.
int writeSnapshots(QWidget& mainWindow, const QString& directory);

}  // namespace korvi::relmap
