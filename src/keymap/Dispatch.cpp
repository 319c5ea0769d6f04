// The two dispatchers: a received code string acts at most once per guard period, through the
// first button whose code string equals it.
#include "keymap/KeyMapFile.h"
#include "ui/HandsetBridgeDlg.h"

namespace hb {

std::optional<std::string> CHandsetBridgeDlg::FindButtonFunction(const std::string& codeString) {
    std::scoped_lock lock(m_keyMapLock);
    const int buttons = std::min(m_nButtonCount, keymap::kMaxButtons);
    for (int n = 1; n <= buttons; ++n) {
        const auto index = static_cast<std::size_t>(n);
        if (m_strButtonCode[index] == codeString) {
            return m_strFunctionMap[index];
        }
    }
    return std::nullopt;
}

void CHandsetBridgeDlg::DispatchCode(const std::string& codeString, bool messenger) {
    if (m_bRepeatGuard != 0) {
        return;
    }
    // A copy of the function string: the interpreter may reload the tables.
    std::optional<std::string> function = FindButtonFunction(codeString);
    if (!function) {
        return;
    }
    m_bRepeatGuard = 1;
    if (messenger) {
        InterpretFunctionMSN(std::move(*function));
    } else {
        InterpretFunction(std::move(*function));
    }
    // The guard period counts from the end of the action, with the dispatcher's own period.
    SetTimer(kTimerRepeatGuard, messenger ? kGuardMessengerMilliseconds : kGuardNormalMilliseconds);
}

void CHandsetBridgeDlg::DispatchNormalCode(std::string codeString) {
    DispatchCode(codeString, false);
}

void CHandsetBridgeDlg::DispatchMessengerCode(std::string codeString) {
    DispatchCode(codeString, true);
}

} // namespace hb
