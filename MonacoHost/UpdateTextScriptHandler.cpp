#include "MonacoHost/UpdateTextScriptHandler.h"

#include <QFile>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include "MonacoHost/MonacoViewController.h"
#include "MonacoHost/ShownTextScriptHandler.h"
#include "Platform/Fatal.h"
#include "Platform/Foundation/Base64.h"
#include "Platform/Foundation/UTF8.h"

namespace monacohost {

namespace {

// Messages posted before the channel is connected wait for it, in order.
constexpr auto messageHandlersScript = R"js(
(function () {
  'use strict';
  var pending = [];
  var handlers = null;
  function handler(name) {
    return {
      postMessage: function (body) {
        if (handlers) handlers[name].postMessage(body);
        else pending.push([name, body]);
      }
    };
  }
  window.messageHandlers = { updateText: handler('updateText'), shownText: handler('shownText') };
  new QWebChannel(qt.webChannelTransport, function (channel) {
    handlers = channel.objects;
    pending.splice(0).forEach(function (message) { handlers[message[0]].postMessage(message[1]); });
  });
})();
)js";

QString webChannelClientScript() {
  QFile file(":/qtwebchannel/qwebchannel.js");
  if (!file.open(QIODevice::ReadOnly)) platform::fatal("The web channel's page script is missing.");
  return QString::fromUtf8(file.readAll());
}

}  // namespace

UpdateTextScriptHandler::UpdateTextScriptHandler(MonacoViewController& parent) : QObject(&parent), parent_(parent) {}

void UpdateTextScriptHandler::install(QWebEnginePage& page) {
  auto* channel = new QWebChannel(&page);
  channel->registerObject(name, this);
  channel->registerObject(ShownTextScriptHandler::name, new ShownTextScriptHandler(parent_));
  page.setWebChannel(channel, QWebEngineScript::MainWorld);

  QWebEngineScript script;
  script.setName("messageHandlers");
  script.setSourceCode(webChannelClientScript() + messageHandlersScript);
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(QWebEngineScript::MainWorld);
  script.setRunsOnSubFrames(false);
  page.scripts().insert(script);
}

void UpdateTextScriptHandler::postMessage(const QVariant& body) {
  std::string text = decodeTextMessage(body);
  if (auto delegate = parent_.delegate) delegate->textChanged(parent_, std::move(text));
}

std::string decodeTextMessage(const QVariant& body) {
  if (body.typeId() == QMetaType::QString) {
    const QByteArray encoded = body.toString().toUtf8();
    if (auto bytes = platform::base64Decode(std::string_view(encoded.constData(), encoded.size()))) {
      if (auto text = platform::decodeUTF8(bytes->view())) return std::move(*text);
    }
  }
  platform::fatal("Unexpected message body");
}

}  // namespace monacohost
