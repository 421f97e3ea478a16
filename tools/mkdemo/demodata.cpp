#include "tools/mkdemo/demodata.h"

#include <QDate>
#include <QDir>
#include <QFile>

#include <array>

#include "common/engine/tablefiles.h"
#include "common/ini/modelfile.h"

namespace korvi::demo {
namespace {

using engine::FieldDesc;
using engine::FieldType;
using engine::Row;

// A small deterministic generator, so that every run writes the same database.
class Random {
 public:
  explicit Random(quint32 seed) : state_(seed) {}
  quint32 next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  int below(int n) { return int(next() % quint32(n)); }

 private:
  quint32 state_;
};

struct City {
  const char* name;
  const char* postcode;
};
constexpr std::array<City, 8> kCities{{{"Paris", "75001"}, {"Lyon", "69002"}, {"Marseille", "13001"},
                                       {"Besançon", "25000"}, {"Saint-Étienne", "42000"}, {"Orléans", "45000"},
                                       {"Nîmes", "30000"}, {"Grenoble", "38000"}}};

constexpr std::array<const char*, 12> kLastNames{{"Dupont", "Lefèvre", "Martin", "Bérard", "Chevalier", "Moreau",
                                                  "Girard", "Rousseau", "Léger", "Fontaine", "Mercier", "Dubois"}};
constexpr std::array<const char*, 12> kFirstNames{{"Amélie", "Jérôme", "Françoise", "Hélène", "Benoît", "Céline",
                                                   "Gaël", "Noémie", "Loïc", "Agnès", "Mathéo", "Zoé"}};

struct Product {
  const char* ref;
  const char* label;
  double price;
  const char* description;
};
constexpr std::array<Product, 10> kProducts{{
    {"CAF-250", "Café moulu 250 g", 3.95, "Café arabica torréfié à Besançon."},
    {"THE-100", "Thé vert 100 g", 5.40, "Feuilles entières, récolte de printemps."},
    {"CHO-070", "Chocolat noir 70 %", 2.85, "Tablette de 100 g."},
    {"MIE-500", "Miel de lavande", 7.20, "Pot en verre de 500 g, Provence."},
    {"CONF-AB", "Confiture d'abricot", 4.10, "Fruits du Roussillon, 60 % de fruits."},
    {"BIS-SAB", "Sablés bretons", 3.30, "Au beurre salé."},
    {"HUI-OLV", "Huile d'olive vierge", 9.90, "Bouteille de 75 cl."},
    {"SEL-GUE", "Fleur de sel", 6.50, "Récoltée à la main à Guérande."},
    {"MOU-DIJ", "Moutarde de Dijon", 2.20, "Pot de 210 g."},
    {"VIN-BOR", "Vinaigre de vin", 3.05, "Vieilli en fût de chêne."},
}};

void writeTable(const QString& path, const QList<FieldDesc>& fields, qint64 rows,
                const std::function<Row(qint64)>& makeRow) {
  auto writer = engine::createTableFile(path, fields);
  for (qint64 i = 0; i < rows; ++i) writer->appendRecord(makeRow(i));
  writer->close();
}

QString dirWithSlash(const QString& dir) {
  QString d = QDir(dir).absolutePath();
  if (!d.endsWith(QLatin1Char('/'))) d += QLatin1Char('/');
  return d;
}

void writeModel(const QString& dir) {
  const QString path = dir + QStringLiteral("ventes.mdl");
  QFile::remove(path);
  ModelFile model(path);
  IniFile& ini = model.ini();
  const QList<QPair<QString, QString>> tables{{QString::fromUtf8("Clients"), "clients.dbf"},
                                              {QString::fromUtf8("Commandes"), "commande.dbf"},
                                              {QString::fromUtf8("Lignes de commande"), "lignes.db"},
                                              {QString::fromUtf8("Produits"), "produits.db"},
                                              {QString::fromUtf8("Villes"), "villes.db"}};
  for (const auto& [name, file] : tables)
    ini.writeString("Tables", name, dir + QLatin1Char(',') + file + QLatin1Char(',') + model.NextTableNumber());

  const auto fields = [&](const char* number, const QStringList& names) {
    for (int i = 0; i < names.size(); ++i)
      if (!names[i].isEmpty()) ini.writeString(number, QString::number(i + 1), names[i]);
  };
  fields("1", {QString::fromUtf8("Numéro client"), "Nom", QString::fromUtf8("Prénom"), "Code ville",
               QString::fromUtf8("Client depuis"), "Actif", "Notes"});
  fields("2", {QString::fromUtf8("Numéro de commande"), QString::fromUtf8("Numéro client"), "Date de commande",
               QString::fromUtf8("Payée"), "Montant"});
  fields("3", {QString::fromUtf8("Numéro de commande"), QString::fromUtf8("Référence"), QString::fromUtf8("Quantité"),
               "Prix unitaire"});
  fields("4", {QString::fromUtf8("Référence"), QString::fromUtf8("Libellé"), "Prix", "Stock", "Description"});
  fields("5", {"Code ville", "Ville", "Code postal"});

  const auto link = [&](const char* slave, const char* master, const char* slaveField, const char* masterField) {
    const QString nl = QString::fromLatin1(slave) + QLatin1Char('L');
    const int n = ini.readInteger(nl, "N", 0) + 1;
    ini.writeInteger(nl, "N", n);
    const QString section = nl + QString::number(n);
    ini.writeString(section, "T", master);
    ini.writeString(section, "S", slaveField);
    ini.writeString(section, "D", masterField);
  };
  link("1", "villes.db", "VILLE", "CODEVILLE");
  link("2", "clients.dbf", "NUMCLI", "NUMCLI");
  link("3", "commande.dbf", "NUMCDE", "NUMCDE");
  link("3", "produits.db", "REF", "REF");
}

// A saved query: its tables (number, file, long name, place) and its cells.
struct SavedQuery {
  const char* file;
  QList<std::array<QString, 3>> tables;  // table file, long name, window left
  QList<std::array<QString, 6>> columns; // field, table, sort, show, operation, criteria
};

void writeQuery(const QString& dir, const SavedQuery& q) {
  const QString path = dir + QString::fromLatin1(q.file);
  QFile::remove(path);
  IniFile ini(path);
  ini.writeInteger("General", "NombreTables", int(q.tables.size()));
  ini.writeInteger("General", "NombreColonnes", int(q.columns.size()) + 2);
  ini.writeString("General", "Modele", "ventes.mdl");
  ini.writeString("General", "Language", "FR");
  for (int t = 0; t < q.tables.size(); ++t) {
    const QString section = QStringLiteral("Table%1").arg(t + 1);
    ini.writeString(section, "NomTable", q.tables[t][0]);
    ini.writeString(section, "CheminTable", dir);
    ini.writeString(section, "NomLong", q.tables[t][1]);
    ini.writeString(section, "X", q.tables[t][2]);
    ini.writeString(section, "Y", "5");
    ini.writeString(section, "L", "136");
    ini.writeString(section, "H", "167");
  }
  int key = 0;
  for (int c = 0; c < q.columns.size(); ++c)
    for (int r = 0; r < 6; ++r)
      if (!q.columns[c][r].isEmpty())
        ini.writeString("Cellules", QString::number(++key),
                        QStringLiteral("%1,%2,%3").arg(c + 1).arg(r + 1).arg(q.columns[c][r]));
  for (int c = 1; c <= q.columns.size() + 1; ++c) ini.writeInteger("Largeurs", QStringLiteral("L%1").arg(c), 100);
}

void writeQueries(const QString& dir) {
  const QString clients = QStringLiteral("Clients");
  const QString villes = QStringLiteral("Villes");
  const QString commandes = QStringLiteral("Commandes");
  const QString asc = QStringLiteral("Croissant"), none = QString::fromUtf8("Non trié");
  const QString show = QStringLiteral("Afficher"), noop = QStringLiteral("Aucune");
  writeQuery(dir, {"clients_par_ville.osq",
                   {{"clients.dbf", clients, "8"}, {"villes.db", villes, "164"}},
                   {{"Nom", clients, asc, show, noop, ""},
                    {QString::fromUtf8("Prénom"), clients, none, show, noop, ""},
                    {"Ville", villes, asc, show, noop, "COMMENCEPAR \"P\" OU COMMENCEPAR \"L\""}}});
  writeQuery(dir, {"montant_par_client.osq",
                   {{"clients.dbf", clients, "8"}, {"commande.dbf", commandes, "164"}},
                   {{"Nom", clients, asc, show, QStringLiteral("Regroupement"), ""},
                    {"Montant", commandes, none, show, QStringLiteral("Somme"), ""}}});
  writeQuery(dir, {"commandes_payees.osq",
                   {{"commande.dbf", commandes, "8"}},
                   {{QString::fromUtf8("Numéro de commande"), commandes, QString::fromUtf8("Décroissant"), show, noop, ""},
                    {"Date de commande", commandes, none, show, noop, ""},
                    {QString::fromUtf8("Payée"), commandes, none, show, noop, "VRAI"},
                    {"Montant", commandes, none, show, noop, ">100"}}});
}

}  // namespace

void writeDemo(const Options& options) {
  if (!QDir().mkpath(options.directory))
    throw engine::EngineError(QStringLiteral("%1: cannot create the directory").arg(options.directory));
  const QString dir = dirWithSlash(options.directory);
  Random random(20261208);
  const qint64 orders = std::max<qint64>(1, options.orders);
  const qint64 clients = std::max<qint64>(12, orders / 50);

  writeTable(dir + "villes.db",
             {{"CODEVILLE", FieldType::ftInteger, 0, 0}, {"NOMVILLE", FieldType::ftString, 30, 0},
              {"CODEPOST", FieldType::ftString, 5, 0}},
             qint64(kCities.size()), [](qint64 i) {
               return Row{qint64(i + 1), QString::fromUtf8(kCities[size_t(i)].name),
                          QString::fromLatin1(kCities[size_t(i)].postcode)};
             });

  writeTable(dir + "produits.db",
             {{"REF", FieldType::ftString, 8, 0}, {"LIBELLE", FieldType::ftString, 40, 0},
              {"PRIX", FieldType::ftCurrency, 0, 0}, {"STOCK", FieldType::ftInteger, 0, 0},
              {"DESCRIPTION", FieldType::ftMemo, 10, 0}},
             qint64(kProducts.size()), [&](qint64 i) {
               const Product& p = kProducts[size_t(i)];
               return Row{QString::fromLatin1(p.ref), QString::fromUtf8(p.label), p.price,
                          qint64(random.below(500)), QString::fromUtf8(p.description)};
             });

  writeTable(dir + "clients.dbf",
             {{"NUMCLI", FieldType::ftInteger, 0, 0}, {"NOM", FieldType::ftString, 30, 0},
              {"PRENOM", FieldType::ftString, 20, 0}, {"VILLE", FieldType::ftInteger, 0, 0},
              {"DATECREA", FieldType::ftDate, 0, 0}, {"ACTIF", FieldType::ftBoolean, 0, 0},
              {"NOTES", FieldType::ftMemo, 10, 0}},
             clients, [&](qint64 i) {
               const QString last = QString::fromUtf8(kLastNames[size_t(i) % kLastNames.size()]);
               const QString first = QString::fromUtf8(kFirstNames[size_t(random.below(int(kFirstNames.size())))]);
               const QVariant notes = i % 3 == 0 ? QVariant(QString::fromUtf8("Client fidèle depuis l'ouverture.\r\nPréfère être contacté le matin."))
                                                 : QVariant();
               return Row{qint64(i + 1), last, first, qint64(random.below(int(kCities.size())) + 1),
                          QDate(2015, 1, 1).addDays(random.below(3000)), i % 7 != 3, notes};
             });

  writeTable(dir + "commande.dbf",
             {{"NUMCDE", FieldType::ftInteger, 0, 0}, {"NUMCLI", FieldType::ftInteger, 0, 0},
              {"DATECDE", FieldType::ftDate, 0, 0}, {"PAYEE", FieldType::ftBoolean, 0, 0},
              {"MONTANT", FieldType::ftFloat, 12, 2}},
             orders, [&](qint64 i) {
               return Row{qint64(1000 + i), qint64(random.below(int(clients)) + 1),
                          QDate(2024, 1, 1).addDays(random.below(1000)), random.below(4) != 0,
                          double(random.below(50000)) / 100.0 + 5.0};
             });

  writeTable(dir + "lignes.db",
             {{"NUMCDE", FieldType::ftInteger, 0, 0}, {"REF", FieldType::ftString, 8, 0},
              {"QUANTITE", FieldType::ftSmallint, 0, 0}, {"PRIXUNIT", FieldType::ftCurrency, 0, 0}},
             orders, [&](qint64 i) {
               const Product& p = kProducts[size_t(random.below(int(kProducts.size())))];
               return Row{qint64(1000 + i), QString::fromLatin1(p.ref), qint64(random.below(12) + 1), p.price};
             });

  writeModel(dir);
  writeQueries(dir);
}

}  // namespace korvi::demo
