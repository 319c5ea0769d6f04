// CDialog: a dialog built from a template resource and run modally. Its message map handles
// WM_INITDIALOG (OnInitDialog), IDOK (OnOK) and IDCANCEL (OnCancel); DoDataExchange binds
// controls to member objects.
#pragma once

#include "framework/Wnd.h"

namespace hb {

class CDataExchange {
public:
    CDataExchange(CWnd& dialog, bool saveAndValidate)
        : m_dialog(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd& m_dialog;
    bool m_bSaveAndValidate;
};

// Binds a control of the dialog to a member object the first time it is exchanged.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

// The dialog is the sink of its own window's messages.
class CDialog : public CWnd, public platform::IWindowSink {
public:
    CDialog(platform::Platform& os, int templateId) : CWnd(os), m_templateId(templateId) {}

    // Creates the dialog and runs it until EndDialog; returns the EndDialog result, -1 when
    // the dialog could not be created.
    virtual int DoModal();
    // Ends the modal loop. Does nothing once the loop has ended.
    void EndDialog(int result);
    [[nodiscard]] bool IsModalLoopRunning() const { return m_inModalLoop; }

    bool UpdateData(bool saveAndValidate = true);

protected:
    [[nodiscard]] const MessageMap* GetMessageMap() const override;
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);

private:
    LResult WindowProc(Hwnd hwnd, unsigned message, WParam wParam, LParam lParam) override;

    int m_templateId;
    bool m_inModalLoop = false;
};

} // namespace hb
