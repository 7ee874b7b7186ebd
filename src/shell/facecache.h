// Faces of the first screen kept on disk between runs: the splash, the
// emblem and the menu items are drawn with text, and the first text drawn
// in a process loads the whole font configuration. With the faces read back
// from the cache, a start shows its windows without touching a font.
#pragma once

#include <QImage>
#include <QString>

#include <functional>

namespace sky {

// The face `recipe` names, read from the cache or, when it is not there (or
// is damaged), drawn by `draw` and kept. The recipe must name everything the
// drawing depends on besides the program itself, the screen's pixel ratio
// and the installed fonts, which the cache adds: the kind of face, its size
// in logical pixels, its words and its state.
QImage CachedFace(const QString& recipe, const std::function<QImage()>& draw);

// The cache folder: "skyrendel/faces" in the user's cache folder.
QString FaceCacheFolder();

// How many faces the cache keeps at most; the oldest go first.
constexpr int kFaceCacheLimit = 48;

} // namespace sky
