#include "help_record_list.h"

#include "record_stream.h"

#include <limits>
#include <stdexcept>

namespace {

const uint32_t kHeaderSize = 16;
const uint32_t kRecordHeaderSize = 8;

}  // namespace

void HelpRecordList::Parse(RecordStream& stream)
{
    records_.clear();
    const size_t size = stream.Bytes().size();
    if (size > std::numeric_limits<uint32_t>::max() || stream.Position() > size ||
        size - stream.Position() < kHeaderSize)
        throw kDamagedFile;
    const uint32_t end = static_cast<uint32_t>(size);

    stream.SetLimit(end);
    version_ = static_cast<int32_t>(stream.ReadU32());
    for (int reserved = 0; reserved < 3; ++reserved)
        stream.ReadU32();

    // Every record takes at least its header, so this is the most the file can hold: the
    // pointer array is sized once and never outgrows the file itself.
    records_.reserve((end - stream.Position()) / kRecordHeaderSize);
    while (stream.Position() != end) {
        stream.SetLimit(end);
        const uint32_t typeCode = stream.ReadU32();
        const uint32_t length = stream.ReadU32();
        stream.SetLimit(stream.Position() + length);
        std::unique_ptr<HelpRecord> record = CreateHelpRecord(typeCode);
        record->Read(stream);
        // A record whose fields leave part of its payload unread could not be written back as
        // it stands, and one whose payload runs past the file is cut short: both are refused.
        if (stream.Position() != stream.Limit())
            throw kDamagedFile;
        records_.push_back(std::move(record));
    }
}

void HelpRecordList::Serialize(RecordStream& stream) const
{
    if (version_ == kNotLoaded)
        throw kDamagedFile;
    stream.AppendU32(static_cast<uint32_t>(version_));
    for (int reserved = 0; reserved < 3; ++reserved)
        stream.AppendU32(0);
    for (const auto& record : records_)
        record->Write(stream);
}

const NamespaceRecord* HelpRecordList::AsNamespace(size_t index) const
{
    const HelpRecord& record = At(index);
    return record.TypeCode() == HELP_NAMESPACE_RECORD
               ? static_cast<const NamespaceRecord*>(&record)
               : nullptr;
}

const PluginRecord* HelpRecordList::AsPlugin(size_t index) const
{
    const HelpRecord& record = At(index);
    return record.TypeCode() == HELP_PLUGIN_RECORD ? static_cast<const PluginRecord*>(&record)
                                                   : nullptr;
}

void HelpRecordList::Erase(size_t index)
{
    records_.at(index);  // the standard out-of-range error for a bad index
    records_.erase(records_.begin() + index);
}

void HelpRecordList::AppendNamespace(const std::string& name, const std::string& collectionPath,
                                     const std::string& description)
{
    std::unique_ptr<NamespaceRecord> record(new NamespaceRecord);
    record->name = toText_(name);
    record->collectionPath = toText_(collectionPath);
    record->description = toText_(description);
    records_.push_back(std::move(record));
}

void HelpRecordList::AppendPlugin(const std::string& name, const std::string& sharedText,
                                  const std::string& hxtPath, const std::string& hxaPath)
{
    AppendPlugin(name, toText_(sharedText), hxtPath, hxaPath);
}

void HelpRecordList::AppendPlugin(const std::string& name, const HelpText& sharedText,
                                  const std::string& hxtPath, const std::string& hxaPath)
{
    std::unique_ptr<PluginRecord> record(new PluginRecord);
    record->name = toText_(name);
    record->sharedText = sharedText;
    record->hxtPath = toText_(hxtPath);
    record->hxaPath = toText_(hxaPath);
    records_.push_back(std::move(record));
}

void HelpRecordList::AppendTitle(const std::string& name, const std::string& hxsFile,
                                 const std::string& hxiFile, const std::string& text4,
                                 const std::string& text5, uint32_t languageId, uint32_t number2,
                                 uint32_t number3, uint32_t number4, uint32_t number5)
{
    std::unique_ptr<TitleRecord> record(new TitleRecord);
    record->name = toText_(name);
    record->hxsFile = toText_(hxsFile);
    record->hxiFile = toText_(hxiFile);
    record->text4 = toText_(text4);
    record->text5 = toText_(text5);
    record->languageId = languageId;
    record->number2 = number2;
    record->number3 = number3;
    record->number4 = number4;
    record->number5 = number5;
    records_.push_back(std::move(record));
}

void HelpRecordList::AppendFolder(uint32_t number, const std::string& folder1,
                                  const std::string& folder2)
{
    std::unique_ptr<FolderRecord> record(new FolderRecord);
    record->number = number;
    record->folder1 = toText_(folder1);
    record->folder2 = toText_(folder2);
    records_.push_back(std::move(record));
}
