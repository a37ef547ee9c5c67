#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// One face of an installed font family at a size in points. Fonts come only
// from the system's font catalogue, so a Font always names a face that
// exists.
struct Font {
  std::string familyName;
  // The face's style name as the catalogue states it ("Regular", "Bold",
  // "Oblique", ...).
  std::string faceName;
  double pointSize = 0;
  bool bold = false;
  bool italic = false;

  // The regular face of the family the catalogue picks for `name` (an
  // installed family, or one it substitutes such as "Courier"); absent
  // when nothing matches.
  static std::optional<Font> named(std::string_view name, double pointSize);
  // The face `faceName` ("Bold", "Italic", "Oblique") of exactly the
  // installed family `familyName`; absent when the family lacks that face.
  static std::optional<Font> withFace(std::string_view familyName, std::string_view faceName, double pointSize);
  // The system's monospaced font.
  static Font monospacedSystemFont(double pointSize);

  friend bool operator==(const Font&, const Font&) = default;
};

}  // namespace platform
