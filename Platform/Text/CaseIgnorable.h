#pragma once

namespace platform {

// Characters that letter-case mappings look through when they read a
// letter's surroundings: combining marks, format characters, modifier
// letters and symbols, and the apostrophes and points that stand inside
// words.
bool isCaseIgnorable(char32_t scalar);

}  // namespace platform
