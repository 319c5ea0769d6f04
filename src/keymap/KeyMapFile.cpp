// Reading keymap.ini through the profile functions.
#include "keymap/KeyMapFile.h"

#include <algorithm>

namespace hb::keymap {

KeyMapFile ReadKeyMapFile(platform::IProfile& profile, const std::string& path, bool messenger) {
    KeyMapFile file;
    file.buttonCount =
        profile.GetPrivateProfileInt("TotalButton", "Count", kDefaultButtonCount, path);
    file.boardAddress =
        profile.GetPrivateProfileInt("BoardAdress", "Adress", kDefaultBoardAddress, path);

    // The tables hold 99 buttons; a larger count loads those and no more.
    const int buttons = std::clamp(file.buttonCount, 0, kMaxButtons);
    const char* functionSection = messenger ? "FunctionMapMSN" : "FunctionMap";
    for (int n = 1; n <= buttons; ++n) {
        file.codes.push_back(profile.GetPrivateProfileString("Button", std::to_string(n), "",
                                                             kValueBufferSize, path));
    }
    for (int n = 1; n <= buttons; ++n) {
        file.functions.push_back(profile.GetPrivateProfileString(functionSection, std::to_string(n),
                                                                 "", kValueBufferSize, path));
    }
    return file;
}

} // namespace hb::keymap
