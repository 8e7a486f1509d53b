// Times the directory list edits on hostile settings texts and prints the figures next to one
// plain scan of the same text. Asserts nothing.
#include "dir_list_text.h"
#include "vc_plain_removal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

const std::string kFolder = "D:\\Quillon";

// count lines, each with one whole entry of the folder and one that is only part of a longer
// entry, padded to lineSize bytes. The whole entries take turns at the three places a list
// entry can stand; so do the partial ones at their three kinds.
std::string HostileText(std::size_t count, std::size_t lineSize)
{
    static const char* const wholeLines[] = {"Include Dirs=D:\\Quillon;C:\\Pad",
                                             "Library Dirs=C:\\A;D:\\Quillon;C:\\Pad",
                                             "Source Dirs=C:\\A;C:\\Pad;D:\\Quillon"};
    static const char* const partial[] = {";D:\\Quillon\\include", ";D:\\Quillon2",
                                          ";xD:\\Quillon"};
    std::string text;
    text.reserve(count * lineSize);
    for (std::size_t i = 0; i < count; ++i) {
        std::string line = wholeLines[i % 3];
        line.insert(line.find("C:\\Pad") + 6, partial[i / 3 % 3]);
        if (line.size() + 2 < lineSize)
            line.insert(line.find("C:\\Pad") + 6, lineSize - 2 - line.size(), 'p');
        text += line + "\r\n";
    }
    return text;
}

// The best of several runs of work, each after an untimed setup.
template <typename Setup, typename Work>
double BestSeconds(int runs, Setup setup, Work work)
{
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        setup();
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

// The yardstick: one pass over every byte, counting the separators.
double ScanSeconds(const std::string& text)
{
    volatile std::size_t sink = 0;
    return BestSeconds(5, [] {}, [&] { sink = sink + std::count(text.begin(), text.end(), ';'); });
}

void Remove(const char* label, std::size_t count, std::size_t lineSize, bool plainToo)
{
    const std::string original = HostileText(count, lineSize);
    std::string text;
    std::size_t removed = 0;
    const auto fresh = [&] { text = original; };
    const double fast =
        BestSeconds(5, fresh, [&] { removed = RemoveListEntries(text, kFolder, NoLeadBytes); });
    const double scan = ScanSeconds(original);
    std::printf("remove, %s: %.2f MB, %zu whole + %zu partial entries, %zu removed\n", label,
                original.size() / 1e6, count, count, removed);
    std::printf("  linear removal %9.3f ms   one plain scan %8.3f ms   ratio %6.1f\n", fast * 1e3,
                scan * 1e3, fast / scan);
    if (plainToo) {
        std::string plain;
        const double slow = BestSeconds(
            1, [&] { plain = original; }, [&] { PlainRemoveEntries(plain, kFolder); });
        std::printf("  repeated search %8.3f ms   ratio to scan %8.1f   same text: %s\n",
                    slow * 1e3, slow / scan, plain == text ? "yes" : "NO");
    }
}

void Add(std::size_t size)
{
    // The key on the last line: the search for it crosses the whole text first.
    std::string original = HostileText(size / 100, 100);
    original += "Include Dirs=C:\\A;C:\\B\r\n";
    std::string text;
    const double add = BestSeconds(5, [&] { text = original; },
                                   [&] { AddListEntry(text, "Include Dirs", "D:\\Quillon\\", NoLeadBytes); });
    // The first "Include Dirs=" is on line one; a key that is met last is the harder case.
    std::string late = original;
    late.replace(late.rfind("Include Dirs="), 13, "Extra Dirsxx=");
    const double lateAdd =
        BestSeconds(5, [&] { text = late; },
                    [&] { AddListEntry(text, "Extra Dirsxx", "D:\\Quillon\\", NoLeadBytes); });
    const double scan = ScanSeconds(original);
    std::printf("add, %.2f MB text:\n", original.size() / 1e6);
    std::printf("  key on line one  %8.3f ms   ratio %5.2f\n", add * 1e3, add / scan);
    std::printf("  key on last line %8.3f ms   ratio %5.2f   one plain scan %8.3f ms\n",
                lateAdd * 1e3, lateAdd / scan, scan * 1e3);
}

}  // namespace

int main()
{
    Remove("10 MB", 100000, 100, false);
    // The repeated search from the start, on smaller texts of the same kind: its time grows with
    // the square of the size.
    Remove("1 MB", 10000, 100, true);
    Remove("2 MB", 20000, 100, true);
    Add(1000000);
    return 0;
}
