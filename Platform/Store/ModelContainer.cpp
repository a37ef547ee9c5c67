#include "Platform/Store/ModelContainer.h"

namespace platform {

std::expected<std::shared_ptr<ModelContainer>, AnyError> ModelContainer::open(const Schema& schema,
                                                                              const std::filesystem::path& file) {
  // Every object is read before the store is made ready for writing, so a
  // store holding one the models cannot read is refused unchanged.
  std::shared_ptr<ModelContext> context;
  auto store = StoreFile::open(file, schema, [&](const std::shared_ptr<StoreFile>& opened) -> std::expected<void, AnyError> {
    auto made = ModelContext::make(opened);
    if (!made) return std::unexpected(made.error());
    context = std::move(*made);
    return {};
  });
  if (!store) return std::unexpected(store.error());
  return std::make_shared<ModelContainer>(std::move(context));
}

}  // namespace platform
