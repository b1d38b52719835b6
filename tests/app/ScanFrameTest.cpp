// The frame a scan gets on the virtual tablet: the declared resolution of the
// file (not of its name), else 300 dpi; the same counts for the command line and "Mesa Virtual".
#include "trace/ScanFrame.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

#include <filesystem>
#include <random>

using namespace rs;
namespace fs = std::filesystem;

TEST(ScanFrame, DeclaredResolutionElseTheTablets)
{
    const fs::path dir = fs::temp_directory_path() / ("rs-scanframe-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    const cv::Mat img(40, 60, CV_8UC3, cv::Scalar(240, 240, 240));
    const std::string tif = (dir / "a.tif").string(), png = (dir / "b.png").string();
    ASSERT_TRUE(cv::imwrite(tif, img, {cv::IMWRITE_TIFF_RESUNIT, 2, cv::IMWRITE_TIFF_XDPI, 100, cv::IMWRITE_TIFF_YDPI, 150}));
    ASSERT_TRUE(cv::imwrite(png, img));
    const trace::TScanFrame a = trace::ScanFrameOf(tif, 40);
    EXPECT_DOUBLE_EQ(a.DpiX, 100);
    EXPECT_DOUBLE_EQ(a.DpiY, 150);
    EXPECT_DOUBLE_EQ(a.CountsX(30), 300);
    const trace::TScanFrame b = trace::ScanFrameOf(png, 40);
    EXPECT_DOUBLE_EQ(b.DpiX, 300);
    EXPECT_DOUBLE_EQ(trace::ScanFrameOf((dir / "missing.png").string(), 40).DpiY, 300);
    fs::remove_all(dir);
}
