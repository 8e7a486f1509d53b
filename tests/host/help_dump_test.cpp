// Runs the helpdump tool on hand-written files and checks its exact output and exit code.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

class HelpDump : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/helpdump_testXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override
    {
        std::remove((folder_ + "/file").c_str());
        rmdir(folder_.c_str());
    }

    std::string Write(const Bytes& bytes)
    {
        const std::string path = folder_ + "/file";
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }

    // The tool's output (with the redirection given) and its exit code.
    std::pair<std::string, int> Run(const std::string& path, const char* redirect)
    {
        const std::string command =
            std::string("'") + HELPDUMP_PATH + "' '" + path + "' " + redirect;
        FILE* pipe = popen(command.c_str(), "r");
        std::string output;
        char chunk[256];
        size_t got;
        while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
            output.append(chunk, got);
        const int status = pclose(pipe);
        return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
    }

    std::string folder_;
};

TEST_F(HelpDump, PrintsVersionAndOneLinePerRecord)
{
    const Bytes file = {
        0x04, 0, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0x02, 0, 0, 0, 0x24, 0, 0, 0,
        0x02, 0, 0, 0, 0x51, 0,
        0x10, 0, 0, 0, 0x43, 0, 0x3a, 0, 0x5c, 0, 0x71, 0, 0x2e, 0, 0x48, 0, 0x78, 0, 0x43, 0,
        0x06, 0, 0, 0, 0x61, 0, 0x09, 0, 0x62, 0,
        0x04, 0, 0, 0, 0x1e, 0, 0, 0,
        0x02, 0, 0, 0, 0x51, 0,
        0x04, 0, 0, 0, 0x73, 0x01, 0x74, 0,
        0x08, 0, 0, 0, 0x43, 0, 0x3a, 0, 0x2f, 0, 0x71, 0,
        0x00, 0, 0, 0,
        0x05, 0, 0, 0, 0x42, 0, 0, 0,
        0x02, 0, 0, 0, 0x51, 0,
        0x0a, 0, 0, 0, 0x71, 0, 0x2e, 0, 0x48, 0, 0x78, 0, 0x53, 0,
        0x0a, 0, 0, 0, 0x71, 0, 0x2e, 0, 0x48, 0, 0x78, 0, 0x49, 0,
        0x00, 0, 0, 0, 0x00, 0, 0, 0,
        0x09, 0x04, 0, 0, 0x01, 0, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0xff, 0xff, 0xff, 0xff,
        0x06, 0, 0, 0, 0x18, 0, 0, 0,
        0x01, 0, 0, 0,
        0x06, 0, 0, 0, 0x43, 0, 0x3a, 0, 0x5c, 0,
        0x06, 0, 0, 0, 0x43, 0, 0x3a, 0, 0x5c, 0,
        0x03, 0, 0, 0, 0x0b, 0, 0, 0,
        0x03, 0, 0, 0, 0x61, 0, 0x62,
        0x00, 0, 0, 0,
        0x09, 0, 0, 0, 0x05, 0, 0, 0, 0x01, 0x02, 0x0a, 0xff, 0x00,
        0x00, 0, 0, 0, 0x00, 0, 0, 0,
    };
    const auto result = Run(Write(file), "2>&1");
    EXPECT_EQ(result.first,
              "version 4\n"
              "2 NamespaceRecord name=\"Q\" collectionPath=\"C:\\q.HxC\" description=\"a\\x09b\"\n"
              "4 PluginRecord name=\"Q\" sharedText=\"st\" hxtPath=\"C:/q\" hxaPath=\"\"\n"
              "5 TitleRecord name=\"Q\" hxsFile=\"q.HxS\" hxiFile=\"q.HxI\" text4=\"\" text5=\"\" "
              "languageId=1033 number2=1 number3=1 number4=0 number5=0 number6=4294967295\n"
              "6 FolderRecord number=1 folder1=\"C:\\\" folder2=\"C:\\\"\n"
              "3 TextPairRecord first=\"a\" second=\"\"\n"
              "9 RawRecord bytes=01020aff00\n"
              "0 RawRecord bytes=\n");
    EXPECT_EQ(result.second, 0);
}

TEST_F(HelpDump, VersionIsSigned)
{
    const auto result =
        Run(Write({0xfe, 0xff, 0xff, 0xff, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), "2>&1");
    EXPECT_EQ(result.first, "version -2\n");
    EXPECT_EQ(result.second, 0);
}

TEST_F(HelpDump, DamagedFileGivesDamagedFileAndNoRecords)
{
    const Bytes damaged[] = {
        {0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x09, 0, 0, 0, 0x02, 0, 0, 0, 0x01},
    };
    for (const Bytes& file : damaged) {
        const std::string path = Write(file);
        EXPECT_EQ(Run(path, "2>&1"), std::make_pair(std::string("Damaged file\n"), 2));
        EXPECT_EQ(Run(path, "2>/dev/null"), std::make_pair(std::string(), 2));
    }
}

TEST_F(HelpDump, MissingFileIsReported)
{
    const std::string path = folder_ + "/missing";
    EXPECT_EQ(Run(path, "2>&1"), std::make_pair("cannot read " + path + "\n", 1));
}

}  // namespace
