#pragma once

#include <QWidget>
#include <memory>

#include "Platform/Store/ObserverList.h"
#include "Wendalore/Model/RequestTemplate.h"

namespace wendalore {

// One line for a request in a list: its method badge, then its name cut
// short at the end. Clicks pass through to whatever holds the row. Redraws
// when the request's name or method changes.
class RequestRow : public QWidget {
  Q_OBJECT

 public:
  explicit RequestRow(std::shared_ptr<RequestTemplate> requestTemplate, QWidget* parent = nullptr);

  // The badge text: the short form of a method stored in capitals, any
  // other method as stored.
  static QString badgeTitle(const QString& method);

  const std::shared_ptr<RequestTemplate>& requestTemplate() const { return template_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QFont badgeFont() const;

  std::shared_ptr<RequestTemplate> template_;
  platform::ObservationToken observation_;
};

}  // namespace wendalore
