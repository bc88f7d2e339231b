// Drawing a chart definition with Qt Charts, and the conversions between the
// definition's colours and fonts and Qt's.
#pragma once

#include "charts/chart_definition.h"

#include <QColor>
#include <QFont>
#include <QSize>
#include <QString>

#include <string>

class QChart;

namespace vandro {

// fallback stands for the desktop scheme's (negative) colour numbers.
QColor ChartQColor(TChartColor color, const QColor& fallback = Qt::lightGray);
TChartColor ChartColorOf(const QColor& color);
QFont ChartQFont(const TChartFont& font);
// The font's colour is the definition's own; Qt fonts have none.
TChartFont ChartFontOf(const QFont& font, TChartColor color);

// Makes qchart show chart: removes its series and axes, then adds the
// drawable keys' effect (title and footer, legend, margins, the four main
// axes with scales, grids and ticks, every series with its points, colours,
// pens, point markers and marks).
void BuildChart(const TChartDefinition& chart, QChart& qchart);

// Renders chart at size to path: ".png", ".svg" or ".pdf" by the name's end.
// Works without a display: a program without a QApplication gets one on
// the offscreen platform. False with the reason in *error.
bool RenderChartFile(const TChartDefinition& chart, const std::string& path, QSize size,
                     std::string* error);

} // namespace vandro
