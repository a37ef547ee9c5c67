#include "MonacoHost/MonacoViewController.h"

#include <QApplication>
#include <QEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <algorithm>

#include "MonacoHost/ShownTextScriptHandler.h"
#include "MonacoHost/UpdateTextScriptHandler.h"
#include "Platform/Fatal.h"

namespace monacohost {

namespace {

// The script runs through an indirect eval so that a syntax error in it is
// caught like any exception; the failure comes back as its message, success
// as null.
QString guarded(const std::string& script) {
  const QByteArray literalInArray = QJsonDocument(QJsonArray{QString::fromStdString(script)}).toJson(QJsonDocument::Compact);
  const QString literal = QString::fromUtf8(literalInArray.mid(1, literalInArray.size() - 2));
  return "(function () { try { (0, eval)(" + literal + "); return null; } catch (error) { return String(error); } })()";
}

}  // namespace

MonacoViewController::MonacoViewController(QWidget* parent) : QWidget(parent) {}

MonacoViewController::~MonacoViewController() {
  // The page goes with the controller and answers nothing more. Whoever
  // waits goes on once the closing is over, not from inside it: the widgets
  // around the editor may be closing too.
  for (auto& ask : waitingForShownText_) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(ask.written), Qt::QueuedConnection);
  }
}

void MonacoViewController::loadView() {
  webView_ = new QWebEngineView(this);
  auto* handler = new UpdateTextScriptHandler(*this);
  handler->install(*webView_->page());
  connect(webView_, &QWebEngineView::loadFinished, this, &MonacoViewController::navigationFinished);
  connect(webView_->page(), &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus, int exitCode) {
            emit pageProcessEnded(QStringLiteral("its page's process ended with status %1").arg(exitCode));
          });
  webView_->page()->setBackgroundColor(Qt::transparent);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(webView_);

  // A change of the system's appearance arrives as a new application
  // palette, announced to the application object. The filter goes away with
  // this object.
  qApp->installEventFilter(this);
}

void MonacoViewController::viewDidLoad() { loadEditorPage(); }

void MonacoViewController::loadEditorPage() {
  const auto page = SyntaxHighlight::moduleBundle()->pathForResource("index", "html", "_Resources");
  if (!page) platform::fatal("The editor page \"_Resources/index.html\" is missing.");
  webView_->load(QUrl::fromLocalFile(QString::fromStdString(page->string())));
}

void MonacoViewController::navigationFinished(bool succeeded) {
  pageLoaded_ = succeeded;
  if (succeeded) {
    createEditor();
  } else {
    showError("The editor page could not be loaded: " + webView_->url().toString());
  }
}

EditorOptions MonacoViewController::readOptions() {
  EditorOptions options;
  std::optional<Theme> theme;
  if (const auto source = delegate) {
    options.syntax = source->readSyntax(*this);
    options.minimap = source->readMinimap(*this);
    options.scrollbar = source->readScrollbar(*this);
    options.smoothCursor = source->readSmoothCursor(*this);
    options.cursorBlink = source->readCursorBlink(*this);
    options.fontSize = source->readFontSize(*this);
    theme = source->readTheme(*this);
    options.text = source->readText(*this);
  }
  options.themeName = theme ? std::string(themeName(*theme)) : detectTheme();
  return options;
}

void MonacoViewController::createEditor() { evaluate(editorCreationScript(readOptions())); }

void MonacoViewController::writeShownText(std::function<void()> written) {
  QWidget* input = webView_->focusProxy();
  if (!pageLoaded_ || !input) {
    written();
    return;
  }
  const char32_t askKey = ShownTextScriptHandler::firstAskKey + nextAsk_++ % ShownTextScriptHandler::askKeyCount;
  waitingForShownText_.push_back({askKey, std::move(written)});
  // Sent to the page's input whether or not it has the keyboard: the keys
  // before it went there too. The character is the key's value in the page.
  const QString character = QString::fromUcs4(&askKey, 1);
  for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent key(type, static_cast<int>(askKey), Qt::NoModifier, character);
    QCoreApplication::sendEvent(input, &key);
  }
}

void MonacoViewController::shownTextArrived(const QVariant& answer) {
  const QVariantMap fields = answer.toMap();
  const auto asked = std::ranges::find(waitingForShownText_, fields.value("key").toUInt(), &ShownTextAsk::key);
  if (asked == waitingForShownText_.end()) return;
  auto written = std::move(asked->written);
  waitingForShownText_.erase(asked);
  if (const auto source = delegate; source && fields.value("text").typeId() == QMetaType::QString) {
    std::string text = decodeTextMessage(fields.value("text"));
    if (text != source->readText(*this)) source->textChanged(*this, std::move(text));
  }
  written();
}

void MonacoViewController::updateTheme() { evaluate(themeChangeScript(detectTheme())); }

std::string MonacoViewController::detectTheme() {
  const QPalette palette = QApplication::palette();
  const bool dark = palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness();
  return std::string(themeName(dark ? Theme::dark : Theme::light));
}

bool MonacoViewController::eventFilter(QObject* watched, QEvent* event) {
  if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) updateTheme();
  return QWidget::eventFilter(watched, event);
}

void MonacoViewController::evaluate(std::string script) {
  const QString source = guarded(script);
  webView_->page()->runJavaScript(
      source, QWebEngineScript::MainWorld,
      [self = QPointer(this), script = std::move(script)](const QVariant& result) {
        if (self && result.typeId() == QMetaType::QString) self->showScriptError(result.toString(), script);
      });
}

void MonacoViewController::showScriptError(const QString& error, const std::string& script) {
  showError("Something went wrong while evaluating " + error + ": " + QString::fromStdString(script));
}

void MonacoViewController::showError(const QString& informativeText) {
  // Shown without a nested event loop, so the page goes on while it is up.
  auto* alert = new QMessageBox(QMessageBox::Critical, "Error", "Error", QMessageBox::Ok, this);
  alert->setInformativeText(informativeText);
  alert->setWindowModality(Qt::ApplicationModal);
  alert->setAttribute(Qt::WA_DeleteOnClose);
  alert->show();
}

}  // namespace monacohost
