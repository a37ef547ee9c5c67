#pragma once

#include <cstddef>
#include <memory>

namespace wendanet::testing {

// A non-null handle to an object of a class that is built elsewhere (a
// session, a request, task metrics). Tests only compare such handles or
// pass them along; nothing ever looks through one.
template <class T>
std::shared_ptr<T> fakeHandle() {
  auto owner = std::make_shared<std::max_align_t>();
  return std::shared_ptr<T>(owner, reinterpret_cast<T*>(owner.get()));
}

}  // namespace wendanet::testing
