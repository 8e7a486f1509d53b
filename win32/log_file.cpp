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

LogFile::LogFile(const std::string& path)
    // Appending access alone puts every write at the end, even with another writer present.
    : file_(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr))
{
}

void LogFile::Write(const std::string& line)
{
    if (!file_.IsOpen())
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    const int length = wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth,
                                 now.wDay, now.wHour, now.wMinute, now.wSecond);
    const std::string text = std::string(stamp, length) + line + "\r\n";
    DWORD written = 0;
    WriteFile(file_.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string DefaultLogPath()
{
    char folder[MAX_PATH + 1] = "";
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder)
        return std::string();
    return std::string(folder, length) + "Quillon setup.log";
}
