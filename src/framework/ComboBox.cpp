// CComboBox messages.
#include "framework/ComboBox.h"

namespace hb {

int CComboBox::InsertString(int index, const std::string& text) {
    return Os().window.InsertComboString(m_hWnd, index, text);
}

int CComboBox::SetCurSel(int index) {
    return static_cast<int>(SendMessage(win::kCbSetCurSel, static_cast<WParam>(index), 0));
}

int CComboBox::GetCurSel() {
    return static_cast<int>(SendMessage(win::kCbGetCurSel, 0, 0));
}

int CComboBox::GetCount() {
    return static_cast<int>(SendMessage(win::kCbGetCount, 0, 0));
}

} // namespace hb
