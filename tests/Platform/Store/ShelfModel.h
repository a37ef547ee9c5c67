#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Store/ModelContainer.h"
#include "Platform/Store/StoredRecord.h"

// A small model for the store's tests: a shelf owns its books (deleted with
// it); each book refers back to its shelf.
class Book final : public platform::PersistentModel {
 public:
  static constexpr std::string_view entityName = "Book";
  static void describe(platform::Schema& schema) {
    schema.add({std::string(entityName), std::nullopt, [] { return std::make_shared<Book>(); }});
  }
  static std::shared_ptr<Book> make(std::string title) {
    auto book = std::make_shared<Book>();
    book->title_ = std::move(title);
    return book;
  }
  std::string_view entity() const override { return entityName; }

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { assign("title", title_, std::move(title)); }
  const std::optional<std::string>& subtitle() const { return subtitle_; }
  void setSubtitle(std::optional<std::string> subtitle) { assign("subtitle", subtitle_, std::move(subtitle)); }
  std::shared_ptr<class Shelf> shelf() const { return shelf_.lock(); }

  std::weak_ptr<class Shelf> shelf_;

 private:
  void encode(platform::RecordWriter& record) const override {
    record.write("title", title_);
    record.write("subtitle", subtitle_);
  }
  void decode(const platform::RecordReader& record) override {
    record.read("title", title_);
    record.read("subtitle", subtitle_);
  }
  std::vector<std::shared_ptr<platform::PersistentModel>> relatedModels() const override;
  void detachFromRelatives() override;

  std::string title_;
  std::optional<std::string> subtitle_;
};

class Shelf final : public platform::PersistentModel {
 public:
  static constexpr std::string_view entityName = "Shelf";
  static void describe(platform::Schema& schema) {
    if (schema.add({std::string(entityName), "code", [] { return std::make_shared<Shelf>(); }})) Book::describe(schema);
  }
  static std::shared_ptr<Shelf> make(std::string code) {
    auto shelf = std::make_shared<Shelf>();
    shelf->code_ = std::move(code);
    return shelf;
  }
  std::string_view entity() const override { return entityName; }

  const std::string& code() const { return code_; }
  void setCode(std::string code) { assign("code", code_, std::move(code)); }
  const std::vector<std::shared_ptr<Book>>& books() const { return books_; }
  void add(const std::shared_ptr<Book>& book) {
    book->shelf_ = std::static_pointer_cast<Shelf>(shared_from_this());
    withMutation("books", [&] { books_.push_back(book); });
  }
  void remove(const Book* book) {
    withMutation("books", [&] { std::erase_if(books_, [&](const auto& member) { return member.get() == book; }); });
  }

 private:
  void encode(platform::RecordWriter& record) const override {
    record.write("code", code_);
    record.writeReferences("books", books_);
  }
  void decode(const platform::RecordReader& record) override {
    record.read("code", code_);
    record.readReferences("books", books_);
    for (const auto& book : books_) book->shelf_ = std::static_pointer_cast<Shelf>(shared_from_this());
  }
  std::vector<std::shared_ptr<platform::PersistentModel>> relatedModels() const override { return cascadedModels(); }
  std::vector<std::shared_ptr<platform::PersistentModel>> cascadedModels() const override {
    return {books_.begin(), books_.end()};
  }

  std::string code_;
  std::vector<std::shared_ptr<Book>> books_;
};

inline std::vector<std::shared_ptr<platform::PersistentModel>> Book::relatedModels() const {
  if (auto shelf = shelf_.lock()) return {shelf};
  return {};
}


inline void Book::detachFromRelatives() {
  if (auto shelf = shelf_.lock()) shelf->remove(this);
}
