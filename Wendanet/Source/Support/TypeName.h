#pragma once

#include <string>
#include <typeinfo>

namespace wendanet {

// The name a type is written with where it is declared, without the
// namespaces and classes around it: "Foo" for `app::models::Foo` and for a
// `Foo` in an unnamed namespace. Template arguments keep their own names in
// full, so `std::vector<app::Foo>` reads "vector<app::Foo>".
std::string unqualifiedTypeName(const std::type_info& type);

template <class T>
std::string unqualifiedTypeName() {
  return unqualifiedTypeName(typeid(T));
}

}  // namespace wendanet
