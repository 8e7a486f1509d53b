#include "log_file.h"

#include "file_event.h"

void AddEvent(FileEvents* events, const char* what, const std::string& path, unsigned long error)
{
    if (events)
        events->push_back({what, path, error});
}

std::string DescribeEvent(const FileEvent& event)
{
    std::string text = std::string(event.what) + ": " + event.path;
    if (event.error)
        text += " (error " + std::to_string(event.error) + ")";
    return text;
}

LogFile::LogFile(const WidePath& path)
    // Appending access alone puts every write at the end, even with another writer present.
    : file_(path.empty() ? INVALID_HANDLE_VALUE
                         : CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr))
{
}

void LogFile::Write(const std::string& line)
{
    if (!file_.IsOpen())
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    // "2026-12-07 15:31:29 "
    const unsigned parts[] = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    std::string text = "0000-00-00 00:00:00 ";
    for (size_t part = 0, end = 4; part < 6; ++part, end += 3)
        for (unsigned value = parts[part], at = end; at-- > end - (part ? 2 : 4); value /= 10)
            text[at] = static_cast<char>('0' + value % 10);
    text += line + "\r\n";
    DWORD written = 0;
    WriteFile(file_.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

WidePath DefaultLogPath()
{
    wchar_t folder[MAX_PATH + 1] = L"";
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return WidePath();
    return WidePath(folder, length) + L"Quillon setup.log";
}
