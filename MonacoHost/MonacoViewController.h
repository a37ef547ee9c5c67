#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MonacoHost/EditorScript.h"
#include "MonacoHost/MonacoViewControllerDelegate.h"

class QWebEngineView;

namespace monacohost {

// Shows the code editor page of the module's bundle in a web view, creates
// the editor in it from the delegate's text and options each time the page
// has loaded, follows the system's light or dark appearance, and hands every
// text change of the page to the delegate.
//
// A widget: like every widget it belongs to its parent. Main thread only.
class MonacoViewController : public QWidget {
  Q_OBJECT

 public:
  explicit MonacoViewController(QWidget* parent = nullptr);
  ~MonacoViewController() override;

  // Asked for text and options whenever the editor is created; set it
  // before the view loads.
  std::shared_ptr<MonacoViewControllerDelegate> delegate;

  // Null until `loadView`.
  QWebEngineView* webView() const { return webView_; }

  // Builds the web view with the text message handler, and starts following
  // the system's appearance.
  void loadView();
  // Requests the editor page.
  void viewDidLoad();
  void loadEditorPage();

  // Runs the program that creates the editor with the delegate's values of
  // this moment.
  void createEditor();
  // Hands the text the page's editor shows, once it has taken every key
  // sent to it so far, to the delegate when it differs from the delegate's,
  // then calls `written`. The page's changes post themselves after the key
  // that made them, and scripts may overtake keys, so neither tells that
  // text: the controller sends a key of its own behind them, which the page
  // answers (see ShownTextScriptHandler). Before the editor page has loaded
  // nothing typed is on its way, and `written` comes at once; while the
  // page does not answer, it does not come. A controller closed before its
  // page answered has its text written as last reported: `written` comes
  // soon after.
  void writeShownText(std::function<void()> written);
  // The page's answer to one of the keys sent for writeShownText; an answer
  // to no key still waiting is left alone.
  void shownTextArrived(const QVariant& answer);
  // Switches the editor to the system's appearance.
  void updateTheme();
  // "vs-dark" when the application's palette is dark, otherwise "vs".
  static std::string detectTheme();

 signals:
  // The page's process ended or could not start: the editor shows nothing
  // and takes no typing any more.
  void pageProcessEnded(const QString& reason);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  EditorOptions readOptions();
  void navigationFinished(bool succeeded);
  // Script failures are reported, never retried.
  void evaluate(std::string script);
  void showScriptError(const QString& error, const std::string& script);
  void showError(const QString& informativeText);

  QWebEngineView* webView_ = nullptr;
  bool pageLoaded_ = false;
  struct ShownTextAsk {
    char32_t key;
    std::function<void()> written;
  };
  // Oldest first, one for each key sent and not yet answered.
  std::vector<ShownTextAsk> waitingForShownText_;
  // Counts the keys sent: each waiting one has a key of its own.
  std::uint32_t nextAsk_ = 0;
};

}  // namespace monacohost
