#pragma once
// What the zoom box's text asks for: the part before the first "%", trimmed,
// read as a percentage. Kept apart from the box so the rules are the same for
// every caller and can be tested without windows.

#include <string>
#include <string_view>

namespace rs {

struct TZoomEntry
{
    bool Has = false;   // something was typed before the "%"
    bool Ok = true;     // and it reads as a number
    double Zoom = 0;    // the factor: "150%" is 1.5
    std::string Number; // the trimmed text before the "%" (UTF-8)
};

// text is UTF-8.
TZoomEntry ParseZoomText(std::string_view text);
// The operator's message for an entry that is not a number.
std::string ZoomErrorText(const TZoomEntry& entry);

} // namespace rs
