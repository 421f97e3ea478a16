// The criteria editor window: buttons per field type, insertion at the caret, the length
// limit, the live check and OK, Cancel and the modified flag, parameter markers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "designerfixture.h"
#include "library/designer/uedit.h"

namespace korvi::designer::testing {
namespace {

using engine::FieldType;
using selq::TFormEdCriteres;

class CriteriaEditorTest : public DesignerTest {
 protected:
  void SetUp() override {
    DesignerTest::SetUp();
    QueryTable& t = doc.addTable(makeTable(
        QStringLiteral("Clients"), QStringLiteral("CLIENTS.DB"),
        {{QStringLiteral("Nom"), QStringLiteral("NOM"), FieldType::ftString, 30},
         {QStringLiteral("Quantité"), QStringLiteral("QTE"), FieldType::ftInteger, 0},
         {QStringLiteral("Montant"), QStringLiteral("MONTANT"), FieldType::ftCurrency, 0},
         {QStringLiteral("Actif"), QStringLiteral("ACTIF"), FieldType::ftBoolean, 0},
         {QStringLiteral("Jour"), QStringLiteral("JOUR"), FieldType::ftDate, 0},
         {QStringLiteral("Heure"), QStringLiteral("HEURE"), FieldType::ftTime, 0},
         {QStringLiteral("Photo"), QStringLiteral("PHOTO"), FieldType::ftGraphic, 0}}));
    int column = 1;
    for (const QueryField& f : t.fields) ASSERT_TRUE(doc.dropField(column++, t, f.displayName, false));
    doc.setModified(false);
  }

  // Columns in the order of the fields above.
  enum Col { kNom = 1, kQuantite, kMontant, kActif, kJour, kHeure, kPhoto };

