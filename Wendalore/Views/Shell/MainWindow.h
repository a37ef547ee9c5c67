#pragma once

#include <QMainWindow>
#include <memory>

#include "Platform/Store/ModelContext.h"
#include "Wendalore/ViewModel/RequestViewModel.h"
#include "Wendalore/Views/Shell/ContentView.h"

namespace wendalore {

// The application's one window: the content frame and nothing under it;
// what the user sees of a send, a failed one too, is its history entry. It
// owns the view model and the store's context for as long as it lives,
// which is the whole run of the program.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(std::shared_ptr<platform::ModelContext> modelContext, QWidget* parent = nullptr);

  ContentView& contentView() const { return *contentView_; }
  const std::shared_ptr<platform::ModelContext>& modelContext() const { return modelContext_; }

  // The one view model of the window, shared by its editor and its history.
  void setViewModel(std::shared_ptr<RequestViewModel> viewModel) { viewModel_ = std::move(viewModel); }
  const std::shared_ptr<RequestViewModel>& viewModel() const { return viewModel_; }

  // Shows the window again, in front, wherever and however it was left.
  void bringToFront();

 private:
  std::shared_ptr<platform::ModelContext> modelContext_;
  std::shared_ptr<RequestViewModel> viewModel_;
  ContentView* contentView_;
};

}  // namespace wendalore
