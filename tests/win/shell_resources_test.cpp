// Reads the resources back out of the built setup.exe and compares them with what the program's
// two dialogs, its icon and its manifest must be, byte for byte where the layout is fixed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Little-endian template bytes, written field by field.
class Bytes {
public:
    Bytes& W(unsigned value)
    {
        bytes_ += static_cast<char>(value & 0xFF);
        bytes_ += static_cast<char>((value >> 8) & 0xFF);
        return *this;
    }
    Bytes& D(unsigned long value) { return W(value & 0xFFFF).W((value >> 16) & 0xFFFF); }
    Bytes& B(unsigned value)
    {
        bytes_ += static_cast<char>(value);
        return *this;
    }
    // ASCII text as UTF-16 with its terminating zero.
    Bytes& S(const char* text)
    {
        for (; *text; ++text)
            W(static_cast<unsigned char>(*text));
        return W(0);
    }
    Bytes& Align()
    {
        while (bytes_.size() % 4)
            bytes_ += '\0';
        return *this;
    }
    // A DIALOGEX item: help id and extended style 0, a predefined class by its atom, no extra data.
    Bytes& Item(unsigned long style, int x, int y, int cx, int cy, unsigned long id,
                unsigned classAtom, const char* text)
    {
        Align().D(0).D(0).D(style).W(x).W(y).W(cx).W(cy).D(id);
        return W(0xFFFF).W(classAtom).S(text).W(0);
    }
    const std::string& Get() const { return bytes_; }

private:
    std::string bytes_;
};

const unsigned BUTTON = 0x80, EDIT = 0x81, STATIC = 0x82;
const WORD ENGLISH_US = 1033, POLISH = 1045;

class SetupResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryExA(QUILLON_SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << "cannot load " << QUILLON_SETUP_EXE;
    }
    void TearDown() override
    {
        if (module_)
            FreeLibrary(module_);
    }

    std::string Resource(LPCSTR type, LPCSTR name, WORD language) const
    {
        HRSRC found = FindResourceExA(module_, type, name, language);
        if (!found)
            return "<missing>";
        const char* data = static_cast<const char*>(LockResource(LoadResource(module_, found)));
        return std::string(data, SizeofResource(module_, found));
    }

    static BOOL CALLBACK AddLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list)
    {
        reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
        return TRUE;
    }
    std::vector<WORD> Languages(LPCSTR type, LPCSTR name) const
    {
        std::vector<WORD> languages;
        EnumResourceLanguagesA(module_, type, name, AddLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
        return languages;
    }

    static BOOL CALLBACK AddName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list)
    {
        reinterpret_cast<std::vector<ULONG_PTR>*>(list)->push_back(
            IS_INTRESOURCE(name) ? reinterpret_cast<ULONG_PTR>(name) : 0xFFFFFFFF);
        return TRUE;
    }
    std::vector<ULONG_PTR> Names(LPCSTR type) const
    {
        std::vector<ULONG_PTR> names;
        EnumResourceNamesA(module_, type, AddName, reinterpret_cast<LONG_PTR>(&names));
        return names;
    }

    HMODULE module_ = nullptr;
};

TEST_F(SetupResources, TheDialogsAreTheTwoTemplatesInTheirLanguages)
{
    EXPECT_EQ(Names(RT_DIALOG), (std::vector<ULONG_PTR>{102, 114}));
    EXPECT_EQ(Languages(RT_DIALOG, MAKEINTRESOURCEA(102)), std::vector<WORD>{ENGLISH_US});
    EXPECT_EQ(Languages(RT_DIALOG, MAKEINTRESOURCEA(114)), std::vector<WORD>{POLISH});
}

TEST_F(SetupResources, ProgressTemplate)
{
    Bytes expected;
    expected.W(1).W(0xFFFF).D(0).D(0)
        .D(0x00C808C0)  // WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT
        .W(2).W(0).W(0).W(221).W(57)
        .W(0).W(0).S("Setup")
        .W(8).W(0).B(0).B(0).S("MS Sans Serif");
    expected.Item(0x50000007, 8, 3, 204, 47, 0xFFFFFFFF, BUTTON, "");  // group box
    expected.Item(0x50020081, 16, 24, 190, 8, 0xFFFFFFFF, STATIC,      // centred, no prefix
                  "Please wait while installing the Quillon library...");
    EXPECT_EQ(Resource(RT_DIALOG, MAKEINTRESOURCEA(102), ENGLISH_US), expected.Get());
}

