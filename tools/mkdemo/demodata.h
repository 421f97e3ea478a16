#pragma once
// The demo sales database: its tables, their rows, its relational model and saved queries.

#include <QString>

namespace korvi::demo {

struct Options {
  QString directory;
  qint64 orders = 60;  // rows of the orders table (--rows)
};

// Writes every table, the model "ventes.mdl" and the saved queries into the directory.
// Throws korvi::engine::EngineError or korvi::IniWriteError on failure.
void writeDemo(const Options& options);

}  // namespace korvi::demo
