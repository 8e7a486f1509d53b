// Times parsing and serialising a help record file of 10,000 records and prints the figures next
// to one plain pass over the same bytes. Asserts nothing.
#include "help_record_list.h"
#include "record_stream.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

namespace {

// Namespaces, plug-ins, titles and folders in turn, with texts as long as real ones.
std::vector<uint8_t> TenThousandRecords()
{
    HelpRecordList list(1);
    for (int i = 0; i < 10000; ++i) {
        const std::string name = "Vendor.Library" + std::to_string(i);
        const std::string folder = "C:\\Program Files\\Vendor\\Library " + std::to_string(i) + "\\Help\\";
        switch (i % 4) {
        case 0:
            list.AppendNamespace(name, folder + "Library.HxC", "Vendor library help " + std::to_string(i));
            break;
        case 1:
            list.AppendPlugin(name, "_DEFAULT", "C:/Program Files/Vendor/Help/Library.HxT",
                              folder + "Library.HxA");
            break;
        case 2:
            list.AppendTitle(name, "Library.HxS", "Library.HxI", "", "", 1033, 1, 1, 0, 0);
            break;
        default:
            list.AppendFolder(1, folder, folder);
            break;
        }
    }
    RecordStream stream;
    list.Serialize(stream);
    return stream.Bytes();
}

template <typename Work>
double BestSeconds(int runs, Work work)
{
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

}  // namespace

int main()
{
    const std::vector<uint8_t> bytes = TenThousandRecords();

    volatile uint32_t sink = 0;
    const double scan = BestSeconds(
        9, [&] { sink = sink + std::accumulate(bytes.begin(), bytes.end(), uint32_t(0)); });

    HelpRecordList parsed;
    const double parse = BestSeconds(9, [&] {
        RecordStream stream(bytes);
        parsed.Parse(stream);
    });

    std::vector<uint8_t> written;
    const double serialize = BestSeconds(9, [&] {
        RecordStream stream;
        parsed.Serialize(stream);
        written = std::move(stream.Bytes());
    });

    std::printf("help records: %zu records, %.2f MB\n", parsed.Count(), bytes.size() / 1e6);
    std::printf("  one plain pass %8.3f ms\n", scan * 1e3);
    std::printf("  parse          %8.3f ms   ratio %6.1f\n", parse * 1e3, parse / scan);
    std::printf("  serialize      %8.3f ms   ratio %6.1f   same bytes: %s\n", serialize * 1e3,
                serialize / scan, written == bytes ? "yes" : "NO");
    return 0;
}
