#pragma once

#include <QLabel>
#include <QPointer>
#include <QSplitter>
#include <QWidget>

namespace wendalore {

// The main window's layout: the sidebar beside a detail area that stacks
// the editor over the history. Each place holds one widget at a time and
// owns it; installing another deletes the one before, so a newly selected
// request always gets a fresh editor.
class ContentView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int sidebarMinimumWidth = 250;
  static constexpr int detailMinimumWidth = 300;
  static constexpr int editorMinimumHeight = 200;
  static constexpr int placeholderMinimumHeight = 400;

  explicit ContentView(QWidget* parent = nullptr);

  void setSidebar(QWidget* sidebar);
  void setEditor(QWidget* editor);
  // "Add or select a request", in place of the editor.
  void showPlaceholder();
  void setHistory(QWidget* history);

  QWidget* sidebar() const { return sidebar_; }
  // The editor, or the placeholder while no request is selected.
  QWidget* editor() const { return editor_; }
  QWidget* history() const { return history_; }
  bool showsPlaceholder() const { return placeholder_ && editor_ == placeholder_; }

 private:
  // Puts `widget` into `place` in place of `current`, which is deleted.
  static void replace(QWidget* place, QPointer<QWidget>& current, QWidget* widget);
  void fitEditorPlace();

  QSplitter* splitter_;
  QSplitter* detail_;
  QWidget* sidebarPlace_;
  QWidget* editorPlace_;
  QWidget* historyPlace_;
  QPointer<QWidget> sidebar_;
  QPointer<QWidget> editor_;
  QPointer<QWidget> history_;
  QPointer<QWidget> placeholder_;
};

}  // namespace wendalore
