#pragma once
// The byte buffer that help record files are read from and written to. Builds without Windows.

#include <cstdint>
#include <utility>
#include <vector>

class HelpText;

// Damage in a help record file, and an image too large for its 32-bit lengths, are signalled by
// throwing these texts themselves (plain const char*); only HelpRecordList::Load and
// HelpRecordList::Save catch them, the same in every build.
extern const char* const kDamagedFile;
extern const char* const kTooLarge;

// A growable buffer with a read/write cursor (Position), the end of the readable region (Limit)
// and, while a record is written, where its payload begins. Integers are 32-bit little-endian.
class RecordStream {
public:
    RecordStream() = default;
    explicit RecordStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::vector<uint8_t>& Bytes() { return bytes_; }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    uint32_t Position() const { return position_; }
    uint32_t Limit() const { return limit_; }
    void SetLimit(uint32_t limit) { limit_ = limit; }

    // Throws kDamagedFile unless count bytes lie between Position and both Limit and the end of
    // the buffer; a sum beyond 32 bits counts as too large.
    void CheckAvailable(uint32_t count) const;
    void ReadBytes(void* destination, uint32_t count);
    uint32_t ReadU32();
    // The byte count is checked against what is left before the text is sized.
    void ReadText(HelpText& text);

    void AppendBytes(const void* source, uint32_t count);
    void AppendU32(uint32_t value);
    void AppendText(const HelpText& text);
    // A record header with a placeholder length, filled in by EndRecord.
    void BeginRecord(uint32_t typeCode);
    void EndRecord();

private:
    std::vector<uint8_t> bytes_;
    uint32_t position_ = 0;
    uint32_t limit_ = 0;
    uint32_t payloadStart_ = 0;
};
