#include "code_pages.h"
#include "win32/ansi_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const size_t npos = std::string::npos;

// "C:\ソフト\表" in 932: every name ends in a trail byte 5C.
const std::string kSofuto = "\x83\x5C\x83\x74\x83\x67";
const std::string kHyou = "\x95\x5C";

const struct WalkCase {
    std::string text;
    bool cp932;
    bool endsInBackslash;
    size_t lastBackslash;
    std::string slashed;  // every "\" made "/"
} kWalkCases[] = {
    {"C:\\" + kSofuto + "\\" + kHyou, true, false, 9, "C:/" + kSofuto + "/" + kHyou},
    {"C:\\" + kSofuto + "\\" + kHyou + "\\", true, true, 12, "C:/" + kSofuto + "/" + kHyou + "/"},
    {"C:\\" + kHyou + "/x" + kHyou, true, false, 2, "C:/" + kHyou + "/x" + kHyou},
    // A lead byte at the very end stands alone; a lone 5C after it is a backslash.
    {"C:\\a\x95", true, false, 2, "C:/a\x95"},
    {"\x95", true, false, npos, "\x95"},
    // "\x81\\" is one character, then a backslash: 81 5C 5C.
    {"\x81\\\\", true, true, 2, "\x81\\/"},
    {"", true, false, npos, ""},
    // In 1252 every byte is a character: the same bytes hold backslashes.
    {"C:\\" + kHyou, false, true, 4, "C:/\x95/"},
    {"C:\\caf\xe9\\\x80\x9c", false, false, 7, "C:/caf\xe9/\x80\x9c"},
};

TEST(AnsiText, WalksByCharactersOfTheCodePage)
{
    for (const WalkCase& c : kWalkCases) {
        SCOPED_TRACE(c.text);
        const LeadByteTest isLead = c.cp932 ? Cp932Lead : NoLeadBytes;
        EXPECT_EQ(EndsWithCharacter(c.text, '\\', isLead), c.endsInBackslash);
        EXPECT_EQ(FindLastCharacter(c.text, '\\', isLead), c.lastBackslash);
        std::string slashed = c.text;
        ReplaceCharacters(slashed, '\\', '/', isLead);
        EXPECT_EQ(slashed, c.slashed);
    }
}

}  // namespace
