// check-dialog: compares the status panel with a table of the expected controls
// (tests/e2e/expected/dialog102.tsv), on two levels:
// - the dialog template inside the program's executable: every control's style word exactly;
// - the running panel's child windows in Z order (= tab order): identifier, class, text, style,
//   disabled state and position. A control's style and a combo box's dropped height are compared
//   with a reference control created here from the table's row, because controls change their
//   own style bits and Wine reports dropped rectangles its own way.
//
// --ignore-text-ids ID,... leaves out the texts that the program has rewritten by then.
//
// Table format: '#' lines are comments; every other non-empty line has ten tab-separated fields:
// index, id, class, text, style (the template's style word, hex), disabled (0/1), x, y, cx, cy
// (dialog units).
#include "commands.h"
#include "common.h"
#include "finder.h"
#include "probe.h"
#include "resource.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace hbtool {

namespace {

struct ExpectedControl {
    int index = 0;
    int id = 0;
    std::string class_name;
    std::string text;
    DWORD style = 0;
    bool disabled = false;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

std::vector<std::string> split_tabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

std::vector<ExpectedControl> read_table(const std::string& path) {
    std::ifstream in(std::filesystem::path(to_wide(path)));
    if (!in) {
        throw UsageError("cannot read " + path);
    }
    std::vector<ExpectedControl> table;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.ends_with('\r')) {
            line.pop_back();
        }
        if (line.empty() || line.starts_with('#')) {
            continue;
        }
        const auto fields = split_tabs(line);
        const auto bad = [&](const std::string& why) {
            return UsageError(path + ':' + std::to_string(number) + ": " + why);
        };
        if (fields.size() != 10) {
            throw bad("expected 10 tab-separated fields, found " + std::to_string(fields.size()));
        }
        std::int64_t numbers[10] = {};
        for (const std::size_t i : {0U, 1U, 4U, 5U, 6U, 7U, 8U, 9U}) {
            const auto value = parse_number(fields[i]);
            if (!value) {
                throw bad("field " + std::to_string(i + 1) + " is not a number");
            }
            numbers[i] = *value;
        }
        ExpectedControl row;
        row.index = static_cast<int>(numbers[0]);
        row.id = normalised_id(numbers[1]);
        row.class_name = fields[2];
        row.text = fields[3];
        row.style = static_cast<DWORD>(numbers[4]);
        row.disabled = numbers[5] != 0;
        row.x = static_cast<int>(numbers[6]);
        row.y = static_cast<int>(numbers[7]);
        row.cx = static_cast<int>(numbers[8]);
        row.cy = static_cast<int>(numbers[9]);
        if (row.index != static_cast<int>(table.size()) + 1) {
            throw bad("rows must be numbered 1, 2, 3, ... in order");
        }
        table.push_back(row);
    }
    return table;
}

// The control's window rectangle in the dialog's client coordinates. A combo box's window is
// only as high as its closed field, so its height is replaced by the height of its dropped
// rectangle, which depends on the template height.
std::optional<PixelRect> actual_rect(HWND dialog, HWND control) {
    RECT rect{};
    if (!GetWindowRect(control, &rect)) {
        return std::nullopt;
    }
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    MapWindowPoints(nullptr, dialog, corners, 2);
    PixelRect mapped{corners[0].x, corners[0].y, corners[1].x - corners[0].x,
                     corners[1].y - corners[0].y};
    if (has_class(control, L"ComboBox")) {
        const auto height = dropped_height(control);
        if (!height) {
            return std::nullopt;
        }
        mapped.height = *height;
    }
    return mapped;
}

// Style bits compared with the reference. WS_DISABLED is reported on its own. The dialog manager
// moves BS_DEFPUSHBUTTON between the push buttons that can take the focus as the focus and the
// default button change, so for an enabled push button only "a push button" is compared; a
// disabled one never gets the focus and keeps the bit as the template set it.
DWORD compared_bits(const ExpectedControl& row) {
    DWORD mask = ~static_cast<DWORD>(WS_DISABLED);
    const DWORD kind = row.style & BS_TYPEMASK;
    if (row.class_name == "Button" && !row.disabled &&
        (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON)) {
        mask &= ~static_cast<DWORD>(BS_DEFPUSHBUTTON);
    }
    return mask;
}

class Report {
public:
    void mismatch(const std::string& where, const std::string& field, const std::string& expected,
                  const std::string& actual, const std::string& extra = {}) {
        ++count_;
        print_line("mismatch " + where + " field=" + field + " expected=" + expected +
                   " actual=" + actual + (extra.empty() ? "" : " " + extra));
    }
    [[nodiscard]] int count() const { return count_; }

private:
    int count_ = 0;
};

std::string quoted(const std::string& text) {
    return '"' + escape(text) + '"';
}

std::string location(const ExpectedControl& row) {
    return "index=" + std::to_string(row.index) + " id=" + std::to_string(row.id);
}

