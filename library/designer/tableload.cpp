#include "library/designer/tableload.h"

#include "common/engine/engine.h"
#include "common/text/strings.h"

namespace korvi::designer {

TablePlacement placeTableWindow(int designerWidth, const QList<QRect>& windows, const QRect& requested) {
  using namespace tableplace;
  TablePlacement placement;
  QPoint place = requested.topLeft();
  if (requested.left() == 0 && requested.top() == 0) {
    const std::optional<QPoint> free = findFreePlace(designerWidth, windows);
    placement.noFreePlace = !free;
    place = free.value_or(QPoint(8, 5));
  }
  const int width = requested.width() != 0 ? requested.width() : kDefaultWidth;
  const int height = requested.height() != 0 ? requested.height() : kDefaultHeight;
  placement.rect = QRect(place, QSize(width, height));
  return placement;
}

TableReadResult readTableFields(QueryTable& table, const ModelFile& model, engine::Engine& engine) {
  TableReadResult result;
  table.fields.clear();
  result.modelNumber = model.TableNumberOf(table.tableName, ModelSide::Library);
  if (!result.modelNumber.isEmpty()) result.modelKeys = model.ini().readSection(result.modelNumber);

  const QString database = table.databaseName();
  std::unique_ptr<engine::Table> opened;
  try {
    opened = engine.OpenTable(database, table.tableName);
  } catch (const engine::EngineError& e) {
    result.error = e.text();
    return result;
  } catch (const std::exception& e) {
    result.error = QString::fromUtf8(e.what());
    return result;
  }
  result.opened = true;

  const QList<engine::FieldDesc> fields = engine::Engine::GetFieldDescriptions(*opened);
  for (const QString& key : result.modelKeys) {
    const QString friendly = model.ini().readString(result.modelNumber, key);
    bool ok = false;
    const int position = key.trimmed().toInt(&ok);
    if (!ok || position < 1 || position > fields.size() || friendly.isEmpty()) continue;
    const engine::FieldDesc& f = fields[position - 1];
    table.fields.append({friendly, f.name, f.type, f.size});
  }

  try {
    const QString type = engine.DescribeDatabase(database);
    result.serverDatabase = !type.isEmpty() && type.compare(QLatin1String("STANDARD"), Qt::CaseInsensitive) != 0;
  } catch (const std::exception&) {
    // A database the engine cannot describe keeps the quoting of local tables.
  }
  opened->close();
  return result;
}

QList<OfferedTable> offeredTables(const ModelFile& model, const QStringList& longNamesInQuery) {
  QList<OfferedTable> list;
  for (const ModelTableEntry& entry : model.tables()) {
    if (entry.location.isEmpty() || entry.tableFile.trimmed().isEmpty()) continue;
    if (longNamesInQuery.contains(entry.name)) continue;
    list.append({entry.name, entry.location, entry.tableFile});
  }
  return list;
}

QString tableOpenErrorText(const QString& engineText) {
  return LoadText(181) + engineText + QStringLiteral("\".");
}

}  // namespace korvi::designer
