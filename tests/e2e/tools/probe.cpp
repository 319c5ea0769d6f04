// The probe dialog: base units and reference controls made from the program's own template.
#include "probe.h"

#include "common.h"

#include <cstring>
#include <span>
#include <vector>

namespace hbtool {

namespace {

struct LibraryFreer {
    void operator()(HMODULE module) const noexcept { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

constexpr WORD kDialogResourceType = 5; // RT_DIALOG
// A template's fixed header is 26 bytes; a real one is a few kilobytes at most.
constexpr DWORD kMinTemplateSize = 26;
constexpr DWORD kMaxTemplateSize = 64 * 1024;

const wchar_t* int_resource(WORD id) {
    return reinterpret_cast<const wchar_t*>(static_cast<ULONG_PTR>(id));
}

INT_PTR CALLBACK probe_procedure(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// Reads a dialog template: little-endian fields, strings as UTF-16 words.
class TemplateReader {
public:
    explicit TemplateReader(std::span<const std::byte> bytes) : bytes_(bytes) {}

    [[nodiscard]] bool ok() const { return ok_; }

    template <typename T> T read() {
        T value{};
        if (at_ + sizeof value > bytes_.size()) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, bytes_.data() + at_, sizeof value);
        at_ += sizeof value;
        return value;
    }

    // A name or an ordinal: 0xFFFF and a number, or a zero-terminated string (empty: none).
    void skip_name_or_ordinal() {
        const auto first = read<WORD>();
        if (first == 0xFFFF) {
            (void)read<WORD>();
            return;
        }
        for (WORD ch = first; ok_ && ch != 0;) {
            ch = read<WORD>();
        }
    }

    void skip(std::size_t count) {
        at_ += count;
        ok_ = ok_ && at_ <= bytes_.size();
    }

    void align_to_dword() { skip((4 - at_ % 4) % 4); }

private:
    std::span<const std::byte> bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

// The style words of an extended template's items (DLGTEMPLATEEX, then DLGITEMTEMPLATEEX each
// aligned to a DWORD); empty for a classic template or one that cannot be read.
std::vector<DWORD> item_styles(std::span<const std::byte> bytes) {
    TemplateReader in(bytes);
    const auto version = in.read<WORD>();
    const auto signature = in.read<WORD>();
    if (version != 1 || signature != 0xFFFF) {
        return {};
    }
    in.skip(8); // help id, extended style
    const auto style = in.read<DWORD>();
    const auto count = in.read<WORD>();
    in.skip(8);                // x, y, cx, cy
    in.skip_name_or_ordinal(); // menu
    in.skip_name_or_ordinal(); // class
    in.skip_name_or_ordinal(); // caption
    if (style & DS_SETFONT) {
        in.skip(6); // point size, weight, italic, character set
        in.skip_name_or_ordinal();
    }
    std::vector<DWORD> styles;
    for (WORD i = 0; i < count && in.ok(); ++i) {
        in.align_to_dword();
        in.skip(8); // help id, extended style
        styles.push_back(in.read<DWORD>());
        in.skip(12);               // x, y, cx, cy, id
        in.skip_name_or_ordinal(); // class
        in.skip_name_or_ordinal(); // text
        in.skip(in.read<WORD>());  // creation data
    }
    return in.ok() ? styles : std::vector<DWORD>{};
}

struct DialogResource {
    std::vector<DWORD> words; // DWORD-aligned, as CreateDialogIndirect needs
    std::size_t size = 0;     // in bytes
};

std::optional<DialogResource> load_template(HMODULE module, int template_id) {
    HRSRC found = FindResourceW(module, int_resource(static_cast<WORD>(template_id)),
                                int_resource(kDialogResourceType));
    const DWORD size = found ? SizeofResource(module, found) : 0;
    const void* data = size ? LockResource(LoadResource(module, found)) : nullptr;
    if (!data || size < kMinTemplateSize || size > kMaxTemplateSize) {
        return std::nullopt;
    }
    DialogResource resource{std::vector<DWORD>((size + 3) / 4), size};
    std::memcpy(resource.words.data(), data, size);
    return resource;
}

// A copy of the template that creates a hidden dialog without controls. Read as little-endian
// DWORDs, an extended template (version 1, signature 0xFFFF) has its style in DWORD 3 and its
// item count in the low word of DWORD 4; a classic one has its style in DWORD 0 and its item
// count in the low word of DWORD 2.
std::vector<DWORD> bare(std::vector<DWORD> words) {
    const bool extended = words.at(0) >> 16 == 0xFFFF;
    words.at(extended ? 3 : 0) &= ~static_cast<DWORD>(WS_VISIBLE);
    words.at(extended ? 4 : 2) &= 0xFFFF0000U;
    return words;
}

} // namespace

std::string to_string(const PixelRect& rect) {
    return std::to_string(rect.x) + ',' + std::to_string(rect.y) + ',' +
           std::to_string(rect.width) + ',' + std::to_string(rect.height);
}

PixelRect BaseUnits::to_pixels(int dlu_x, int dlu_y, int dlu_cx, int dlu_cy) const {
    return {MulDiv(dlu_x, x, 4), MulDiv(dlu_y, y, 8), MulDiv(dlu_cx, x, 4), MulDiv(dlu_cy, y, 8)};
}

std::optional<BaseUnits> base_units_of(HWND dialog) {
    RECT units{0, 0, 4, 8};
    if (!MapDialogRect(dialog, &units) || units.right <= 0 || units.bottom <= 0) {
        return std::nullopt;
    }
    return BaseUnits{units.right, units.bottom};
}

std::optional<int> dropped_height(HWND combo) {
    RECT dropped{};
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped),
                             SMTO_ABORTIFHUNG, 2000, &ignored)) {
        return std::nullopt;
    }
    return dropped.bottom - dropped.top;
}

std::optional<Probe> Probe::of(HWND dialog, int template_id) {
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    const UniqueHandle process{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)};
    wchar_t image[MAX_PATH * 4] = {};
    auto length = static_cast<DWORD>(std::size(image));
    if (!process || !QueryFullProcessImageNameW(process.get(), 0, image, &length)) {
        return std::nullopt;
    }
    const UniqueModule module{
        LoadLibraryExW(image, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)};
    const auto resource = module ? load_template(module.get(), template_id) : std::nullopt;
    if (!resource) {
        return std::nullopt;
    }
    const std::vector<DWORD> hidden = bare(resource->words);
    UniqueWindow window{CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                                   reinterpret_cast<LPCDLGTEMPLATEW>(hidden.data()),
                                                   nullptr, probe_procedure, 0)};
    const auto units = window ? base_units_of(window.get()) : std::nullopt;
    if (!units) {
        return std::nullopt;
    }
    const auto bytes = std::as_bytes(std::span(resource->words)).first(resource->size);
    return Probe(std::move(window), *units, item_styles(bytes));
}

std::optional<ReferenceControl> Probe::reference(const std::wstring& class_name,
                                                 const std::wstring& text, DWORD style,
                                                 const PixelRect& rect) const {
    const UniqueWindow control{CreateWindowExW(
        0, class_name.c_str(), text.c_str(), style | WS_CHILD, rect.x, rect.y, rect.width,
        rect.height, window_.get(), nullptr, GetModuleHandleW(nullptr), nullptr)};
    if (!control) {
        return std::nullopt;
    }
    const LRESULT font = SendMessageW(window_.get(), WM_GETFONT, 0, 0);
    SendMessageW(control.get(), WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    ReferenceControl reference{style_of(control.get()), std::nullopt};
    if (has_class(control.get(), L"ComboBox")) {
        reference.dropped_height = dropped_height(control.get());
    }
    return reference;
}

} // namespace hbtool
