#pragma once

#include <cstdint>

namespace tessaline {

// The Print Setup lists, by list position: the stored index is a position here. The window's
// lists are filled from the dialog template's own data; a test holds that data to these rows.
// Scripts read these rows as text: keep one row per line, in this form.
struct PageSize {
    const char* name;
    std::int32_t pclCode;  // the page size code sent with ESC &l<code>a
};

inline constexpr PageSize kPageSizes[] = {
    {"Executive (7 1/4 x 10 1/2 in.)", 1},
    {"Letter (8 1/2 x 11 in.)", 2},
    {"Legal (8 1/2 x 14 in.)", 3},
    {"Ledger (11 x 17 in.)", 6},
    {"A4 (210 mm x 297 mm)", 26},
    {"A3 (297 mm x 420 mm)", 27},
    {"Monarch Letter (3 7/8 x 7 1/2 in.)", 80},
    {"Com-10 Business (4 1/8 x 9 1/2 in.)", 81},
    {"International DL (100 mm x 220 mm)", 90},
    {"International C5 (162 mm x 229 mm)", 91},
    {"International B5 (176 mm x 250 mm)", 100},
    {"Maximum [Custom] (Varies by printer)", 101},
};

// The orientation is sent as its list position, which is also PCL's orientation value.
inline constexpr const char* kOrientationNames[] = {
    "Portrait",
    "Landscape",
    "Reverse Portrait",
    "Reverse Landscape",
};

// Letter: what a form test uses when nothing is stored, and what it sends for a stored position
// outside the list (-1 when Print Setup had no selection).
inline constexpr std::int32_t kDefaultPageSizeIndex = 1;

}  // namespace tessaline
