#include "scale/uCoordParse.h"

#include "common/Utils.h"
#include "scale/uCoordsList.h"
#include "scale/uScale.h"

namespace rs {

namespace {

// The system separator or a point, as everywhere; a comma is also taken here
// because the field's example and the Brazilian keyboard both invite it.
bool ToNumber(std::string_view s, double& v)
{
    if (TryStrToFloat(s, v))
        return true;
    std::string t(s);
    auto pos = t.find(',');
    if (pos == std::string::npos)
        return false;
    t[pos] = '.';
    return t.find(',') == std::string::npos && TryStrToFloat(t, v);
}

} // namespace

TCoordText ParseCoordText(std::string_view text, int startHour)
{
    TCoordText r;
    const std::string s = Trim(text);
    if (s.empty())
        return r;
    std::size_t d = std::string::npos;
    for (char delim : {' ', '\t', ';', '/'}) {
        d = s.find(delim);
        if (d != std::string::npos)
            break;
    }
    if (d == std::string::npos)
        return r;
    double t, p;
    if (!ToNumber(std::string_view(s).substr(0, d), t) || !ToNumber(Trim(std::string_view(s).substr(d + 1)), p))
        return r;
    if (t < startHour)
        t += 24;
    r.Ok = true;
    r.Time = t;
    r.Prec = p;
    return r;
}

bool IsValidCoordText(std::string_view text, int startHour, double* time, double* prec)
{
    TCoordText r = ParseCoordText(text, startHour);
    if (!r.Ok || !CoordInRange(r.Time, r.Prec, startHour))
        return false;
    if (time)
        *time = r.Time;
    if (prec)
        *prec = r.Prec;
    return true;
}

bool IsSingleNumber(std::string_view text)
{
    double v;
    const std::string s = Trim(text);
    return !s.empty() && ToNumber(s, v);
}

std::string CoordTextFor(double time, double prec, int startHour)
{
    // Rounded first: 30.7 h on a 7 h chart is 31 h, whose "7" would read back as the start.
    int hour = RoundEven(time);
    if (hour > 24 && hour - 24 < startHour)
        hour -= 24;
    return Format("%d %d", hour, RoundEven(prec));
}

} // namespace rs
