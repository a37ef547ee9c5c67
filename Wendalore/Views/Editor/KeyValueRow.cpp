#include "Wendalore/Views/Editor/KeyValueRow.h"

#include <QCheckBox>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

#include "Wendalore/Views/Editor/EditorFieldTag.h"
#include "Wendalore/Views/Editor/EditorFonts.h"
#include "Wendalore/Views/Editor/PlainTextField.h"

namespace wendalore {
namespace {

// Styles draw an empty box's outline a shade darker than the window colour,
// which on a dark palette all but matches the field behind it. A window
// colour halfway between text and base gives an outline that shows in
// light and dark palettes alike.
void outlineBox(QCheckBox& box) {
  QPalette palette = box.palette();
  const QColor base = palette.color(QPalette::Base);
  const QColor text = palette.color(QPalette::Text);
  palette.setColor(QPalette::Window, QColor((base.red() + text.red()) / 2, (base.green() + text.green()) / 2,
                                            (base.blue() + text.blue()) / 2));
  box.setPalette(palette);
}

}  // namespace

KeyValueRow::KeyValueRow(Binding binding, QWidget* parent) : QWidget(parent), binding_(std::move(binding)) {
  setFont(monospacedFont(11));
  auto* line = new QHBoxLayout(this);
  line->setContentsMargins(5, 5, 5, 5);

  enabled_ = new QCheckBox(this);
  enabled_->setObjectName("enabledBox");
  outlineBox(*enabled_);
  connect(enabled_, &QCheckBox::toggled, this, [this](bool on) {
    if (on == binding_.isEnabled()) return;
    auto setEnabled = binding_.setEnabled;
    setEnabled(on);
  });
  // Each call goes to the item bound at the time of the edit. The function
  // is copied first: the edit may hand this row another item, which would
  // destroy the function while it runs.
  key_ = plainTextField(this, binding_.keyPlaceholder, binding_.keyField, [this](std::string text) {
    auto setKey = binding_.setKey;
    setKey(std::move(text));
  });
  value_ = plainTextField(this, "Value", binding_.valueField, [this](std::string text) {
    auto setValue = binding_.setValue;
    setValue(std::move(text));
  });
  auto* divider = new QFrame(this);
  divider->setFrameShape(QFrame::VLine);
  auto* remove = new QToolButton(this);
  remove_ = remove;
  remove->setObjectName("deleteButton");
  remove->setAutoRaise(true);
  remove->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
  remove->setAccessibleName("Delete");
  connect(remove, &QToolButton::clicked, this, [this] {
    auto onDelete = binding_.onDelete;
    onDelete();
  });

  line->addWidget(enabled_);
  line->addWidget(key_, 1);
  line->addWidget(divider);
  line->addWidget(value_, 1);
  line->addWidget(remove);

  // The box stays out of the dimming: at half opacity an empty box all but
  // vanishes, and it is what switches the row back on.
  if (binding_.dimsWhenDisabled) {
    for (QWidget* part : std::initializer_list<QWidget*>{key_, divider, value_, remove}) {
      auto* dimming = new QGraphicsOpacityEffect(part);
      part->setGraphicsEffect(dimming);
      dimming_.push_back(dimming);
    }
  }
  observe();
}

void KeyValueRow::rebind(Binding binding) {
  binding_ = std::move(binding);
  tagField(key_, binding_.keyField);
  tagField(value_, binding_.valueField);
  observe();
}

std::vector<QWidget*> KeyValueRow::focusOrder() const { return {enabled_, key_, value_, remove_}; }

void KeyValueRow::observe() {
  observation_ = binding_.observe([this] { refresh(); });
  refresh();
}

void KeyValueRow::refresh() {
  const bool on = binding_.isEnabled();
  const QSignalBlocker quiet(enabled_);
  enabled_->setChecked(on);
  showText(key_, binding_.key());
  showText(value_, binding_.value());
  for (auto* dimming : dimming_) dimming->setOpacity(on ? 1.0 : 0.5);
}

}  // namespace wendalore
