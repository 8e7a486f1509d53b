#pragma once
// Code page 932 (Shift-JIS): lead bytes 81-9F and E0-FC; trail bytes from 40 up, 5C among them
// ("表" is 95 5C, "ソ" is 83 5C). In 1252 no byte leads (NoLeadBytes).
inline bool Cp932Lead(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
