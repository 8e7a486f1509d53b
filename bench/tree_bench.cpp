// tree_bench.exe copy SOURCE DESTINATION | remove FOLDER | guard FOLDER | start
// Runs one of setup.exe's folder tree operations and prints how long it took inside the process,
// in milliseconds; bench/run.sh times the whole process beside the system's own tools. "guard"
// asks the folder guard once (the removal asks it before it starts). "start" does nothing: its
// process time is what starting a program costs. Asserts nothing.
#include "copy_tree.h"
#include "folder_guard.h"
#include "remove_tree.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(end.QuadPart - start.QuadPart) * 1e3 / double(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (command == "copy" && argc == 4) {
        CopyFolderTree(argv[2], argv[3]);
    } else if (command == "remove" && argc == 3) {
        RemoveFolderTree(argv[2]);
    } else if (command == "guard" && argc == 3) {
        IsOwnableFolder(argv[2]);
    } else if (command != "start" || argc != 2) {
        std::fprintf(stderr, "usage: tree_bench copy SOURCE DESTINATION | remove FOLDER | guard FOLDER | start\n");
        return 2;
    }
    QueryPerformanceCounter(&end);
    std::printf("%s %.1f ms\n", command.c_str(), Milliseconds(start, end));
    return 0;
}
