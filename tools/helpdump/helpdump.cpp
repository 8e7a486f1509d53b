// helpdump FILE: prints a help record file ("nslist.hxl", "MS.VSCC.hxn", a namespace's ".hxn")
// as its version and one line per record: type code, class name, fields. Texts show their
// narrow value, numbers are decimal, raw payloads hex. Exit code 0; 1 when the file cannot be
// read; 2 with "Damaged file" when it is damaged.

#include "help_record_list.h"
#include "record_stream.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// Control characters would garble the terminal, so they are shown as \xNN.
std::string Quoted(const HelpText& text)
{
    std::string out = "\"";
    for (char c : text.Narrow()) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Field(const char* name, const HelpText& text)
{
    return std::string(" ") + name + "=" + Quoted(text);
}

std::string Field(const char* name, uint32_t number)
{
    return std::string(" ") + name + "=" + std::to_string(number);
}

std::string Describe(const HelpRecord& record)
{
    std::string line = std::to_string(record.TypeCode());
    switch (record.TypeCode()) {
    case HELP_NAMESPACE_RECORD: {
        const auto& r = static_cast<const NamespaceRecord&>(record);
        return line + " NamespaceRecord" + Field("name", r.name) +
               Field("collectionPath", r.collectionPath) + Field("description", r.description);
    }
    case HELP_TEXT_PAIR_RECORD: {
        const auto& r = static_cast<const TextPairRecord&>(record);
        return line + " TextPairRecord" + Field("first", r.first) + Field("second", r.second);
    }
    case HELP_PLUGIN_RECORD: {
        const auto& r = static_cast<const PluginRecord&>(record);
        return line + " PluginRecord" + Field("name", r.name) +
               Field("sharedText", r.sharedText) + Field("hxtPath", r.hxtPath) +
               Field("hxaPath", r.hxaPath);
    }
    case HELP_TITLE_RECORD: {
        const auto& r = static_cast<const TitleRecord&>(record);
        return line + " TitleRecord" + Field("name", r.name) + Field("hxsFile", r.hxsFile) +
               Field("hxiFile", r.hxiFile) + Field("text4", r.text4) + Field("text5", r.text5) +
               Field("languageId", r.languageId) + Field("number2", r.number2) +
               Field("number3", r.number3) + Field("number4", r.number4) +
               Field("number5", r.number5) + Field("number6", r.number6);
    }
    case HELP_FOLDER_RECORD: {
        const auto& r = static_cast<const FolderRecord&>(record);
        return line + " FolderRecord" + Field("number", r.number) + Field("folder1", r.folder1) +
               Field("folder2", r.folder2);
    }
    default: {
        const auto& r = static_cast<const RawRecord&>(record);
        line += " RawRecord bytes=";
        for (uint8_t byte : r.bytes) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02x", byte);
            line += hex;
        }
        return line;
    }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: helpdump FILE\n");
        return 1;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    RecordStream stream(std::vector<uint8_t>((std::istreambuf_iterator<char>(file)),
                                             std::istreambuf_iterator<char>()));
    if (file.bad()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }

    HelpRecordList list;
    try {
        list.Parse(stream);
    } catch (const char* damage) {
        std::fprintf(stderr, "%s\n", damage);
        return 2;
    }
    std::printf("version %ld\n", static_cast<long>(list.Version()));
    for (size_t index = 0; index < list.Count(); ++index)
        std::printf("%s\n", Describe(list.At(index)).c_str());
    return 0;
}
