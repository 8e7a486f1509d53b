#include "record_stream.h"

#include "help_records.h"

#include <cstring>
#include <limits>

const char* const kDamagedFile = "Damaged file";
const char* const kTooLarge = "Too large for a help record file";

void RecordStream::CheckAvailable(uint32_t count) const
{
    const uint64_t end = uint64_t(position_) + count;
    if (end > std::numeric_limits<uint32_t>::max() || end > limit_ || end > bytes_.size())
        throw kDamagedFile;
}

void RecordStream::ReadBytes(void* destination, uint32_t count)
{
    CheckAvailable(count);
    if (count)
        std::memcpy(destination, bytes_.data() + position_, count);
    position_ += count;
}

uint32_t RecordStream::ReadU32()
{
    uint8_t raw[4];
    ReadBytes(raw, sizeof raw);
    return uint32_t(raw[0]) | uint32_t(raw[1]) << 8 | uint32_t(raw[2]) << 16 |
           uint32_t(raw[3]) << 24;
}

void RecordStream::ReadText(HelpText& text)
{
    const uint32_t count = ReadU32();
    CheckAvailable(count);
    text.bytes.resize(count);
    if (count)
        ReadBytes(&text.bytes[0], count);
}

void RecordStream::AppendBytes(const void* source, uint32_t count)
{
    const uint64_t end = uint64_t(position_) + count;
    if (end > std::numeric_limits<uint32_t>::max())
        throw kTooLarge;
    if (bytes_.size() < end)
        bytes_.resize(end);
    if (count)
        std::memcpy(bytes_.data() + position_, source, count);
    position_ = static_cast<uint32_t>(end);
}

void RecordStream::AppendU32(uint32_t value)
{
    const uint8_t raw[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                            uint8_t(value >> 24)};
    AppendBytes(raw, sizeof raw);
}

void RecordStream::AppendText(const HelpText& text)
{
    if (text.bytes.size() > std::numeric_limits<uint32_t>::max())
        throw kTooLarge;
    const uint32_t count = static_cast<uint32_t>(text.bytes.size());
    AppendU32(count);
    AppendBytes(text.bytes.data(), count);
}

void RecordStream::BeginRecord(uint32_t typeCode)
{
    AppendU32(typeCode);
    AppendU32(0);
    payloadStart_ = position_;
}

void RecordStream::EndRecord()
{
    const uint32_t length = position_ - payloadStart_;
    uint8_t* slot = bytes_.data() + payloadStart_ - 4;
    slot[0] = uint8_t(length);
    slot[1] = uint8_t(length >> 8);
    slot[2] = uint8_t(length >> 16);
    slot[3] = uint8_t(length >> 24);
}
