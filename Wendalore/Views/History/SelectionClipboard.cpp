#include "Wendalore/Views/History/SelectionClipboard.h"

#include <QApplication>

#include <algorithm>

namespace wendalore {
namespace {

// Spans up to this many characters are built at once: it takes well under a
// frame.
constexpr std::uint32_t immediateUnits = 256 * 1024;

}  // namespace

SelectionClipboard::SelectionClipboard(QObject* parent) : QObject(parent) {}

void SelectionClipboard::put(std::shared_ptr<const TextLines> lines, TextSpans spans, std::uint32_t from,
                             std::uint32_t to, QClipboard::Mode mode) {
  const auto cancelled = building_[mode == QClipboard::Clipboard ? 0 : 1].renew();
  if (std::max(from, to) - std::min(from, to) <= immediateUnits) {
    QApplication::clipboard()->setText(textWithin(*lines, spans, from, to), mode);
    return;
  }
  const bool wasBusy = isBusy();
  ++pending_;
  if (!wasBusy) emit busyChanged(true);
  runInBackground(
      this,
      [lines = std::move(lines), spans = std::move(spans), from, to, cancelled] {
        return cancelled->load() ? QString() : textWithin(*lines, spans, from, to);
      },
      [this, mode, cancelled](QString text) {
        if (!cancelled->load()) QApplication::clipboard()->setText(text, mode);
        --pending_;
        if (!isBusy()) emit busyChanged(false);
      });
}

}  // namespace wendalore
