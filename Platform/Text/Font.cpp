#include "Platform/Text/Font.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <mutex>

#include "Platform/Fatal.h"

namespace platform {

namespace {

struct PatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

struct FontSetDeleter {
  void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
};

struct ObjectSetDeleter {
  void operator()(FcObjectSet* set) const { FcObjectSetDestroy(set); }
};

void initializeCatalogue() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (!FcInit()) fatal("The font catalogue could not be loaded.");
  });
}

std::string stringValue(FcPattern* pattern, const char* object, std::string fallback) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || !value) return fallback;
  return reinterpret_cast<const char*>(value);
}

int integerValue(FcPattern* pattern, const char* object, int fallback) {
  int value = fallback;
  FcPatternGetInteger(pattern, object, 0, &value);
  return value;
}

Font fontFromPattern(FcPattern* pattern, std::string familyName, std::string faceName, double pointSize) {
  Font font;
  font.familyName = stringValue(pattern, FC_FAMILY, std::move(familyName));
  font.faceName = std::move(faceName);
  font.pointSize = pointSize;
  font.bold = integerValue(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR) >= FC_WEIGHT_DEMIBOLD;
  font.italic = integerValue(pattern, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
  return font;
}

}  // namespace

std::optional<Font> Font::named(std::string_view name, double pointSize) {
  initializeCatalogue();
  Pattern request(FcPatternCreate());
  FcPatternAddString(request.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(std::string(name).c_str()));
  FcPatternAddInteger(request.get(), FC_WEIGHT, FC_WEIGHT_REGULAR);
  FcPatternAddInteger(request.get(), FC_SLANT, FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, request.get(), FcMatchPattern);
  FcDefaultSubstitute(request.get());
  FcResult result = FcResultNoMatch;
  Pattern match(FcFontMatch(nullptr, request.get(), &result));
  if (!match || result != FcResultMatch) return std::nullopt;
  auto font = fontFromPattern(match.get(), std::string(name), "", pointSize);
  font.faceName = stringValue(match.get(), FC_STYLE, "Regular");
  return font;
}

std::optional<Font> Font::withFace(std::string_view familyName, std::string_view faceName, double pointSize) {
  initializeCatalogue();
  Pattern request(FcPatternCreate());
  FcPatternAddString(request.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(std::string(familyName).c_str()));
  FcPatternAddString(request.get(), FC_STYLE, reinterpret_cast<const FcChar8*>(std::string(faceName).c_str()));
  std::unique_ptr<FcObjectSet, ObjectSetDeleter> objects(
      FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_WEIGHT, FC_SLANT, static_cast<char*>(nullptr)));
  std::unique_ptr<FcFontSet, FontSetDeleter> found(FcFontList(nullptr, request.get(), objects.get()));
  if (!found || found->nfont == 0) return std::nullopt;
  // A family may carry several names; the one asked for is the one kept.
  auto font = fontFromPattern(found->fonts[0], std::string(familyName), std::string(faceName), pointSize);
  font.familyName = familyName;
  return font;
}

Font Font::monospacedSystemFont(double pointSize) {
  if (auto font = named("monospace", pointSize)) return *font;
  fatal("The font catalogue has no monospaced font.");
}

}  // namespace platform
