// Loading the key map: the install folder from the registry, then keymap.ini from it. The
// tables and the count are published together under the key-map lock, so the capture thread
// always sees one complete load.
#include "keymap/KeyMapFile.h"
#include "platform/RegistryValue.h"
#include "res/resource.h"
#include "ui/HandsetBridgeDlg.h"
#include "ui/PanelText.h"

namespace hb {
namespace {
constexpr char kInstallKey[] = "software\\Quorvant\\V5120remote";
constexpr char kInstallValue[] = "V5120remote";
constexpr std::size_t kRegistryBufferSize = 256;
} // namespace

int CHandsetBridgeDlg::LoadKeyMap(bool bMessenger) {
    std::string folder;
    if (!platform::ReadRegistryString(Os().registry, platform::RegistryRoot::LocalMachine,
                                      kInstallKey, kInstallValue, kRegistryBufferSize, folder)) {
        m_bDispatchDisabled = 1;
        return 0;
    }
    const std::string path = folder + "keymap.ini";
    SetDlgItemText(IDC_KEYMAP_PATH, path);

    const keymap::KeyMapFile file = keymap::ReadKeyMapFile(Os().profile, path, bMessenger);

    std::scoped_lock lock(m_keyMapLock);
    m_nButtonCount = std::min(file.buttonCount, keymap::kMaxButtons);
    m_nBoardAddress = file.boardAddress;
    m_strButtonCode[0] = panel::Decimal(file.boardAddress);
    for (std::size_t i = 0; i < file.codes.size(); ++i) {
        m_strButtonCode[i + 1] = file.codes[i];
        m_strFunctionMap[i + 1] = file.functions[i];
    }
    return 1;
}

} // namespace hb
