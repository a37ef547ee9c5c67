#pragma once

#include <QLabel>
#include <QMainWindow>
#include <memory>

#include "Platform/Store/ModelContext.h"
#include "Platform/Store/ObserverList.h"
#include "Wendalore/ViewModel/RequestViewModel.h"
#include "Wendalore/Views/Shell/ContentView.h"
#include "Wendalore/Views/Shell/StatusLine.h"

namespace wendalore {

// The application's one window: the content frame, and below it a status
// bar that tells how the latest send went, since no other view shows a
// failure such as "Invalid URL" or a refused connection. It owns the view
// model and the store's context for as long as it lives, which is the
// whole run of the program.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(std::shared_ptr<platform::ModelContext> modelContext, QWidget* parent = nullptr);

  ContentView& contentView() const { return *contentView_; }
  const std::shared_ptr<platform::ModelContext>& modelContext() const { return modelContext_; }

  // The status bar follows the view model from now on.
  void setViewModel(std::shared_ptr<RequestViewModel> viewModel);
  const std::shared_ptr<RequestViewModel>& viewModel() const { return viewModel_; }

  void showStatus(const StatusLine& line);
  const QLabel& statusLabel() const { return *statusLabel_; }

  // Shows the window again, in front, wherever and however it was left.
  void bringToFront();

 private:
  std::shared_ptr<platform::ModelContext> modelContext_;
  std::shared_ptr<RequestViewModel> viewModel_;
  platform::ObservationToken viewModelObservation_;
  ContentView* contentView_;
  QLabel* statusLabel_;
};

}  // namespace wendalore
