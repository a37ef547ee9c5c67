#pragma once

#include <expected>
#include <filesystem>
#include <memory>

#include "Platform/Foundation/Error.h"
#include "Platform/Store/ModelContext.h"
#include "Platform/Store/Schema.h"

namespace platform {

// A store of model objects in one SQLite file, with the context the program
// reads and writes it through. Lives as long as the program uses the store.
class ModelContainer {
 public:
  // Opens the file, creating it and its folder when they are missing, and
  // reads every object in it. Fails for a file that is not such a store, is
  // of a later format, or holds an object the models cannot read; nothing is
  // written then.
  static std::expected<std::shared_ptr<ModelContainer>, AnyError> open(const Schema& schema,
                                                                       const std::filesystem::path& file);

  const std::shared_ptr<ModelContext>& mainContext() const { return mainContext_; }
  const std::filesystem::path& url() const { return mainContext_->store()->path(); }

  explicit ModelContainer(std::shared_ptr<ModelContext> mainContext) : mainContext_(std::move(mainContext)) {}

 private:
  std::shared_ptr<ModelContext> mainContext_;
};

}  // namespace platform
