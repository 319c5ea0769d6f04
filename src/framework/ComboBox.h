// CComboBox: the combo-box messages the program uses.
#pragma once

#include "framework/Wnd.h"

#include <string>

namespace hb {

class CComboBox : public CWnd {
public:
    using CWnd::CWnd;

    // Inserts at an explicit position, which a sorted combo box leaves alone.
    int InsertString(int index, const std::string& text);
    int SetCurSel(int index);
    [[nodiscard]] int GetCurSel();
    [[nodiscard]] int GetCount();
};

} // namespace hb
