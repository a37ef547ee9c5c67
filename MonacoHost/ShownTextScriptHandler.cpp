#include "MonacoHost/ShownTextScriptHandler.h"

#include "MonacoHost/MonacoViewController.h"

namespace monacohost {

ShownTextScriptHandler::ShownTextScriptHandler(MonacoViewController& parent) : QObject(&parent), parent_(parent) {}

void ShownTextScriptHandler::postMessage(const QVariant& body) { parent_.shownTextArrived(body); }

}  // namespace monacohost