TEST_F(SetupResources, FolderTemplate)
{
    Bytes expected;
    expected.W(1).W(0xFFFF).D(0).D(0)
        // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS
        .D(0x80C800C8)
        .W(5).W(0).W(0).W(251).W(80)
        .W(0).W(0).S("Choose Folder")
        .W(8).W(400).B(0).B(1).S("MS Shell Dlg");
    expected.Item(0x50010001, 129, 59, 50, 14, IDOK, BUTTON, "&OK");
    expected.Item(0x50010000, 194, 59, 50, 14, IDCANCEL, BUTTON, "&Cancel");
    expected.Item(0x50000007, 7, 7, 237, 43, 0xFFFFFFFF, BUTTON, "Select install folder");
    expected.Item(0x50810080, 19, 23, 160, 14, 1000, EDIT, "");  // border, tab stop, scrolls
    expected.Item(0x50010000, 184, 23, 50, 14, 1001, BUTTON, "&Browse");
    EXPECT_EQ(Resource(RT_DIALOG, MAKEINTRESOURCEA(114), POLISH), expected.Get());
}

struct IconImage {
    int size;
    int bits;
    unsigned bytes;  // header, palette, colour bits, mask
};

TEST_F(SetupResources, TheIconGroupHoldsFourImages)
{
    const IconImage images[] = {
        {32, 4, 40 + 16 * 4 + 32 * 16 + 32 * 4},
        {16, 4, 40 + 16 * 4 + 16 * 8 + 16 * 4},
        {32, 8, 40 + 256 * 4 + 32 * 32 + 32 * 4},
        {16, 8, 40 + 256 * 4 + 16 * 16 + 16 * 4},
    };
    EXPECT_EQ(Names(RT_GROUP_ICON), std::vector<ULONG_PTR>{101});
    EXPECT_EQ(Names(RT_ICON), (std::vector<ULONG_PTR>{1, 2, 3, 4}));
    EXPECT_EQ(Languages(RT_GROUP_ICON, MAKEINTRESOURCEA(101)), std::vector<WORD>{ENGLISH_US});

    Bytes group;
    group.W(0).W(1).W(4);
    WORD id = 1;
    for (const IconImage& image : images)
        group.B(image.size).B(image.size).B(image.bits == 4 ? 16 : 0).B(0).W(1).W(image.bits)
            .D(image.bytes).W(id++);
    EXPECT_EQ(Resource(RT_GROUP_ICON, MAKEINTRESOURCEA(101), ENGLISH_US), group.Get());

    id = 1;
    for (const IconImage& image : images) {
        SCOPED_TRACE(image.size * 100 + image.bits);
        const std::string data = Resource(RT_ICON, MAKEINTRESOURCEA(id++), ENGLISH_US);
        ASSERT_EQ(data.size(), image.bytes);
        BITMAPINFOHEADER header;
        memcpy(&header, data.data(), sizeof header);
        EXPECT_EQ(header.biSize, 40u);
        EXPECT_EQ(header.biWidth, image.size);
        EXPECT_EQ(header.biHeight, 2 * image.size);
        EXPECT_EQ(header.biPlanes, 1);
        EXPECT_EQ(header.biBitCount, image.bits);
        EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));

        // Something is drawn: the mask has both transparent and opaque pixels.
        const unsigned maskBytes = image.size * 4;  // rows of 1 bit per pixel, padded to 4 bytes
        const std::string mask = data.substr(data.size() - maskBytes);
        EXPECT_NE(mask.find_first_not_of('\0'), std::string::npos);
        EXPECT_NE(mask.find_first_not_of('\xFF'), std::string::npos);

        HICON icon = CreateIconFromResourceEx(
            reinterpret_cast<PBYTE>(const_cast<char*>(data.data())), data.size(), TRUE,
            0x00030000, image.size, image.size, 0);
        EXPECT_NE(icon, nullptr);
        if (icon)
            DestroyIcon(icon);
    }
}

TEST_F(SetupResources, TheManifestAsksForCommonControlsSixAndAdministrator)
{
    EXPECT_EQ(Names(MAKEINTRESOURCEA(24)), std::vector<ULONG_PTR>{1});
    const std::string manifest = Resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), ENGLISH_US);
    const char* const parts[] = {
        "<dependency>\n"
        "    <dependentAssembly>\n"
        "      <assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" "
        "version=\"6.0.0.0\" processorArchitecture=\"x86\" publicKeyToken=\"6595b64144ccf1df\" "
        "language=\"*\"/>\n"
        "    </dependentAssembly>\n"
        "  </dependency>",
        "<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>",
        "<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>",  // Vista
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",  // 7
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",  // 8
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",  // 8.1
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",  // 10 and 11
    };
    for (const char* part : parts)
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    EXPECT_EQ(manifest.compare(0, 5, "<?xml"), 0);
    EXPECT_EQ(manifest.substr(manifest.size() - 12), "</assembly>\n");
}

}  // namespace
