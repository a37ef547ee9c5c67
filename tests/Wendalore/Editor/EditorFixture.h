#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Platform/Dispatch/RunLoop.h"
#include "Platform/Store/ModelContainer.h"
#include "Wendalore/Editor/RequestEditor.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Platform/Store/SavedStoreCopy.h"

namespace wendalore {

// A parameter row as the tests write and compare it.
struct Row {
  std::string key;
  std::string value;
  bool enabled = true;
  friend bool operator==(const Row&, const Row&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Row& row) {
    return out << (row.enabled ? "" : "!") << row.key << "=" << row.value;
  }
};

// An editor over a stored template in a fresh store.
class EditorFixture : public ::testing::Test {
 protected:
  std::shared_ptr<platform::ModelContainer> openStore() {
    return *platform::ModelContainer::open(platform::Schema::of<RequestTemplate, RequestFolder>(),
                                           scratch / "Wendalore.sqlite");
  }
  // The template as another opening of the store reads it.
  std::shared_ptr<RequestTemplate> stored() {
    auto container = platform::testing::openSavedCopy(platform::Schema::of<RequestTemplate, RequestFolder>(),
                                                      scratch / "Wendalore.sqlite");
    auto all = container->mainContext()->fetch<RequestTemplate>();
    return all && !all->empty() ? all->front() : nullptr;
  }

  void setRows(const std::vector<Row>& rows) {
    ModelList<RequestQueryParam> params;
    for (const auto& row : rows) params.push_back(RequestQueryParam::make(row.key, row.value, row.enabled));
    request->setQueryParams(std::move(params));
  }
  std::vector<Row> rows() const {
    std::vector<Row> shown;
    for (const auto& param : request->queryParams()) shown.push_back({param->key(), param->value(), param->isEnabled()});
    return shown;
  }
  // Runs the main queue until `done`, as the window's event loop would.
  static bool pumpUntil(const std::function<bool()>& done) {
    return platform::RunLoop::main().runUntil(done, std::chrono::seconds(2));
  }

  ScratchDirectory scratch;
  std::shared_ptr<platform::ModelContainer> container = openStore();
  std::shared_ptr<platform::ModelContext> context = container->mainContext();
  std::shared_ptr<RequestTemplate> request = [this] {
    auto made = RequestTemplate::make("New Request", "", "GET", nullptr, 0);
    context->insert(made);
    return made;
  }();
  std::shared_ptr<RequestViewModel> viewModel = RequestViewModel::make();
  int updates = 0;
  std::shared_ptr<RequestEditor> editor = RequestEditor::make(request, viewModel, context, [this] { ++updates; });
};

}  // namespace wendalore
