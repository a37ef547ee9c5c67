#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "Platform/Store/ObserverList.h"
#include "Wendalore/Editor/EditorField.h"

class QCheckBox;
class QGraphicsOpacityEffect;
class QLineEdit;

namespace wendalore {

// One header or query-parameter row: enable box, key, value and a delete
// button, each writing straight into the stored item. The row keeps no copy:
// it redraws whenever its item changes, and can be handed another item of
// the same list, redrawing only what differs.
class KeyValueRow : public QWidget {
 public:
  struct Binding {
    std::function<bool()> isEnabled;
    std::function<void(bool)> setEnabled;
    std::function<std::string()> key;
    std::function<void(std::string)> setKey;
    std::function<std::string()> value;
    std::function<void(std::string)> setValue;
    std::function<platform::ObservationToken(std::function<void()>)> observe;
    std::function<void()> onDelete;
    EditorField keyField;
    EditorField valueField;
    QString keyPlaceholder;
    // A parameter row is drawn at half opacity while it is switched off,
    // all but its check box.
    bool dimsWhenDisabled = false;
  };

  KeyValueRow(Binding binding, QWidget* parent = nullptr);

  // Shows and edits `binding`'s item from now on.
  void rebind(Binding binding);

  // The controls that take the focus, in the order Tab goes through them.
  std::vector<QWidget*> focusOrder() const;

 private:
  void refresh();
  void observe();

  Binding binding_;
  QCheckBox* enabled_;
  QLineEdit* key_;
  QLineEdit* value_;
  QWidget* remove_;
  std::vector<QGraphicsOpacityEffect*> dimming_;
  platform::ObservationToken observation_;
};

}  // namespace wendalore
