#pragma once

#include <QFont>
#include <QString>
#include <vector>

class QWidget;

namespace platform {

// The Japanese face drawn where a font lacks Japanese glyphs: the proportional Gothic of the
// installed font package, not the fixed-pitch one the system would pick.
inline constexpr const char* JapaneseFallbackFamily = "IPAPGothic";

// The display font of the settings for a window: its face (the default one when none is
// set), its size (9 points when none) and its weight.
QFont DisplayFont(const QString& family, double points, bool bold);
// The same with every attribute set, so that a frame's bold title does not pass to the controls
// in it; its Japanese glyphs come from the proportional face.
QFont DisplayFont(const QString& family, double points, bool bold, bool italic, bool underline,
                  bool strikeOut);
// The window and each of the controls take the font; the frames take its bold form.
void ApplyWindowFont(QWidget& window, const QFont& font, const std::vector<QWidget*>& controls,
                     const std::vector<QWidget*>& frames);

// Makes `family` fall back to the proportional Japanese face for the glyphs it lacks.
void PreferProportionalJapanese(const QString& family);

}  // namespace platform
