// Telling which system icon a message box shows.
#pragma once

#include <windows.h>

#include <string>

namespace hbtool {

struct IconVerdict {
    std::string name;   // hand, question, exclamation, asterisk, none, or unknown
    std::string method; // how it was decided: handle, pixels, or hidden
};

// `icon_static` is the message box's SS_ICON static (null when the box has none).
//
// The first test is the icon handle: system icons are shared, so on Windows the handle the box
// holds is the one LoadIcon(NULL, IDI_...) gives any process. Wine loads them per process, so
// the handles differ across processes and Wine will not hand out another process's icon bits;
// then the icon is recognised by its pixels: the static's area is read from the screen and
// compared, on the pixels an icon covers opaquely, with each candidate drawn at the same size
// (the static stretches its icon over its client area). That needs the box to be unobscured.
[[nodiscard]] IconVerdict identify_icon(HWND icon_static);

} // namespace hbtool
