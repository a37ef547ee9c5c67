#pragma once

#include <QFrame>
#include <QScrollArea>

namespace wendalore {

// A borderless scroll area around a page. It takes no keyboard focus of its
// own: it has no frame to show the focus in, so Tab would seem to stop on
// nothing. Tab still scrolls it to the control it moves to.
inline QScrollArea* pageScrollArea(QWidget* parent) {
  auto* scroll = new QScrollArea(parent);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setFocusPolicy(Qt::NoFocus);
  return scroll;
}

}  // namespace wendalore
