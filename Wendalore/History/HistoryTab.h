#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace wendalore {

// The pages of a send's detail, in the order of their buttons.
enum class HistoryTab : int { response = 0, headers = 1, metrics = 2, curl = 3, rawRequest = 4 };

inline constexpr std::array<HistoryTab, 5> allHistoryTabs{HistoryTab::response, HistoryTab::headers,
                                                          HistoryTab::metrics, HistoryTab::curl,
                                                          HistoryTab::rawRequest};

constexpr std::string_view title(HistoryTab tab) {
  constexpr std::array<std::string_view, 5> titles{"Response", "Headers", "Metrics", "cUrl", "Raw Request"};
  return titles[static_cast<std::size_t>(tab)];
}

constexpr std::optional<HistoryTab> historyTab(int rawValue) {
  if (rawValue < 0 || rawValue >= static_cast<int>(allHistoryTabs.size())) return std::nullopt;
  return static_cast<HistoryTab>(rawValue);
}

}  // namespace wendalore