// The template's own style words must equal the table's exactly: this is where the bits that
// a running control hides are checked.
void compare_template(const std::vector<ExpectedControl>& table, const Probe& probe,
                      Report& report) {
    const std::vector<DWORD>& styles = probe.template_styles();
    if (styles.size() != table.size()) {
        report.mismatch("template", "count", std::to_string(table.size()),
                        std::to_string(styles.size()));
    }
    for (std::size_t i = 0; i < std::min(styles.size(), table.size()); ++i) {
        if (styles[i] != table[i].style) {
            report.mismatch(location(table[i]), "template_style", hex(table[i].style),
                            hex(styles[i]));
        }
    }
}

struct Context {
    HWND dialog;
    const BaseUnits& units;
    const Probe& probe;
    const std::vector<int>& ignored_texts; // controls whose text the program has rewritten
};

void compare(const ExpectedControl& row, HWND control, const Context& context, Report& report) {
    const std::string where = location(row);

    const int id = control_id(control);
    if (id != row.id) {
        report.mismatch(where, "id", std::to_string(row.id), std::to_string(id));
    }
    const std::string class_name = to_utf8(class_of(control));
    if (class_name != row.class_name) {
        report.mismatch(where, "class", row.class_name, class_name);
    }
    if (std::ranges::find(context.ignored_texts, row.id) == context.ignored_texts.end()) {
        const auto text = text_of(control);
        if (!text) {
            report.mismatch(where, "text", quoted(row.text), "(unreadable)");
        } else if (to_utf8(*text) != row.text) {
            report.mismatch(where, "text", quoted(row.text), quoted(to_utf8(*text)));
        }
    }

    // The reference is what the expected template entry turns into on this system: the style
    // after the control has adjusted it (a combo box drops WS_VSCROLL from its own window, for
    // one) and, for a combo box, the dropped height.
    PixelRect expected = context.units.to_pixels(row.x, row.y, row.cx, row.cy);
    const auto reference =
        context.probe.reference(to_wide(row.class_name), to_wide(row.text), row.style, expected);
    if (!reference) {
        report.mismatch(where, "reference", row.class_name, "(cannot be created)");
        return;
    }

    const DWORD style = style_of(control);
    const DWORD mask = compared_bits(row);
    if ((style & mask) != (reference->style & mask)) {
        report.mismatch(where, "style", hex(reference->style & mask), hex(style & mask),
                        "template_style=" + hex(row.style) + " full_style=" + hex(style));
    }
    const bool disabled = (style & WS_DISABLED) != 0;
    if (disabled != row.disabled) {
        report.mismatch(where, "disabled", row.disabled ? "1" : "0", disabled ? "1" : "0");
    }

    if (reference->dropped_height) {
        expected.height = *reference->dropped_height;
    }
    const auto actual = actual_rect(context.dialog, control);
    if (!actual) {
        report.mismatch(where, "rect", to_string(expected), "(unreadable)");
    } else if (*actual != expected) {
        report.mismatch(where, "rect", to_string(expected), to_string(*actual),
                        "dialog_units=" + std::to_string(row.x) + ',' + std::to_string(row.y) +
                            ',' + std::to_string(row.cx) + ',' + std::to_string(row.cy));
    }
}

void describe(std::size_t index, HWND dialog, HWND control) {
    const auto rect = actual_rect(dialog, control);
    print_line("control index=" + std::to_string(index) + " id=" +
               std::to_string(control_id(control)) + " class=" + to_utf8(class_of(control)) +
               " style=" + hex(style_of(control)) + " exstyle=" + hex(exstyle_of(control)) +
               " rect=" + (rect ? to_string(*rect) : "(unreadable)") +
               " text=" + quoted(to_utf8(text_of(control).value_or(L""))));
}

} // namespace

int check_dialog(const Options& options) {
    const std::vector<ExpectedControl> table = read_table(options.text("expect"));
    const bool verbose = options.number_or("verbose", 0) != 0;
    const std::vector<int> ignored_texts = options.id_list("ignore-text-ids");
    HWND dialog = wait_for_main_dialog(options.text("exe"), options.timeout());
    if (!dialog) {
        return kExitFailed;
    }

    const auto probe = Probe::of(dialog, IDD_HANDSETBRIDGE_DIALOG);
    if (!probe) {
        print("error", "cannot create the dialog template of " + options.text("exe") + " here");
        return kExitFailed;
    }
    const auto own_units = base_units_of(dialog);
    const BaseUnits units = own_units.value_or(probe->units());
    print("base_units", std::to_string(units.x) + ',' + std::to_string(units.y));
    print("base_units_from", own_units ? "dialog" : "template");

    const std::vector<HWND> controls = children_of(dialog);
    const Context context{dialog, units, *probe, ignored_texts};
    Report report;
    compare_template(table, *probe, report);
    if (controls.size() != table.size()) {
        report.mismatch("dialog", "count", std::to_string(table.size()),
                        std::to_string(controls.size()));
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (verbose) {
            describe(i + 1, dialog, controls[i]);
        }
        if (i < table.size()) {
            compare(table[i], controls[i], context, report);
        }
    }
    print_line("controls=" + std::to_string(controls.size()) +
               " mismatches=" + std::to_string(report.count()));
    return report.count() == 0 ? kExitOk : kExitFailed;
}

} // namespace hbtool
