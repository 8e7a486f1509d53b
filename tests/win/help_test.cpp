#include "help_registration.h"
#include "support/win_test_support.h"

#include <gtest/gtest.h>

namespace {

const char* const kShellFolders =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const DWORD kHiddenArchive = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;

std::string Le32(uint32_t value)
{
    return {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
}

// A stored text: its count of bytes, then its UTF-16 units.
std::string Text(const std::string& narrow)
{
    std::string bytes = Le32(2 * narrow.size());
    for (char c : narrow)
        bytes += std::string(1, c) + '\0';
    return bytes;
}

const std::string kZeros(12, '\0');
const std::string kHelpFolder = "C:\\Program Files\\Quillon\\Help";
const std::string F = kHelpFolder + "\\";
const std::string kShared = Le32(6) + std::string("V\0S\0\x22\x21", 6);  // a unit above 255 too

// What a registration of the worked example writes.
const std::string kOwnTitle = Le32(5) + Le32(0x66) + Text("Quillon") + Text("Quillon.HxS") +
                              Text("Quillon.HxI") + Le32(0) + Le32(0) + Le32(1033) + Le32(1) +
                              Le32(1) + Le32(0) + Le32(0) + Le32(0);
const std::string kOwnFile =
    Le32(4) + kZeros + kOwnTitle + Le32(6) + Le32(0x84) + Le32(1) + Text(F) + Text(F);
const std::string kOurNamespace = Le32(2) + Le32(0x94) + Text("Quillon") +
                                  Text(F + "Quillon.HxC") + Text("Quillon library help");
const std::string kOurPlugin = Le32(4) + Le32(0xc8) + Text("Quillon") + kShared +
                               Text("C:/Program Files/Quillon/Help/Quillon.HxT") +
                               Text(F + "Quillon.HxA");
// Records of others, and of types the system does not model.
const std::string kOtherNamespace =
    Le32(2) + Le32(0x32) + Text("Other") + Text("C:\\O\\o.HxC") + Text("Help");
const std::string kRaw1 = Le32(1) + Le32(5) + std::string("\xab\xcd\xef\x00\x12", 5);
const std::string kPair = Le32(3) + Le32(0x0c) + Text("x") + Text("y");
const std::string kRaw7 = Le32(7) + Le32(3) + "\x01\x02\x03";
const std::string kRaw9 = Le32(9) + Le32(0);
const std::string kOtherPlugin = Le32(4) + Le32(0x48) + Text("Other") + kShared +
                                 Text("C:/O/o.HxT") + Text("C:\\O\\o.HxA");
const std::string kSecondPlugin =
    Le32(4) + Le32(0x1e) + Text("Second") + Text("Z") + Le32(0) + Le32(0);
const std::string kLower = Le32(2) + Le32(0x1a) + Text("quillon") + Le32(0) + Le32(0);
const std::string kUpper = Le32(4) + Le32(0x1e) + Text("QUILLON") + Le32(0) + Le32(0) + Le32(0);

// A header with non-zero reserved words: a rewritten file has zeros there.
const std::string kHeader = Le32(1) + "\x11\x11\x11\x11\x22\x22\x22\x22\x33\x33\x33\x33";
const std::string kList = kHeader + kOtherNamespace + kRaw1 + kPair;
const std::string kListRewritten = Le32(1) + kZeros + kOtherNamespace + kRaw1 + kPair;
const std::string kCollection = Le32(4) + kZeros + kRaw7 + kOtherPlugin + kSecondPlugin + kRaw9;
const std::string kNoPlugins = kHeader + kRaw7 + kPair + kOtherNamespace;
const std::string kShortList = kList.substr(0, kList.size() - 1);
const std::string kDamaged = (kCollection + kOurPlugin).substr(0, kCollection.size() + 9);
const char* const L = "nslist.hxl";
const char* const C = "MS.VSCC.hxn";
const char* const N = "Quillon.hxn";

// A temporary file left over by an earlier save is replaced.
const Tree kBefore = {{L, kList}, {"nslist.hxl.tmp", "left over"}, {C, kCollection}};
const Tree kRegistered = {{N, kOwnFile}, {L, kListRewritten + kOurNamespace},
                          {C, kCollection + kOurPlugin}};

TEST(HelpRegistration, WritesAndRemovesExactlyItsOwnRecords)
{
    ScratchKey scratch;
    TempFolder temp;
    scratch.SetString(kShellFolders, "Common AppData", temp.Path());
    const std::string data = temp / "Microsoft Help";
    const auto put = [&](const Tree& files) {
        DeleteTreeForTest(data);
        CreateDirectoryA(data.c_str(), nullptr);
        MakeTree(data, files);
    };
    // Steps: R registers, S with a trailing backslash; U removes. The last step's answer.
    const auto run = [&](const std::string& steps) {
        bool done = false;
        for (char step : steps)
            done = step == 'U' ? UnregisterHelp(scratch.Get(), "Quillon")
                               : RegisterHelp(scratch.Get(), step == 'S' ? F : kHelpFolder,
                                              "Quillon", "Quillon", "Quillon library help");
        return done;
    };
    struct Row {
        const char* what;
        Tree before;
        const char* steps;
        Tree after;
        bool done = true;
    } rows[] = {
        {"worked example", kBefore, "R", kRegistered},
        {"trailing backslash", kBefore, "S", kRegistered},
        {"twice, removed once", kBefore, "RRU",
         {{L, kListRewritten + kOurNamespace}, {C, kCollection + kOurPlugin}}},
        {"no collection file", {{L, kList}}, "R",
         {{N, kOwnFile}, {L, kListRewritten + kOurNamespace}}},
        {"collection without plug-ins", {{L, kList}, {C, kNoPlugins}}, "UR",
         {{N, kOwnFile}, {L, kListRewritten + kOurNamespace}, {C, kNoPlugins}}},
        {"damaged collection", {{L, kList}, {C, kDamaged}}, "RU",
         {{L, kListRewritten}, {C, kDamaged}}},
        {"no namespace list", {{C, kCollection + kOurPlugin}}, "R",
         {{N, kOwnFile}, {C, kCollection + kOurPlugin}}},
        {"no namespace list, removal", {{C, kCollection + kOurPlugin}}, "RU",
         {{C, kCollection + kOurPlugin}}},
        {"damaged list, removal", {{L, kShortList}, {C, kCollection + kOurPlugin}}, "RU",
         {{L, kShortList}, {C, kCollection + kOurPlugin}}},
        {"first exact name only",
         {{L, kHeader + kLower + kOurNamespace + kRaw1 + kOurNamespace},
          {C, kHeader + kUpper + kRaw9 + kOurPlugin}},
         "U",
         {{L, Le32(1) + kZeros + kLower + kRaw1 + kOurNamespace},
          {C, Le32(1) + kZeros + kUpper + kRaw9}}},
        {"names differing in case", {{L, kHeader + kLower + kPair}, {C, kHeader + kRaw9 + kUpper}},
         "U", {{L, kHeader + kLower + kPair}, {C, kHeader + kRaw9 + kUpper}}},
        // The list's temporary file cannot be created: its save fails before the list is touched.
        {"list not saved", {{L, kList}, {"nslist.hxl.tmp\\", ""}, {C, kCollection}}, "R",
         {{N, kOwnFile}, {L, kList}, {"nslist.hxl.tmp\\", ""}, {C, kCollection}}, false},
        // The removal goes on after a list it could not rewrite, and after the namespace file.
        {"list not saved, removal",
         {{L, kList + kOurNamespace}, {"nslist.hxl.tmp\\", ""}, {C, kCollection + kOurPlugin}},
         "U", {{L, kList + kOurNamespace}, {"nslist.hxl.tmp\\", ""}, {C, kCollection}}, false},
        {"namespace file not deleted", {{"Quillon.hxn\\", ""}, {L, kListRewritten + kOurNamespace}},
         "U", {{"Quillon.hxn\\", ""}, {L, kListRewritten}}, false},
    };
    for (const Row& row : rows) {
        put(row.before);
        EXPECT_EQ(run(row.steps), row.done) << row.what;
        EXPECT_EQ(SnapshotTree(data), row.after) << row.what;
    }
    // Registration files are hidden, whatever the old ones were, and over a hidden left-over.
    put(kBefore);
    SetFileAttributesA((data + "\\" + L).c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((data + "\\nslist.hxl.tmp").c_str(), kHiddenArchive);
    EXPECT_TRUE(run("R"));
    for (const char* name : {N, L, C})
        EXPECT_EQ(GetFileAttributesA((data + "\\" + name).c_str()), kHiddenArchive) << name;
    // A list that cannot be read may hold our record: the removal cannot say it is done.
    HANDLE reader = CreateFileA((data + "\\" + L).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                         nullptr);
    EXPECT_FALSE(run("U"));
    CloseHandle(reader);
}

}  // namespace
