// Writes seed corpora for the fuzz programs: files the program itself writes.

#include "support/TestCharts.h"

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
    return 0;
}
