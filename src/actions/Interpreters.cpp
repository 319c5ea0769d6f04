// The two interpreters: tokenize a function string, run its special action or show its token
// count and send its key events.
#include "actions/KeyChords.h"
#include "actions/KeyInjection.h"
#include "res/resource.h"
#include "ui/HandsetBridgeDlg.h"
#include "ui/PanelText.h"

namespace hb {

actions::FunctionTokens CHandsetBridgeDlg::Tokenize(std::string& function,
                                                    actions::TokenizerMode mode) {
    platform::ICodePage& codePage = Os().codePage;
    return actions::TokenizeFunction(
        function, mode, [&codePage](std::uint8_t byte) { return codePage.IsDbcsLeadByte(byte); });
}

void CHandsetBridgeDlg::SendStrokes(const std::vector<actions::KeyStroke>& strokes) {
    for (const actions::KeyStroke& stroke : strokes) {
        actions::SendKeyEvent(Os().keyboard, stroke.vk, stroke.release);
    }
}

void CHandsetBridgeDlg::InterpretFunction(std::string function) {
    const actions::FunctionTokens tokens = Tokenize(function, actions::TokenizerMode::Normal);
    if (PerformSpecialAction(tokens)) {
        return;
    }
    SetDlgItemText(IDC_KEY_COUNT, panel::Decimal(tokens.nTokens));
    SendStrokes(actions::NormalModeStrokes(tokens));
}

void CHandsetBridgeDlg::InterpretFunctionMSN(std::string function) {
    const actions::FunctionTokens tokens = Tokenize(function, actions::TokenizerMode::Messenger);
    if (tokens.nTapKey != 0) {
        TapGroupLetter(tokens.nTapKey);
    }
    if (PerformSpecialAction(tokens)) {
        return;
    }
    SetDlgItemText(IDC_KEY_COUNT, panel::Decimal(tokens.nTokens));
    SendStrokes(actions::MessengerModeStrokes(tokens, m_chTapLetter.load()));
}

} // namespace hb
