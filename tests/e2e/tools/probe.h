// A hidden copy of the program's status panel inside hbtool, for the facts about the panel that
// Wine does not answer across processes.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace hbtool {

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

[[nodiscard]] std::string to_string(const PixelRect& rect);

// Dialog base units: the pixels of 4 horizontal and 8 vertical dialog units, from which the
// dialog manager places every control (x * x_units / 4, y * y_units / 8, rounded by MulDiv).
struct BaseUnits {
    int x = 0;
    int y = 0;
    [[nodiscard]] PixelRect to_pixels(int dlu_x, int dlu_y, int dlu_cx, int dlu_cy) const;
};

// MapDialogRect on the dialog itself; Wine answers it only for dialogs of the calling process.
[[nodiscard]] std::optional<BaseUnits> base_units_of(HWND dialog);

// What a control becomes once the window system has created it from a template entry.
struct ReferenceControl {
    DWORD style = 0;                   // its window style (controls may drop or add bits)
    std::optional<int> dropped_height; // combo boxes: height of CB_GETDROPPEDCONTROLRECT
};

struct WindowDestroyer {
    void operator()(HWND window) const noexcept { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// The program's own dialog template, loaded from the executable that shows `dialog` and created
// here hidden and without its controls. The dialog manager derives its base units from the
// template's font exactly as it did in the program, and reference controls created on it from
// the expected table get the same font, so they behave as the program's controls should.
class Probe {
public:
    [[nodiscard]] static std::optional<Probe> of(HWND dialog, int template_id);

    [[nodiscard]] const BaseUnits& units() const { return units_; }

    // The style words of the template's controls, in template order, exactly as the resource
    // compiler wrote them; empty for a classic (not extended) template. Bits that a running
    // control hides (a combo box's WS_VSCROLL, a push button's BS_DEFPUSHBUTTON) show here.
    [[nodiscard]] const std::vector<DWORD>& template_styles() const { return template_styles_; }

    // Creates the control the way the dialog manager does (CreateWindowEx with WS_CHILD, then
    // the dialog's font), reads it, and destroys it again.
    [[nodiscard]] std::optional<ReferenceControl> reference(const std::wstring& class_name,
                                                            const std::wstring& text, DWORD style,
                                                            const PixelRect& rect) const;

private:
    Probe(UniqueWindow window, BaseUnits units, std::vector<DWORD> template_styles)
        : window_(std::move(window)), units_(units), template_styles_(std::move(template_styles)) {}

    UniqueWindow window_;
    BaseUnits units_;
    std::vector<DWORD> template_styles_;
};

// Height of the combo box's dropped rectangle. Windows reports the box from its top to the
// bottom of its list, i.e. the template height; Wine reports the height of the list alone.
[[nodiscard]] std::optional<int> dropped_height(HWND combo);

} // namespace hbtool
