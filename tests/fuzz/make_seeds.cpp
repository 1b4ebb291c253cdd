// Writes the seed corpora of the four fuzzers into the folder given (the
// repository keeps them in tests/fuzz/corpus): inputs the library accepts,
// so the fuzzers start past the first checks, and a few it must refuse.
#include <cstdio>
#include <string>

#include "tests/support/package_builder.h"
#include "update/handover.h"
#include "update/package.h"

namespace {

bool write(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

std::string handOver(const std::string& restart, uint32_t processId, bool withFiles) {
    std::string out;
    if (withFiles) {
        AppendShortString(out, "C:\\Program Files\\Varnok Scan\\VarnokScan.exe");
        AppendNumber(out, 12);
        out += std::string("MZ\x90\0\x03\0\0\0\x04\0\0\0", 12);
        AppendShortString(out, "C:\\Program Files\\Varnok Scan\\tips.dat");
        AppendNumber(out, 0);
    }
    out += '\0';  // the end of the files
    AppendShortString(out, restart);
    AppendNumber(out, processId);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS-FOLDER\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    bool ok = true;

    PackageLayout layout;
    layout.files = {
        {"VarnokScan.exe", std::string(300, 'V') + "Varnok Scan 1.0.1 " + std::string(200, '\0'), false},
        {"Help\\readme.txt", "Varnok Scan finds files with the same content.\r\n", true},
        {std::string(kSignatureEntryName), std::string(64, '\x5A'), true},
    };
    const std::string package = BuildPackage(layout);
    ok &= write(root + "/fuzz_package/signed.bin", package);
    ok &= write(root + "/fuzz_package/truncated.bin", package.substr(0, package.size() * 2 / 3));
    layout.files.clear();
    ok &= write(root + "/fuzz_package/no_files.bin", BuildPackage(layout));

    ok &= write(root + "/fuzz_update_list/every_line.txt",
                "UpdateID:##15-03-2004\r\n"
                "Version:##1.0.1##Varnok Scan\r\n"
                "Size:##150000\r\n"
                "TotalSize:##1048576\r\n"
                "Last:##15-03-2004\r\n"
                "12-03-2004##Faster scan<p>Fewer false matches##\r\n"
                "01/02/2004##First release\n"
                "\n"
                "Size:##many\r\n"
                "EMPTY\r\n");
    ok &= write(root + "/fuzz_update_list/empty.txt", "EMPTY\r\n");

    ok &= write(root + "/fuzz_handover/two_files.bin",
                handOver("\"C:\\Program Files\\Varnok Scan\\VarnokScan.exe\" /update:15-03-2004", 4242, true));
    ok &= write(root + "/fuzz_handover/no_files.bin", handOver("", 1, false));

    const char* dates[][2] = {{"wire", "15-03-2004"},     {"letters", "abc15x03y2004"}, {"not_leap", "29-02-2100"},
                              {"leap", "29-02-2000"},     {"last_day", "31-12-9999"},   {"first_day", "01-01-1601"},
                              {"long_year", "15/3/20041"}};
    for (const auto& [name, text] : dates) ok &= write(root + "/fuzz_update_date/" + name, text);
    using namespace std::string_literals;
    ok &= write(root + "/fuzz_update_date/inside_folder",
                "C:\\Program Files\\Varnok Scan\\Help\\readme.txt\0c:\\program files\\varnok scan\\"s);
    ok &= write(root + "/fuzz_update_date/outside_folder", "C:\\Varnok\\..\\Windows\\x.dll\0C:\\Varnok\\"s);

    if (!ok) std::fprintf(stderr, "could not write every seed into %s\n", root.c_str());
    return ok ? 0 : 1;
}
