#pragma once

#include <filesystem>

namespace desktop {

// A home of its own for one run of the program, so that it finds no store,
// settings or running instance of the user's or of another test; removed
// with everything in it afterwards.
class AppHome {
 public:
  AppHome();
  ~AppHome();
  AppHome(const AppHome&) = delete;
  AppHome& operator=(const AppHome&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path dataHome() const { return path_ / "data"; }
  std::filesystem::path runtimeDirectory() const { return path_ / "run"; }
  // Where the program keeps its folders and requests.
  std::filesystem::path storeFile() const { return dataHome() / "Wendalore" / "Wendalore.sqlite"; }

 private:
  std::filesystem::path path_;
};

}  // namespace desktop
