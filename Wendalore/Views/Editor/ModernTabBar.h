#pragma once

#include <QVariantAnimation>
#include <QWidget>
#include <array>
#include <functional>
#include <map>

#include "Wendalore/Model/EditorTab.h"
#include "Wendalore/Model/TabStatus.h"

namespace wendalore {

// The strip of page tabs over the request editor's pages: one tab per page
// with its title and badge, and a capsule behind the selected one that
// slides to a newly clicked tab. Each tab is a button named by its title.
// The strip is one stop of the Tab key, shown by a ring around the
// capsule: Left and Right select the neighbouring tab, Space the next one,
// after the last the first.
class ModernTabBar : public QWidget {
 public:
  explicit ModernTabBar(QWidget* parent = nullptr);

  EditorTab selection() const { return selection_; }
  // From outside: the capsule jumps without sliding.
  void setSelection(EditorTab tab);
  // A tab without an entry has no badge.
  void setStatus(std::map<EditorTab, TabStatus> status);

  // Called on every click of a tab, the selected one included.
  std::function<void(EditorTab)> onSelect;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  class TabButton;

  void select(EditorTab tab);
  QRectF cursorTarget() const;
  QRectF shownCursor() const;
  void applySelection();

  EditorTab selection_ = EditorTab::params;
  std::array<TabButton*, 4> buttons_{};
  QRectF cursor_;
  QVariantAnimation slide_;
};

}  // namespace wendalore
