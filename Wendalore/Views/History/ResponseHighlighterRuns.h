#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "Highlighter/StyledTextSink.h"
#include "Wendalore/Views/History/StyledRuns.h"

namespace wendalore {

// Takes the highlighter's runs straight into the compact form the response
// view paints, never holding the styled text itself: a large body has a run
// per token. The pieces done so far can be had from another thread while
// the rest come.
class StyledRunsSink final : public highlighter::StyledTextSink {
 public:
  void startPiece(std::size_t position) override { builder_.emplace(static_cast<std::uint32_t>(position)); }

  void append(std::u16string_view text, const platform::TextAttributes& attributes) override {
    if (!builder_) startPiece(0);
    auto [known, added] = styles_.try_emplace(&attributes);
    if (added) {
      std::scoped_lock lock(mutex_);
      known->second = runs_.style(attributes);
    }
    builder_->append(static_cast<std::uint32_t>(text.size()), known->second);
  }

  void endPiece() override {
    if (!builder_) return;
    auto pieces = builder_->finish();
    builder_.reset();
    std::scoped_lock lock(mutex_);
    for (auto& piece : pieces) runs_.insert(std::move(piece));
    news_ = true;
  }

  // Whether a piece has come in since the last time this was asked.
  bool takeNews() { return news_.exchange(false); }

  // The pieces in so far, sharing them.
  std::shared_ptr<const StyledRuns> snapshot() const {
    std::scoped_lock lock(mutex_);
    return std::make_shared<const StyledRuns>(runs_);
  }

  // Everything, once the last piece is in.
  StyledRuns take() {
    endPiece();
    std::scoped_lock lock(mutex_);
    runs_.complete = true;
    return std::move(runs_);
  }

 private:
  mutable std::mutex mutex_;
  std::atomic<bool> news_ = false;
  StyledRuns runs_;
  std::optional<StyledRuns::PieceBuilder> builder_;
  // The highlighter hands over the same few attributes, each in one place.
  std::unordered_map<const platform::TextAttributes*, std::uint8_t> styles_;
};

}  // namespace wendalore
