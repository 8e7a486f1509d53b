#pragma once
// The in-memory model of one help record file: a version word and an ordered list of owned
// records. Parse and Serialize build without Windows; Load and Save are defined in
// help_record_file.cpp, which only the Windows build compiles.

#include "help_records.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class RecordStream;

class HelpRecordList {
public:
    // The version of a list that holds no file; such a list cannot be serialised.
    static constexpr int32_t kNotLoaded = -1;

    // How the Append functions make a text of a narrow string.
    typedef HelpText (*TextFromNarrow)(const std::string& narrow);

    explicit HelpRecordList(int32_t version = kNotLoaded, TextFromNarrow toText = HelpText::FromNarrow)
        : version_(version), toText_(toText)
    {
    }

    int32_t Version() const { return version_; }

    // Replaces the content with the file's; false when it cannot be read or is damaged (records
    // parsed before the damage stay, like the version once the header was read).
    bool Load(const std::string& path);
    // Writes the file so that it holds either its old or its new content, hidden and archive.
    // False, with the file left as it was, when the list cannot be serialised or any step fails.
    bool Save(const std::string& path) const;

    // Both throw kDamagedFile. Parse reads from the stream's Position to the end of its buffer.
    void Parse(RecordStream& stream);
    void Serialize(RecordStream& stream) const;

    // Destroys every record; the version stays.
    void Clear() { records_.clear(); }
    size_t Count() const { return records_.size(); }

    // An index at or past Count throws std::out_of_range in each of these.
    uint32_t TypeAt(size_t index) const { return records_.at(index)->TypeCode(); }
    const HelpRecord& At(size_t index) const { return *records_.at(index); }
    // The record if it has that class, else null; the list keeps it.
    const NamespaceRecord* AsNamespace(size_t index) const;
    const PluginRecord* AsPlugin(size_t index) const;
    void Erase(size_t index);

    // Narrow strings are made into texts by the list's TextFromNarrow.
    void AppendNamespace(const std::string& name, const std::string& collectionPath,
                         const std::string& description);
    void AppendPlugin(const std::string& name, const std::string& sharedText,
                      const std::string& hxtPath, const std::string& hxaPath);
    // The shared text is taken over as stored.
    void AppendPlugin(const std::string& name, const HelpText& sharedText,
                      const std::string& hxtPath, const std::string& hxaPath);
    // number6 is always 0.
    void AppendTitle(const std::string& name, const std::string& hxsFile,
                     const std::string& hxiFile, const std::string& text4,
                     const std::string& text5, uint32_t languageId, uint32_t number2,
                     uint32_t number3, uint32_t number4, uint32_t number5);
    void AppendFolder(uint32_t number, const std::string& folder1, const std::string& folder2);

private:
    int32_t version_;
    TextFromNarrow toText_;
    std::vector<std::unique_ptr<HelpRecord>> records_;
};
