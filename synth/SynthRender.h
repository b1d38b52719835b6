#pragma once
// Drawing of a synthetic chart: the printed paper, the pen, the things people
// put on charts, and the scan.

#include "ChartSynth.h"

namespace synth {

// Draws chart.Image (of this size) from the chart's options, pen and transform.
void RenderChart(TSynthChart& chart, cv::Size size);

// The back of the chart: blank paper with the operator's handwritten notes.
cv::Mat RenderBack(const TSynthChart& chart);

} // namespace synth
