#pragma once

#include "Wendalore/Views/History/HistoryTabPage.h"

class QLabel;
class QLineEdit;

namespace wendalore {

class HighlightedTextView;

// The response page: the status over the highlighted body. Ctrl+F opens a
// find field whose text is marked in the body, with the number of its
// occurrences beside it; Esc closes it.
class ResponseTabView : public HistoryTabPage {
  Q_OBJECT

 public:
  explicit ResponseTabView(QWidget* parent = nullptr);

  HighlightedTextView& text() const { return *text_; }
  QLineEdit& searchField() const { return *searchField_; }
  QLabel& searchCount() const { return *searchCount_; }

 protected:
  void refresh() override;

 private:
  void openSearch();
  void closeSearch();

  QLabel* status_;
  QWidget* searchBar_;
  QLineEdit* searchField_;
  QLabel* searchCount_;
  HighlightedTextView* text_;
};

}  // namespace wendalore
