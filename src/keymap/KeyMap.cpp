// Loading the key map. The loader reads nothing yet: the tables stay empty, so no received
// code matches a button.
#include "ui/HandsetBridgeDlg.h"

namespace hb {

int CHandsetBridgeDlg::LoadKeyMap(bool) {
    return 0;
}

} // namespace hb
