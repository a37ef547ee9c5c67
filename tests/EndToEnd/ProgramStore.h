#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Platform/Store/ModelContainer.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "tests/desktop/AppHome.h"

namespace wendalore {

// Saves `models` in the store the program started in `home` opens.
inline testing::AssertionResult storeForProgram(const desktop::AppHome& home,
                                                const std::vector<std::shared_ptr<platform::PersistentModel>>& models) {
  auto container =
      platform::ModelContainer::open(platform::Schema::of<RequestTemplate, RequestFolder>(), home.storeFile());
  if (!container) return testing::AssertionFailure() << container.error()->description();
  for (const auto& model : models) (*container)->mainContext()->insert(model);
  if (const auto saved = (*container)->mainContext()->save(); !saved) {
    return testing::AssertionFailure() << saved.error()->description();
  }
  return testing::AssertionSuccess();
}

}  // namespace wendalore
