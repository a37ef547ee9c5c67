#pragma once

#include <QClipboard>
#include <QObject>

#include <array>
#include <cstdint>
#include <memory>

#include "Wendalore/Views/History/BackgroundWork.h"
#include "Wendalore/Views/History/TextLines.h"
#include "Wendalore/Views/History/TextSpans.h"

namespace wendalore {

// Puts a span of a text view's text on the clipboard. A large span is built
// off the UI thread and set once it is ready, so that copying a body of
// hundreds of megabytes never holds the window; a newer copy to the same
// clipboard replaces one still being built.
class SelectionClipboard : public QObject {
  Q_OBJECT

 public:
  explicit SelectionClipboard(QObject* parent = nullptr);

  // The text between two positions of `lines`, in either order, as far as
  // it lies in `spans`.
  void put(std::shared_ptr<const TextLines> lines, TextSpans spans, std::uint32_t from, std::uint32_t to,
           QClipboard::Mode mode = QClipboard::Clipboard);
  bool isBusy() const { return pending_ > 0; }

 signals:
  // A copy began or ended being built in the background.
  void busyChanged(bool busy);

 private:
  // Per clipboard mode: the clipboard and the mouse selection.
  std::array<Cancellation, 2> building_;
  int pending_ = 0;
};

}  // namespace wendalore
