#pragma once
// The typed records of a help record file. Builds without Windows.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class RecordStream;

// A text field as stored: UTF-16LE code units, kept as their bytes so that a text read from a
// file goes back byte for byte (an odd last byte included).
class HelpText {
public:
    // One code unit per character, the character as low byte and 0 as high byte.
    static HelpText FromNarrow(const std::string& narrow);
    // The low byte of each whole code unit; no code page is involved.
    std::string Narrow() const;

    std::string bytes;
};

enum HelpRecordType : uint32_t {
    HELP_NAMESPACE_RECORD = 2,
    HELP_TEXT_PAIR_RECORD = 3,
    HELP_PLUGIN_RECORD = 4,
    HELP_TITLE_RECORD = 5,
    HELP_FOLDER_RECORD = 6,
};

class HelpRecord {
public:
    virtual ~HelpRecord() = default;
    HelpRecord(const HelpRecord&) = delete;
    HelpRecord& operator=(const HelpRecord&) = delete;

    // Fills the fields from the stream, which is limited to this record's payload.
    virtual void Read(RecordStream& stream) = 0;
    // Appends the whole record, header included.
    virtual void Write(RecordStream& stream) const = 0;

    uint32_t TypeCode() const { return typeCode_; }

protected:
    explicit HelpRecord(uint32_t typeCode) : typeCode_(typeCode) {}

private:
    uint32_t typeCode_;
};

class NamespaceRecord : public HelpRecord {
public:
    NamespaceRecord() : HelpRecord(HELP_NAMESPACE_RECORD) {}
    void Read(RecordStream& stream) override;
    void Write(RecordStream& stream) const override;

    HelpText name;
    HelpText collectionPath;
    HelpText description;
};

class TextPairRecord : public HelpRecord {
public:
    TextPairRecord() : HelpRecord(HELP_TEXT_PAIR_RECORD) {}
    void Read(RecordStream& stream) override;
    void Write(RecordStream& stream) const override;

    HelpText first;
    HelpText second;
};

class PluginRecord : public HelpRecord {
public:
    PluginRecord() : HelpRecord(HELP_PLUGIN_RECORD) {}
    void Read(RecordStream& stream) override;
    void Write(RecordStream& stream) const override;

    HelpText name;
    HelpText sharedText;
    HelpText hxtPath;
    HelpText hxaPath;
};

class TitleRecord : public HelpRecord {
public:
    TitleRecord() : HelpRecord(HELP_TITLE_RECORD) {}
    void Read(RecordStream& stream) override;
    void Write(RecordStream& stream) const override;

    HelpText name;
    HelpText hxsFile;
    HelpText hxiFile;
    HelpText text4;
    HelpText text5;
    uint32_t languageId = 0;
    uint32_t number2 = 0;
    uint32_t number3 = 0;
    uint32_t number4 = 0;
    uint32_t number5 = 0;
    uint32_t number6 = 0;
};

class FolderRecord : public HelpRecord {
public:
    FolderRecord() : HelpRecord(HELP_FOLDER_RECORD) {}
    void Read(RecordStream& stream) override;
    void Write(RecordStream& stream) const override;

    uint32_t number = 0;
    HelpText folder1;
    HelpText folder2;
};

// Any type code the system does not model; its payload is carried through as it stands.
class RawRecord : public HelpRecord {
public:
    explicit RawRecord(uint32_t typeCode) : HelpRecord(typeCode) {}
    void Read(RecordStream& stream) override;
    void Write(RecordStream& stream) const override;

    std::vector<uint8_t> bytes;
};

// The record class that a type code selects, with all fields empty.
std::unique_ptr<HelpRecord> CreateHelpRecord(uint32_t typeCode);
