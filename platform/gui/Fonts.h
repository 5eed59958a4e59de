#pragma once

#include <QFont>
#include <QString>

namespace platform {

// The Japanese face drawn where a font lacks Japanese glyphs: the proportional Gothic of the
// installed font package, not the fixed-pitch one the system would pick.
inline constexpr const char* JapaneseFallbackFamily = "IPAPGothic";

// The display font of the settings for a window: its face (the default one when none is
// set), its size (9 points when none) and its weight.
QFont DisplayFont(const QString& family, double points, bool bold);

// Makes `family` fall back to the proportional Japanese face for the glyphs it lacks.
void PreferProportionalJapanese(const QString& family);

}  // namespace platform
