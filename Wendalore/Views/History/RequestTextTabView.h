#pragma once

#include <functional>
#include <string>

#include "Wendalore/Views/History/HistoryTabPage.h"

namespace wendalore {

class LargeTextView;

// A page showing one text made from the send (the cURL command, the raw
// request) in a monospaced, selectable box, with a button copying it to the
// clipboard as plain text. The box fills the page and scrolls both ways
// inside it, whatever the text's size.
class RequestTextTabView : public HistoryTabPage {
  Q_OBJECT

 public:
  using TextOf = std::function<std::string(const RequestHistoryItem&)>;

  RequestTextTabView(const QString& title, TextOf textOf, QWidget* parent = nullptr);

  static RequestTextTabView* curl(QWidget* parent = nullptr);
  static RequestTextTabView* rawRequest(QWidget* parent = nullptr);

  QString text() const;

 protected:
  void refresh() override;

 private:
  void copyToClipboard();

  TextOf textOf_;
  LargeTextView* text_;
};

}  // namespace wendalore
