#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "Platform/Foundation/UUID.h"
#include "Wendalore/Views/Editor/KeyValueRow.h"

class QLineEdit;
class QVBoxLayout;

namespace wendalore {

// The Params or Headers page: one row per stored item, then the add-row
// line, and Tab goes through them in that order. A row stays with its item
// while the item is in the list, so a row the person is typing in survives
// a change of the list; the rows of items that went are handed to the items
// that came, in order, so that a list rebuilt from the URL at each
// keystroke redraws only the texts that changed.
class RowListPage : public QWidget {
 public:
  struct Setup {
    // The rows of the stored list, in its order.
    std::function<std::vector<KeyValueRow::Binding>()> rows;
    QString newKeyPlaceholder;
    QString newValuePlaceholder;
    int addRowPointSize;
    EditorField newKeyField;
    EditorField newValueField;
    std::string* newKey;
    std::string* newValue;
    // Adds from the add-row texts, moving on into the new row or not.
    std::function<void(bool focusNewRow)> add;
  };

  RowListPage(Setup setup, QWidget* parent = nullptr);

  // Brings the rows in step with the stored list and the add-row line with
  // its texts.
  void refresh();

 private:
  struct ShownRow {
    platform::UUID id;
    KeyValueRow* row;
  };
  // Puts `next` in the layout and the Tab order, from the first place where
  // it differs from what is shown.
  void place(const std::vector<ShownRow>& next);

  Setup setup_;
  QVBoxLayout* rows_;
  // In the order shown.
  std::vector<ShownRow> shown_;
  QLineEdit* newKey_;
  QLineEdit* newValue_;
};

}  // namespace wendalore
