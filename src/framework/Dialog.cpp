// CDialog: modal run, initialisation, OK and Cancel, data exchange.
#include "framework/Dialog.h"

#include <array>

namespace hb {

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd == kNoWindow) {
        control.SubclassDlgItem(id, pDX->m_dialog);
    }
}

const MessageMap* CDialog::GetMessageMap() const {
    static constexpr MessageMapEntry entries[] = {
        MessageMapEntry{win::kWmInitDialog, 0, 0, &msgmap::Bool<CDialog, &CDialog::OnInitDialog>},
        HB_ON_COMMAND(win::kIdOk, CDialog, OnOK),
        HB_ON_COMMAND(win::kIdCancel, CDialog, OnCancel),
    };
    static const MessageMap map{CCmdTarget::GetMessageMap(), entries};
    return &map;
}

int CDialog::DoModal() {
    m_inModalLoop = true;
    const int result = Os().window.DoModal(m_templateId, kNoWindow, *this);
    m_inModalLoop = false;
    m_hWnd = kNoWindow;
    return result;
}

void CDialog::EndDialog(int result) {
    if (!m_inModalLoop || m_hWnd == kNoWindow) {
        return;
    }
    Os().window.EndDialog(m_hWnd, result);
    m_inModalLoop = false;
}

LResult CDialog::WindowProc(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam) {
    // Set by the window's first message, before any other thread can look at it, and not
    // written again while the window lives.
    if (m_hWnd == kNoWindow) {
        m_hWnd = hwnd;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(*this, saveAndValidate);
    DoDataExchange(&dx);
    return true;
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (!UpdateData(true)) {
        return;
    }
    EndDialog(win::kIdOk);
}

void CDialog::OnCancel() {
    EndDialog(win::kIdCancel);
}

void CDialog::DoDataExchange(CDataExchange*) {}

} // namespace hb
