#include "help_records.h"

#include "record_stream.h"

HelpText HelpText::FromNarrow(const std::string& narrow)
{
    HelpText text;
    text.bytes.reserve(narrow.size() * 2);
    for (char c : narrow) {
        text.bytes += c;
        text.bytes += '\0';
    }
    return text;
}

std::string HelpText::Narrow() const
{
    std::string narrow;
    narrow.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        narrow += bytes[i];
    return narrow;
}

void NamespaceRecord::Read(RecordStream& stream)
{
    stream.ReadText(name);
    stream.ReadText(collectionPath);
    stream.ReadText(description);
}

void NamespaceRecord::Write(RecordStream& stream) const
{
    stream.BeginRecord(TypeCode());
    stream.AppendText(name);
    stream.AppendText(collectionPath);
    stream.AppendText(description);
    stream.EndRecord();
}

void TextPairRecord::Read(RecordStream& stream)
{
    stream.ReadText(first);
    stream.ReadText(second);
}

void TextPairRecord::Write(RecordStream& stream) const
{
    stream.BeginRecord(TypeCode());
    stream.AppendText(first);
    stream.AppendText(second);
    stream.EndRecord();
}

void PluginRecord::Read(RecordStream& stream)
{
    stream.ReadText(name);
    stream.ReadText(sharedText);
    stream.ReadText(hxtPath);
    stream.ReadText(hxaPath);
}

void PluginRecord::Write(RecordStream& stream) const
{
    stream.BeginRecord(TypeCode());
    stream.AppendText(name);
    stream.AppendText(sharedText);
    stream.AppendText(hxtPath);
    stream.AppendText(hxaPath);
    stream.EndRecord();
}

void TitleRecord::Read(RecordStream& stream)
{
    stream.ReadText(name);
    stream.ReadText(hxsFile);
    stream.ReadText(hxiFile);
    stream.ReadText(text4);
    stream.ReadText(text5);
    languageId = stream.ReadU32();
    number2 = stream.ReadU32();
    number3 = stream.ReadU32();
    number4 = stream.ReadU32();
    number5 = stream.ReadU32();
    number6 = stream.ReadU32();
}

void TitleRecord::Write(RecordStream& stream) const
{
    stream.BeginRecord(TypeCode());
    stream.AppendText(name);
    stream.AppendText(hxsFile);
    stream.AppendText(hxiFile);
    stream.AppendText(text4);
    stream.AppendText(text5);
    for (uint32_t value : {languageId, number2, number3, number4, number5, number6})
        stream.AppendU32(value);
    stream.EndRecord();
}

void FolderRecord::Read(RecordStream& stream)
{
    number = stream.ReadU32();
    stream.ReadText(folder1);
    stream.ReadText(folder2);
}

void FolderRecord::Write(RecordStream& stream) const
{
    stream.BeginRecord(TypeCode());
    stream.AppendU32(number);
    stream.AppendText(folder1);
    stream.AppendText(folder2);
    stream.EndRecord();
}

void RawRecord::Read(RecordStream& stream)
{
    // The limit was set to the end of this record's payload (modulo 2^32, so a length that
    // wraps fails the check below).
    const uint32_t count = stream.Limit() - stream.Position();
    stream.CheckAvailable(count);
    bytes.resize(count);
    if (count)
        stream.ReadBytes(bytes.data(), count);
}

void RawRecord::Write(RecordStream& stream) const
{
    stream.BeginRecord(TypeCode());
    stream.AppendBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    stream.EndRecord();
}

std::unique_ptr<HelpRecord> CreateHelpRecord(uint32_t typeCode)
{
    switch (typeCode) {
    case HELP_NAMESPACE_RECORD:
        return std::unique_ptr<HelpRecord>(new NamespaceRecord);
    case HELP_TEXT_PAIR_RECORD:
        return std::unique_ptr<HelpRecord>(new TextPairRecord);
    case HELP_PLUGIN_RECORD:
        return std::unique_ptr<HelpRecord>(new PluginRecord);
    case HELP_TITLE_RECORD:
        return std::unique_ptr<HelpRecord>(new TitleRecord);
    case HELP_FOLDER_RECORD:
        return std::unique_ptr<HelpRecord>(new FolderRecord);
    default:
        return std::unique_ptr<HelpRecord>(new RawRecord(typeCode));
    }
}
