#pragma once
// "trace --auto-scale": the control points found on the scan's printed grid.

#include "trace/GridRegistration.h"

#include <opencv2/core.hpp>

#include <string>

namespace rs::cli {

// The chart model named (default models and "ModelosGrafico.txt"), or the default
// one of the hour and kind when `name` is empty. False with a message (UTF-8).
bool ChooseChartModel(const std::string& name, int hour, bool curved, trace::TChartModel& model, std::string& error);

// The grid of the model registered on the scan; Found false with the reason in Error (Windows-1252).
trace::TGridResult AutoScale(const cv::Mat& scan, const trace::TChartModel& model);

} // namespace rs::cli