  static QPushButton* button(TFormEdCriteres& ed, const char* name) {
    auto* b = ed.findChild<QPushButton*>(QLatin1String(name));
    EXPECT_NE(b, nullptr) << name;
    return b;
  }
  static void click(TFormEdCriteres& ed, const char* name) {
    QTest::mouseClick(button(ed, name), Qt::LeftButton);
  }
  static void setText(TFormEdCriteres& ed, const QString& text, int caret) {
    ed.editor()->setText(text);
    ed.editor()->setCursorPosition(caret);
  }
};

TEST_F(CriteriaEditorTest, WindowShowsTheFieldAndTheCell) {
  ASSERT_TRUE(doc.setCriteria(kNom, 7, QStringLiteral("Dupont")));
  doc.setModified(false);
  TFormEdCriteres ed(doc, kNom, 7);
  EXPECT_EQ(ed.objectName(), QStringLiteral("TFormEdCriteres"));
  EXPECT_EQ(ed.windowTitle(), QStringLiteral("Editeur de critères"));
  EXPECT_EQ(ed.findChild<QLabel*>(QStringLiteral("LabelChamp"))->text(), QStringLiteral("Champ : Nom"));
  EXPECT_EQ(ed.text(), QStringLiteral("Dupont"));
  EXPECT_EQ(ed.editor()->cursorPosition(), 6);
  EXPECT_EQ(ed.tokenCount(), 1);
  EXPECT_EQ(ed.syntaxState(), sql::kSyntaxValid);
  EXPECT_EQ(button(ed, "SpeedButtonEt")->text(), QStringLiteral("&Et"));
  EXPECT_EQ(button(ed, "BitBtn2")->text(), QStringLiteral("Annuler"));
  EXPECT_FALSE(doc.isModified());  // opening is no change
}

TEST_F(CriteriaEditorTest, ButtonsFollowTheTypeClass) {
  struct Expect {
    int column;
    bool alpha, digits, trueFalse, likes, today;
  };
  const Expect cases[] = {
      {kNom, true, false, false, true, false},       {kQuantite, false, true, false, false, false},
      {kMontant, false, true, false, false, false},  {kActif, false, false, true, false, false},
      {kJour, false, false, false, false, true},     {kHeure, false, false, false, false, false},
      {kPhoto, true, false, false, true, false},
  };
  for (const Expect& e : cases) {
    SCOPED_TRACE(e.column);
    TFormEdCriteres ed(doc, e.column, 6);
    EXPECT_EQ(button(ed, "SpeedButtonAlpha")->isEnabled(), e.alpha);
    EXPECT_EQ(button(ed, "SpeedButtonNum")->isEnabled(), e.digits);
    EXPECT_EQ(button(ed, "SpeedButtonVrai")->isEnabled(), e.trueFalse);
    EXPECT_EQ(button(ed, "SpeedButtonFaux")->isEnabled(), e.trueFalse);
    for (const char* like : {"SpeedButtonCommence", "SpeedButtonFini", "SpeedButtonContient", "SpeedButtonComme"})
      EXPECT_EQ(button(ed, like)->isEnabled(), e.likes) << like;
    EXPECT_EQ(button(ed, "SpeedButtonCeJour")->isEnabled(), e.today);
    for (const char* all : {"SpeedButtonSup", "SpeedButtonInf", "SpeedButtonSupouEgal", "SpeedButtonInfOuEgal",
                            "SpeedButtonDifferent", "SpeedButtonOuvrePar", "SpeedButtonFermePar", "SpeedButtonEt",
                            "SpeedButtonOu", "SpeedButtonVariable", "SpeedButtonValeurs", "SpeedButtonAide"})
      EXPECT_TRUE(button(ed, all)->isEnabled()) << all;
  }
}

TEST_F(CriteriaEditorTest, InsertionAtTheCaretSpacesThePieces) {
  TFormEdCriteres ed(doc, kNom, 6);
  setText(ed, QStringLiteral("Paris"), 5);
  click(ed, "SpeedButtonEt");
  EXPECT_EQ(ed.text(), QStringLiteral("Paris ET "));
  click(ed, "SpeedButtonInf");  // after a space: no space before it
  EXPECT_EQ(ed.text(), QStringLiteral("Paris ET <"));
  EXPECT_EQ(ed.editor()->cursorPosition(), 10);

  // At the start, before a text: a space after the piece only.
  setText(ed, QStringLiteral("Paris )"), 0);
  click(ed, "SpeedButtonOuvrePar");
  EXPECT_EQ(ed.text(), QStringLiteral("( Paris )"));
  EXPECT_EQ(ed.editor()->cursorPosition(), 2);

  // Keywords that a value follows get a space at the end of the text.
  setText(ed, QString(), 0);
  click(ed, "SpeedButtonCommence");
  EXPECT_EQ(ed.text(), QStringLiteral("COMMENCEPAR "));
  setText(ed, QStringLiteral("Paris"), 5);
  click(ed, "SpeedButtonDifferent");
  EXPECT_EQ(ed.text(), QStringLiteral("Paris <> "));
  setText(ed, QStringLiteral("Paris "), 6);
  click(ed, "SpeedButtonContient");
  EXPECT_EQ(ed.text(), QStringLiteral("Paris CONTIENT "));

  // In the middle of a word the piece stands apart on both sides.
  setText(ed, QStringLiteral("ParisLyon"), 5);
  click(ed, "SpeedButtonOu");
  EXPECT_EQ(ed.text(), QStringLiteral("Paris OU Lyon"));
  setText(ed, QStringLiteral("Paris Lyon"), 6);
  click(ed, "SpeedButtonOu");
  EXPECT_EQ(ed.text(), QStringLiteral("Paris OU Lyon"));
}

TEST_F(CriteriaEditorTest, KeywordButtonsInsertTheWordsOfTheLanguage) {
  TFormEdCriteres bools(doc, kActif, 6);
  click(bools, "SpeedButtonVrai");
  click(bools, "SpeedButtonOu");
  click(bools, "SpeedButtonFaux");
  EXPECT_EQ(bools.text(), QStringLiteral("VRAI OU FAUX"));
  EXPECT_EQ(bools.syntaxState(), sql::kSyntaxValid);

  TFormEdCriteres dates(doc, kJour, 6);
  click(dates, "SpeedButtonSupouEgal");
  click(dates, "SpeedButtonCeJour");
  EXPECT_EQ(dates.text(), QStringLiteral(">= CEJOUR "));
  EXPECT_EQ(dates.syntaxState(), sql::kSyntaxValid);
}

TEST_F(CriteriaEditorTest, EnglishInterfaceUsesEnglishWords) {
  setLanguage(2);
  TFormEdCriteres ed(doc, kNom, 6);
  EXPECT_EQ(ed.windowTitle(), QStringLiteral("Criteria editor"));
  EXPECT_EQ(button(ed, "SpeedButtonCommence")->text(), QStringLiteral("&StartsWith"));
  click(ed, "SpeedButtonCommence");
  QTest::keyClicks(ed.editor(), QStringLiteral("Dup"));
  click(ed, "SpeedButtonOu");
  click(ed, "SpeedButtonContient");
  QTest::keyClicks(ed.editor(), QStringLiteral("ont"));
  EXPECT_EQ(ed.text(), QStringLiteral("STARTSWITH Dup OR INCLUDES ont"));
  EXPECT_EQ(ed.syntaxState(), sql::kSyntaxValid);
}

TEST_F(CriteriaEditorTest, NoPieceBeyond255Characters) {
  TFormEdCriteres ed(doc, kNom, 6);
  const QString fits(251, QLatin1Char('a'));
  setText(ed, fits, 251);
  click(ed, "SpeedButtonEt");  // " ET " makes 255
  EXPECT_EQ(ed.text().size(), 255);
  EXPECT_TRUE(rec->boxes.isEmpty());

  const QString full(253, QLatin1Char('a'));
  setText(ed, full, 253);
  click(ed, "SpeedButtonEt");
  EXPECT_EQ(ed.text(), full);
  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_EQ(rec->boxes[0].text, QStringLiteral("Limite de 255 caractères dépassée !"));
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Information);

