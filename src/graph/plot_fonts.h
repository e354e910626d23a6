// The fonts the plot's PNG is drawn with: subsets, made at build time, of DejaVu Sans (every
// printable ASCII character) and of Droid Sans Fallback (the other characters of the plot's
// texts, graph/plot_texts.cpp), from Debian's fonts-dejavu-core and fonts-droid-fallback
// (tools/plotfont/make_plot_fonts.py). Their licences, which allow embedding them, are kept in
// the fonts' name tables.
#pragma once

namespace plorimet {

extern const unsigned char kPlotLatinFont[];
extern const unsigned char kPlotJapaneseFont[];

}  // namespace plorimet
