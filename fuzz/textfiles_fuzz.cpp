// The text readers: the first byte picks the reader, the rest is its input.
// Point sets, station list, settings file (and the preferences read from it),
// the day list, the coordinate text, the tolerant number and date parsers and
// the zoom box's text.

#include "common/Utils.h"
#include "common/uIniFile.h"
#include "document/uStations.h"
#include "scale/uCoordParse.h"
#include "scale/uCoordsList.h"
#include "shell/uOptions.h"
#include "shell/uZoomText.h"
#include "tools/uDayList.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 8) {
    case 0: {
        rs::TCoordsList sets;
        sets.LoadFromText(text);
        sets.SetStartHour(9);
        sets.SaveToText();
        break;
    }
    case 1: {
        rs::TStationList stations;
        stations.LoadFromText(text);
        for (int i = 0; i < int(stations.Codes().size()); ++i)
            stations.NameOfCode(i);
        break;
    }
    case 2: {
        rs::TIniDocument doc;
        doc.Parse(text);
        doc.Set("Cores do Gr\xE1" "fico", "Fundo", "$FFFFFF");
        doc.Text();
        // The preferences as the program reads them at start-up.
        static const std::string path = "/tmp/rs_fuzz_ini_" + std::to_string(getpid()) + ".ini";
        if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
            rs::TIniFile ini(path);
            rs::TOptions options;
            options.Load(ini);
        }
        break;
    }
    case 3: {
        rs::TDoubleArray days;
        rs::TDayListError error;
        rs::ParseDayList(text, 31, days, error);
        break;
    }
    case 4:
        rs::ParseCoordText(text, 7);
        break;
    case 5: {
        double v;
        int i;
        rs::TryStrToFloat(text, v);
        rs::TryStrToInt(text, i);
        rs::SetDecimalSeparator(',');
        rs::TryStrToFloat(text, v);
        rs::SetDecimalSeparator('.');
        break;
    }
    case 7:
        for (char sep : {',', '.'}) {
            rs::SetDecimalSeparator(sep);
            const rs::TZoomEntry e = rs::ParseZoomText(text);
            // The number never holds the "%" nor, on success, anything but a finite value.
            if (e.Number.find('%') != std::string::npos || e.Has != !e.Number.empty() ||
                (e.Has && e.Ok && !std::isfinite(e.Zoom)) || (!e.Has && e.Zoom != 0))
                __builtin_trap();
            if (!e.Ok)
                rs::ZoomErrorText(e);
        }
        rs::SetDecimalSeparator('.');
        break;
    default: {
        double d;
        if (rs::TryStrToDate(text, d))
            rs::DateToStr(d);
        break;
    }
    }
    return 0;
}
