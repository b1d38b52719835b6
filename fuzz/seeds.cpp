// Writes seed corpora for the fuzz programs: files the program itself writes.

#include "support/TestCharts.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <filesystem>
#include <fstream>

using namespace rs;

int main(int argc, char** argv)
{
    if (argc < 2)
        return 1;
    const std::string root = argv[1];
    const std::string pvd = root + "/datafile/";
    std::filesystem::create_directories(pvd);
    auto save = [&](TRChart& c, const char* name) {
        std::ofstream(pvd + name, std::ios::binary) << c.SaveToBuffer();
    };
    {
        TRChart c;
        c.Info.StCode = "12345678";
        save(c, "empty.pvd");
    }
    {
        TRChart c;
        test::MakeDigitizedChart(c, false);
        save(c, "digitized.pvd");
        c.BeginDigitizing();
        c.Curve().Items(2)->SetMark(2);
        save(c, "digitizing.pvd");
    }
    {
        TRChart c;
        c.SetInfo(test::SampleInfo(true));
        for (int i = 0; i < 5; ++i)
            c.Scale().Predefined().AddNew()->SetValue(8 + 4 * i, i * 2);
        c.BeginScale();
        test::AddControlPoint(c, 8, 0);
        c.Scale().SetCoordMode(0);
        save(c, "defining.pvd");
    }
    {
        TRChart c;
        c.Info.StCode = "12345678";
        c.SetKind(2);
        save(c, "absent.pvd");
    }
    // Scans: small pictures of a grid and a pen line in every format the trace reads.
    {
        const std::string scan = root + "/scan/";
        std::filesystem::create_directories(scan);
        cv::Mat img(48, 96, CV_8UC3, cv::Scalar(235, 245, 245));
        for (int x = 0; x < 96; x += 8)
            cv::line(img, {x, 0}, {x, 47}, cv::Scalar(120, 200, 120));
        cv::line(img, {0, 40}, {95, 8}, cv::Scalar(170, 60, 30), 2);
        for (const char* ext : {".png", ".jpg", ".bmp", ".tif"})
            cv::imwrite(scan + "chart" + ext, img);
        cv::Mat bw;
        cv::cvtColor(img, bw, cv::COLOR_BGR2GRAY);
        cv::threshold(bw, bw, 200, 255, cv::THRESH_BINARY);
        cv::imwrite(scan + "bw.png", bw);
        cv::imwritemulti(scan + "pages.tif", std::vector<cv::Mat>{img, bw});
    }
    // Text readers: a selector byte, then the text.
    const std::string txt = root + "/textfiles/";
    std::filesystem::create_directories(txt);
    auto seed = [&](const char* name, char selector, const std::string& text) {
        std::ofstream(txt + name, std::ios::binary) << selector << text;
    };
    seed("sets", 0, "Padr\xE3o\r\n 7.5   0.0\r\n12.0  10.0\r\n  -1    -1\r\n\r\n");
    seed("stations", 1, "12345678 = S\xE3o Paulo\r\n87654321=Santos\r\nnoequals\r\n");
    seed("ini", 2, "[Cores do Gr\xE1" "fico]\r\nFundo=$FFFFFF\r\nGrade=abc\r\n[Mesa]\r\nBot\xE3oInserir=1\r\n");
    seed("days", 3, "2 6 14-19 21 25-27 30");
    seed("coord", 4, "15,5; 8.25");
    seed("number", 5, "-1,5e3");
    seed("date", 6, "29/02/2000");
    seed("zoom", 7, "  150 %");
    seed("zoom-decimal", 7, "12,5%");
    seed("zoom-nbsp", 7, "\xC2\xA0" "250\xE2\x80\xAF%%");
    seed("zoom-bad", 7, "1e400%");
    return 0;
}
