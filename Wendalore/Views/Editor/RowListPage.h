#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Platform/Foundation/UUID.h"
#include "Wendalore/Views/Editor/KeyValueRow.h"

class QLineEdit;
class QVBoxLayout;

namespace wendalore {

// The Params or Headers page: one row per stored item, then the add-row
// line. Rows are kept across refreshes by their item's id, so a row the
// person is typing in survives a change of the list.
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
  Setup setup_;
  QVBoxLayout* rows_;
  std::map<platform::UUID, KeyValueRow*> shown_;
  QLineEdit* newKey_;
  QLineEdit* newValue_;
};

}  // namespace wendalore
