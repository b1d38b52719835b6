#include "shell/uZoomText.h"

#include "common/Utils.h"

namespace rs {

namespace {

// The length of the blank at the start of s: ASCII white space, and the
// no-break spaces a pasted "150 %" may carry (U+00A0, U+202F).
std::size_t BlankAt(std::string_view s)
{
    if (s.empty())
        return 0;
    const unsigned char c = static_cast<unsigned char>(s[0]);
    if (c == ' ' || (c >= '\t' && c <= '\r'))
        return 1;
    if (s.substr(0, 2) == "\xC2\xA0")
        return 2;
    if (s.substr(0, 3) == "\xE2\x80\xAF")
        return 3;
    return 0;
}

std::size_t BlankBefore(std::string_view s)
{
    if (s.empty())
        return 0;
    const unsigned char c = static_cast<unsigned char>(s.back());
    if (c == ' ' || (c >= '\t' && c <= '\r'))
        return 1;
    if (s.size() >= 2 && s.substr(s.size() - 2) == "\xC2\xA0")
        return 2;
    if (s.size() >= 3 && s.substr(s.size() - 3) == "\xE2\x80\xAF")
        return 3;
    return 0;
}

} // namespace

TZoomEntry ParseZoomText(std::string_view text)
{
    TZoomEntry e;
    std::string_view number = text.substr(0, text.find('%'));
    while (std::size_t n = BlankAt(number))
        number.remove_prefix(n);
    while (std::size_t n = BlankBefore(number))
        number.remove_suffix(n);
    e.Number = std::string(number);
    e.Has = !number.empty();
    if (!e.Has)
        return e;
    double v = 0;
    e.Ok = TryStrToFloat(number, v);
    if (e.Ok)
        e.Zoom = v * 0.01;
    return e;
}

std::string ZoomErrorText(const TZoomEntry& entry)
{
    return "'" + entry.Number + "' não é um valor de ponto flutuante válido";
}

} // namespace rs
