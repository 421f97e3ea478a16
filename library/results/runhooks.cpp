#include "library/results/runhooks.h"

#include <QMdiArea>

#include "common/dialogs/waitcursor.h"
#include "common/engine/engine.h"
#include "common/ini/modelfile.h"
#include "common/text/messages.h"
#include "common/text/strings.h"
#include "library/designer/umain.h"
#include "library/results/uaffsql.h"
#include "library/sql/execute.h"

namespace korvi::results {
namespace {

// The designer as the result window's host: opening and closing switch its commands.
class DesignerResultHost : public QObject, public ResultWindowHost {
 public:
  explicit DesignerResultHost(selq::TFormPrincipale* designer) : QObject(designer), designer_(designer) {
    setObjectName(QStringLiteral("DesignerResultHost"));
  }
  void resultWindowOpened(TFormVisuResultat&) override {
    if (designer_) designer_->setResultWindowOpen(true);
  }
  void resultWindowClosed(TFormVisuResultat&) override {
    if (designer_) designer_->setResultWindowOpen(false);
  }

 private:
  QPointer<selq::TFormPrincipale> designer_;
};

DesignerResultHost& resultHost(selq::TFormPrincipale& designer) {
  auto* host = designer.findChild<DesignerResultHost*>(QStringLiteral("DesignerResultHost"), Qt::FindDirectChildrenOnly);
  return host ? *host : *new DesignerResultHost(&designer);
}

RunHookSources& sources() {
  static RunHookSources s;
  return s;
}

}  // namespace

sql::ExecutedQuery& executedQuery(selq::TFormPrincipale& designer) {
  auto* query = designer.findChild<sql::ExecutedQuery*>(QStringLiteral("QueryOSQ"), Qt::FindDirectChildrenOnly);
  return query ? *query : *new sql::ExecutedQuery(&designer);
}

bool queryIsLocal(const korvi::designer::QueryDocument& document) {
  for (const korvi::designer::QueryTable* t : document.tables()) {
    try {
      if (engine::Engine::instance().DescribeDatabase(t->databaseName()) != QLatin1String("STANDARD")) return false;
    } catch (const engine::EngineError&) {
      // A location the engine does not know is read as local files.
    }
  }
  return true;
}

bool RunDesignerQuery(selq::TFormPrincipale& designer, const ModelFile& model) {
  sql::RunContext context;
  context.document = &designer.document();
  context.model = &model;
  context.osq.modelPath = model.path();
  context.osq.temporaryDirectory = designer.tempDirectory();
  return sql::ExecuteQuery(context, executedQuery(designer));
}

ResultWindowOptions designerResultOptions(selq::TFormPrincipale& designer) {
  ResultWindowOptions o = ResultWindowOptions::fromSettings();
  o.queryFileName = designer.fileName();
  o.localDatabase = queryIsLocal(designer.document());
  o.host = &resultHost(designer);
  return o;
}

bool OpenResultWindow(selq::TFormPrincipale& designer, ResultWindowOptions options) {
  try {
    WaitCursor wait;
    auto* window = new TFormVisuResultat(executedQuery(designer), std::move(options));
    designer.mdiArea()->addSubWindow(window);
    window->showMaximized();
    designer.setResultWindowOpen(true);
    return true;
  } catch (const std::exception& e) {
    ShowMessageBox(LoadText(27) + QString::fromUtf8(e.what()), MsgKind::Error, mbOK, mbOK);
  }
  return false;
}

void installRunHooks(RunHookSources s) {
  sources() = std::move(s);
  selq::DesignerHooks& h = selq::designerHooks();
  h.runQuery = [](selq::TFormPrincipale& d) {
    static const ModelFile none{QString()};
    return RunDesignerQuery(d, sources().model ? sources().model() : none);
  };
  h.showResult = [](selq::TFormPrincipale& d) {
    ResultWindowOptions o = designerResultOptions(d);
    if (sources().hostOptions) sources().hostOptions(o);
    return OpenResultWindow(d, std::move(o));
  };
  h.resultSetOpen = [] {
    selq::TFormPrincipale* d = sources().designer ? sources().designer() : nullptr;
    return d && executedQuery(*d).isOpen();
  };
  h.closeResultSet = [] {
    if (selq::TFormPrincipale* d = sources().designer ? sources().designer() : nullptr) executedQuery(*d).close();
  };
  h.showSql = [](selq::TFormPrincipale& d) {
    static const ModelFile none{QString()};
    QStringList lines;
    {
      WaitCursor wait;
      lines = sql::CurrentSqlLines(d.document(), sources().model ? sources().model() : none);
    }
    ShowSqlWindow(lines, &d);
  };
}

}  // namespace korvi::results
