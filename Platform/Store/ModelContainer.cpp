#include "Platform/Store/ModelContainer.h"

namespace platform {

std::expected<std::shared_ptr<ModelContainer>, AnyError> ModelContainer::open(const Schema& schema,
                                                                              const std::filesystem::path& file) {
  auto store = StoreFile::open(file, schema);
  if (!store) return std::unexpected(store.error());
  auto context = ModelContext::make(std::move(*store));
  if (!context) return std::unexpected(context.error());
  return std::make_shared<ModelContainer>(std::move(*context));
}

}  // namespace platform
