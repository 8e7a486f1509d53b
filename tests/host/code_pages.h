#pragma once
// Lead bytes of the code pages the host tests walk: 932 (Japanese, Shift-JIS) has lead bytes
// 81-9F and E0-FC, and trail bytes from 40 up, 5C among them ("表" is 95 5C, "ソ" is 83 5C);
// 1252 (Western) has none.

inline bool Cp932Lead(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