  // Typing stops at the limit as well.
  setText(ed, QString(254, QLatin1Char('b')), 254);
  QTest::keyClicks(ed.editor(), QStringLiteral("xyz"));
  EXPECT_EQ(ed.text().size(), 255);
}

TEST_F(CriteriaEditorTest, TypingChecksAtEachKeystroke) {
  TFormEdCriteres ed(doc, kQuantite, 6);
  QPushButton* ok = button(ed, "BitBtnOk");
  EXPECT_TRUE(ok->isEnabled());  // empty text: an empty criterion
  QTest::keyClicks(ed.editor(), QStringLiteral("> 12 ET"));
  EXPECT_EQ(ed.syntaxState(), sql::kSyntaxIncomplete);
  EXPECT_FALSE(ok->isEnabled());
  EXPECT_EQ(ed.tokenCount(), 3);
  EXPECT_TRUE(doc.isModified());
  QTest::keyClicks(ed.editor(), QStringLiteral(" < 20"));
  EXPECT_EQ(ed.syntaxState(), sql::kSyntaxValid);
  EXPECT_TRUE(ok->isEnabled());
  QTest::keyClicks(ed.editor(), QStringLiteral(" 30"));
  EXPECT_EQ(ed.syntaxState(), sql::kSyntaxInvalid);
  EXPECT_FALSE(ok->isEnabled());

  // Enter does not close the editor on an invalid text.
  QTest::keyClick(ed.editor(), Qt::Key_Return);
  EXPECT_NE(ed.result(), QDialog::Accepted);
  EXPECT_EQ(doc.cell(kQuantite, 6), QString());
}

TEST_F(CriteriaEditorTest, DiscShowsTheState) {
  TFormEdCriteres ed(doc, kQuantite, 6);
  auto* disc = ed.findChild<QLabel*>(QStringLiteral("ImageSyntaxe"));
  ASSERT_NE(disc, nullptr);
  auto centre = [disc] {
    const QImage image = disc->pixmap().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
  };
  const QColor face = ed.palette().color(QPalette::Window);
  EXPECT_EQ(centre(), QColor(0, 128, 0));
  EXPECT_EQ(disc->pixmap().toImage().pixelColor(0, 0), face);
  ed.editor()->setText(QStringLiteral("> 12 ET"));
  EXPECT_EQ(centre(), QColor(255, 128, 0));
  ed.editor()->setText(QStringLiteral("ET 12"));
  EXPECT_EQ(centre(), QColor(255, 0, 0));
}

TEST_F(CriteriaEditorTest, OkWritesTheCellAndWidensTheColumn) {
  doc.setColumnWidth(kNom, 40);
  TFormEdCriteres ed(doc, kNom, 8);
  ed.editor()->setText(QStringLiteral("COMMENCEPAR Dup OU CONTIENT ont"));
  QTest::mouseClick(button(ed, "BitBtnOk"), Qt::LeftButton);
  EXPECT_EQ(ed.result(), QDialog::Accepted);
  EXPECT_EQ(doc.cell(kNom, 8), QStringLiteral("COMMENCEPAR Dup OU CONTIENT ont"));
  EXPECT_EQ(doc.columnWidth(kNom), measure(doc.cell(kNom, 8)) + 5);
  EXPECT_TRUE(doc.isModified());
}

TEST_F(CriteriaEditorTest, CancelRestoresTheModifiedFlag) {
  ASSERT_TRUE(doc.setCriteria(kNom, 6, QStringLiteral("Paris")));
  doc.setModified(false);
  {
    TFormEdCriteres ed(doc, kNom, 6);
    QTest::keyClicks(ed.editor(), QStringLiteral(" OU Lyon"));
    EXPECT_TRUE(doc.isModified());
    QTest::mouseClick(button(ed, "BitBtn2"), Qt::LeftButton);
    EXPECT_EQ(ed.result(), QDialog::Rejected);
  }
  EXPECT_FALSE(doc.isModified());
  EXPECT_EQ(doc.cell(kNom, 6), QStringLiteral("Paris"));

  // A query modified before stays modified; Escape cancels too.
  doc.setModified(true);
  TFormEdCriteres ed(doc, kNom, 6);
  ed.show();
  QTest::keyClicks(ed.editor(), QStringLiteral("x"));
  QTest::keyClick(ed.editor(), Qt::Key_Escape);
  EXPECT_EQ(ed.result(), QDialog::Rejected);
  EXPECT_TRUE(doc.isModified());
  EXPECT_EQ(doc.cell(kNom, 6), QStringLiteral("Paris"));
}

TEST_F(CriteriaEditorTest, ALongCellFromAFileIsShownWholeButCannotBeAccepted) {
  // A hand-edited query file may hold a longer cell than the editor makes.
  const QString longText = QStringLiteral("Paris OU ") + QString(260, QLatin1Char('x'));
  ASSERT_TRUE(doc.setCell(kNom, 6, longText));
  TFormEdCriteres ed(doc, kNom, 6);
  EXPECT_EQ(ed.text(), longText);
  ed.accept();
  EXPECT_NE(ed.result(), QDialog::Accepted);
  EXPECT_EQ(rec->texts(), QStringList{QStringLiteral("Limite de 255 caractères dépassée !")});
  ed.editor()->setText(QStringLiteral("Paris"));
  ed.accept();
  EXPECT_EQ(ed.result(), QDialog::Accepted);
  EXPECT_EQ(doc.cell(kNom, 6), QStringLiteral("Paris"));
}

TEST_F(CriteriaEditorTest, ParameterMarkerAsksForThePrompt) {
  TFormEdCriteres ed(doc, kMontant, 6);
  click(ed, "SpeedButtonSup");
  rec->textAnswers.push_back({true, QStringLiteral("Montant minimum")});
  click(ed, "SpeedButtonVariable");
  EXPECT_EQ(rec->prompts, QStringList{QStringLiteral("Saisie d'un paramètre variable|Entrez le texte d'invite")});
  EXPECT_EQ(ed.text(), QStringLiteral("> \"[$|Montant minimum]\" "));
  EXPECT_EQ(ed.syntaxState(), sql::kSyntaxValid);
  EXPECT_EQ(ed.tokenCount(), 2);

  // Cancelled: nothing inserted.
  rec->textAnswers.push_back({false, QString()});
  click(ed, "SpeedButtonVariable");
  EXPECT_EQ(ed.text(), QStringLiteral("> \"[$|Montant minimum]\" "));

  // A prompt that would end the marker early is refused.
  rec->textAnswers.push_back({true, QStringLiteral("Montant] max")});
  click(ed, "SpeedButtonVariable");
  EXPECT_EQ(ed.text(), QStringLiteral("> \"[$|Montant minimum]\" "));
  EXPECT_EQ(rec->boxes.size(), 1);
}

TEST_F(CriteriaEditorTest, NoParameterOnAGraphicField) {
  TFormEdCriteres ed(doc, kPhoto, 6);
  click(ed, "SpeedButtonVariable");
  EXPECT_TRUE(rec->prompts.isEmpty());
  EXPECT_EQ(rec->texts(),
            QStringList{QStringLiteral("Ce type de champ ne peut pas faire l'objet d'une recherche par variable.")});
  EXPECT_TRUE(ed.text().isEmpty());
}

TEST_F(CriteriaEditorTest, EntryPointOnlyOnCriteriaCellsOfFields) {
  EXPECT_FALSE(selq::editCriteria(nullptr, doc, kNom, 5));
  EXPECT_FALSE(selq::editCriteria(nullptr, doc, kNom, 15));
  EXPECT_FALSE(selq::editCriteria(nullptr, doc, doc.spareColumn(), 6));
  EXPECT_TRUE(rec->boxes.isEmpty());

  // On a criteria cell the editor runs modally and its OK reaches the cell.
  bool sawEditor = false;
  QTimer::singleShot(0, [&] {
    auto* ed = qobject_cast<TFormEdCriteres*>(QApplication::activeModalWidget());
    if (!ed) return;
    sawEditor = true;
    QTest::keyClicks(ed->editor(), QStringLiteral("COMMENCEPAR Dup"));
    QTest::keyClick(ed->editor(), Qt::Key_Return);
  });
  EXPECT_TRUE(selq::editCriteria(nullptr, doc, kNom, 9));
  EXPECT_TRUE(sawEditor);
  EXPECT_EQ(doc.cell(kNom, 9), QStringLiteral("COMMENCEPAR Dup"));
}

}  // namespace
}  // namespace korvi::designer::testing
