// Loading the key map from the install folder's keymap.ini.
#include "platform/RegistryValue.h"
#include "res/resource.h"
#include "tests/unit/ControllerFixture.h"

namespace hb::testing {
namespace {

using KeyMapTest = ControllerTest;

TEST_F(KeyMapTest, WithoutTheInstallFolderDispatchIsDisabledAndNothingElseChanges) {
    dlg.m_nButtonCount = 2;
    dlg.m_strButtonCode[1] = "0x01";
    dlg.m_strFunctionMap[1] = "Enter";
    EXPECT_EQ(dlg.LoadKeyMap(false), 0);
    EXPECT_EQ(dlg.m_bDispatchDisabled, 1);
    EXPECT_EQ(dlg.m_nButtonCount, 2);
    EXPECT_EQ(dlg.m_strButtonCode[1], "0x01");
    EXPECT_EQ(dlg.m_strFunctionMap[1], "Enter");
    EXPECT_TRUE(LogWith("SetDlgItemText").empty()); // the panel keeps its path text
    EXPECT_EQ(os.profile.Reads(), 0);
}

TEST_F(KeyMapTest, MissingFileGivesTheDefaultsAndStillShowsThePath) {
    SetInstallFolder();
    EXPECT_EQ(dlg.LoadKeyMap(false), 1);
    EXPECT_EQ(os.window.Text(IDC_KEYMAP_PATH), kKeyMapPath);
    EXPECT_EQ(dlg.m_nButtonCount, 47);
    EXPECT_EQ(dlg.m_nBoardAddress, 6917);
    EXPECT_EQ(dlg.m_strButtonCode[0], "6917");
    for (int n = 1; n <= 47; ++n) {
        EXPECT_EQ(dlg.m_strButtonCode[static_cast<std::size_t>(n)], "") << n;
        EXPECT_EQ(dlg.m_strFunctionMap[static_cast<std::size_t>(n)], "") << n;
    }
    EXPECT_EQ(dlg.m_bDispatchDisabled, 0);
}

TEST_F(KeyMapTest, ReadsExactlyTheCountedKeysCodesFirst) {
    SetInstallFolder();
    WriteKeyMap(3, {"0x01", "0x1a", "0x03", "0x04"}, {"Enter", "Up", "Ctrl+C", "TV"});
    os.profile.Set(kKeyMapPath, "BoardAdress", "Adress", "-12");
    EXPECT_EQ(dlg.LoadKeyMap(false), 1);
    EXPECT_EQ(
        LogWith("GetPrivateProfileString"),
        (std::vector<std::string>{
            "GetPrivateProfileString Button 1", "GetPrivateProfileString Button 2",
            "GetPrivateProfileString Button 3", "GetPrivateProfileString FunctionMap 1",
            "GetPrivateProfileString FunctionMap 2", "GetPrivateProfileString FunctionMap 3"}));
    EXPECT_EQ(dlg.m_nButtonCount, 3);
    EXPECT_EQ(dlg.m_nBoardAddress, -12);
    EXPECT_EQ(dlg.m_strButtonCode[0], "-12");
    EXPECT_EQ(dlg.m_strButtonCode[2], "0x1a"); // stored as written, never normalised
    EXPECT_EQ(dlg.m_strFunctionMap[3], "Ctrl+C");
    EXPECT_EQ(dlg.m_strButtonCode[4], "");
}

TEST_F(KeyMapTest, ASmallerReloadLeavesTheEntriesAboveItsCount) {
    SetInstallFolder();
    WriteKeyMap(10,
                {"0x01", "0x02", "0x03", "0x04", "0x05", "0x06", "0x07", "0x08", "0x09", "0x0A"},
                {"1", "2", "3", "4", "5", "6", "7", "8", "9", "A"});
    ASSERT_EQ(dlg.LoadKeyMap(false), 1);
    WriteKeyMap(5, {"0x11", "0x12", "0x13", "0x14", "0x15"}, {"B", "C", "D", "E", "F"});
    ASSERT_EQ(dlg.LoadKeyMap(false), 1);
    EXPECT_EQ(dlg.m_nButtonCount, 5);
    EXPECT_EQ(dlg.m_strButtonCode[5], "0x15");
    EXPECT_EQ(dlg.m_strButtonCode[6], "0x06");
    EXPECT_EQ(dlg.m_strFunctionMap[10], "A");
}

TEST_F(KeyMapTest, MessengerReloadTakesItsFunctionsAndKeepsTheCodes) {
    SetInstallFolder();
    WriteKeyMap(2, {"0x01", "0x02"}, {"Enter", "Up"});
    WriteKeyMap(2, {"0x01", "0x02"}, {"Shift+Left+A", "TV"}, "FunctionMapMSN");
    ASSERT_EQ(dlg.LoadKeyMap(true), 1);
    EXPECT_EQ(dlg.m_strFunctionMap[1], "Shift+Left+A");
    EXPECT_EQ(dlg.m_strFunctionMap[2], "TV");
    EXPECT_EQ(dlg.m_strButtonCode[2], "0x02");
    ASSERT_EQ(dlg.LoadKeyMap(false), 1);
    EXPECT_EQ(dlg.m_strFunctionMap[1], "Enter");
}

TEST_F(KeyMapTest, OnceALookupFailedDispatchStaysOffAfterALaterSuccess) {
    EXPECT_EQ(dlg.LoadKeyMap(false), 0);
    SetInstallFolder();
    EXPECT_EQ(dlg.LoadKeyMap(false), 1);
    EXPECT_EQ(dlg.m_bDispatchDisabled, 1);
}

TEST_F(KeyMapTest, CountsOutsideTheTablesAreCut) {
    struct Row {
        const char* name;
        const char* count;
        int buttonCount;
        int keysRead; // per section
    };
    const Row rows[] = {
        {"above the tables", "150", 99, 99},
        {"exactly the tables", "99", 99, 99},
        {"zero", "0", 0, 0},
        {"negative", "-3", -3, 0},
    };
    SetInstallFolder();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        os.log.Clear();
        os.profile.Set(kKeyMapPath, "TotalButton", "Count", row.count);
        ASSERT_EQ(dlg.LoadKeyMap(false), 1);
        EXPECT_EQ(dlg.m_nButtonCount, row.buttonCount);
        EXPECT_EQ(LogWith("GetPrivateProfileString Button").size(),
                  static_cast<std::size_t>(row.keysRead));
        EXPECT_EQ(LogWith("GetPrivateProfileString FunctionMap").size(),
                  static_cast<std::size_t>(row.keysRead));
    }
    EXPECT_TRUE(LogWith("GetPrivateProfileString Button 100").empty());
}

TEST_F(KeyMapTest, LongValuesAreCutAndTheFolderIsUsedAsWritten) {
    SetInstallFolder("C:\\HB"); // no trailing separator: the path names another file
    const std::string longCode(300, 'x');
    os.profile.Set("C:\\HBkeymap.ini", "TotalButton", "Count", "1");
    os.profile.Set("C:\\HBkeymap.ini", "Button", "1", longCode);
    ASSERT_EQ(dlg.LoadKeyMap(false), 1);
    EXPECT_EQ(os.window.Text(IDC_KEYMAP_PATH), "C:\\HBkeymap.ini");
    EXPECT_EQ(dlg.m_strButtonCode[1], std::string(259, 'x'));
}

TEST(RegistryValueTest, ReadsOnlyValuesThatFitWithTheirTerminator) {
    struct Row {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool closeFails;
        bool ok;
        std::string value;
    };
    const auto text = [](std::size_t length, bool terminated) {
        std::vector<std::uint8_t> bytes(length, 'a');
        if (terminated) {
            bytes.push_back(0);
        }
        return bytes;
    };
    const Row rows[] = {
        {"255 characters and the terminator fill the buffer", text(255, true), false, true,
         std::string(255, 'a')},
        {"256 characters without terminator are too long", text(256, false), false, false, ""},
        {"256 characters with terminator do not fit", text(256, true), false, false, ""},
        {"short value without terminator", text(10, false), false, true, std::string(10, 'a')},
        {"empty string", text(0, true), false, true, ""},
        {"text ends at its first terminator", {'a', 'b', 0, 'c', 0}, false, true, "ab"},
        {"a failing close fails the read", text(3, true), true, false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fakes::CallLog log;
        fakes::FakeRegistry registry(log);
        registry.SetBytes("k", "v", row.bytes);
        registry.failClose = row.closeFails;
        std::string value = "unchanged";
        EXPECT_EQ(platform::ReadRegistryString(registry, platform::RegistryRoot::LocalMachine, "k",
                                               "v", 256, value),
                  row.ok);
        if (row.ok) {
            EXPECT_EQ(value, row.value);
        }
        EXPECT_EQ(registry.OpenKeys(), 0); // closed whenever it was opened
    }
}

} // namespace
} // namespace hb::testing
