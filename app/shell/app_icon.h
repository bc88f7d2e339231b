// Vandro's own pictures, painted rather than loaded so that they need no
// image plugin: the program icon (the same picture as app/vandro.svg) and
// the tool bar's glyphs.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace vandro {

QPixmap AppPixmap(int size);
QIcon AppIcon();

enum class TGlyph {
  NewProject,
  OpenProject,
  CloseProject,
  Parameter,
  Unit,
  NewObject,
  NewGroup,
  NewState,
  NewGroupState,
  ViewObject,
  ViewGroup,
  Templates,
  Chart,
  Statistics,
  DataMining,
};

QIcon GlyphIcon(TGlyph glyph);

} // namespace vandro
