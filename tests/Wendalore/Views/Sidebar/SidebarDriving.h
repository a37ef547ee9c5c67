#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <string>

#include "Wendalore/Views/Sidebar/SidebarOutlineView.h"

namespace wendalore {

// The first row of that name, breadth first; invalid, with the test failed,
// when there is none.
inline QModelIndex rowNamed(SidebarOutlineView& view, const std::string& name) {
  const auto& model = view.outlineModel();
  QModelIndexList pending{QModelIndex()};
  while (!pending.isEmpty()) {
    const QModelIndex parent = pending.takeFirst();
    for (int at = 0; at < model.rowCount(parent); ++at) {
      const QModelIndex child = model.index(at, 0, parent);
      if (child.data().toString().toStdString() == name) return child;
      pending.push_back(child);
    }
  }
  ADD_FAILURE() << "no row " << name;
  return {};
}

// Drags the text over the sidebar's viewport and drops it there, as a drag
// from the sidebar or from elsewhere ends; whether the drop was taken.
inline bool dropText(SidebarOutlineView& view, const QString& text, QPoint at) {
  QMimeData data;
  data.setText(text);
  const Qt::DropActions offered = Qt::MoveAction | Qt::CopyAction;
  QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &enter);
  QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &move);
  if (!move.isAccepted()) {
    QDragLeaveEvent leave;
    QApplication::sendEvent(view.viewport(), &leave);
    return false;
  }
  EXPECT_EQ(move.dropAction(), Qt::MoveAction);
  QDropEvent dropped(QPointF(at), offered, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &dropped);
  return dropped.isAccepted();
}

}  // namespace wendalore
