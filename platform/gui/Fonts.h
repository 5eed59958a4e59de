#pragma once

#include <QString>

namespace platform {

// The Japanese face drawn where a font lacks Japanese glyphs: the proportional Gothic of the
// installed font package, not the fixed-pitch one the system would pick.
inline constexpr const char* JapaneseFallbackFamily = "IPAPGothic";

// Makes `family` fall back to the proportional Japanese face for the glyphs it lacks.
void PreferProportionalJapanese(const QString& family);

}  // namespace platform
