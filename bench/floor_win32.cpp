// The least any Win32 duplicate finder pays on a folder tree: it walks the
// tree once with the wide find functions (folders neither hidden nor system,
// names not beginning with "."), and opens every file that shares its size
// with another once, reading its first block. bench/compare times
// varnok-bench.exe against it in the same run. With --list it only walks:
// the floor of a search that need read nothing.
#include <windows.h>

#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Entry {
    std::wstring path;
    unsigned long long size;
};

void walk(const std::wstring& folder, std::vector<Entry>& files) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) return;
    std::vector<std::wstring> children;
    do {
        if (found.cFileName[0] == L'.') continue;
        const std::wstring path = folder + L"\\" + found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) children.push_back(path);
        } else {
            files.push_back({path, (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow});
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    for (const std::wstring& child : children) walk(child, files);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // --list: the walk alone, the floor of a search that need read nothing.
    const bool listOnly = argc == 3 && std::wstring(argv[1]) == L"--list";
    if (argc != 2 && !listOnly) {
        std::fprintf(stderr, "usage: varnok-floor [--list] DIR\n");
        return 2;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    std::vector<Entry> files;
    walk(argv[argc - 1], files);
    if (listOnly) {
        QueryPerformanceCounter(&end);
        std::printf("files=%zu ms=%lld\n", files.size(), (end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
        return 0;
    }
    std::unordered_map<unsigned long long, int> bySize;
    for (const Entry& f : files) ++bySize[f.size];
    static char block[4096];
    long long candidates = 0, bytes = 0;
    for (const Entry& f : files) {
        if (bySize[f.size] < 2) continue;
        ++candidates;
        HANDLE h = CreateFileW(f.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        DWORD got = 0;
        if (ReadFile(h, block, sizeof block, &got, nullptr)) bytes += got;
        CloseHandle(h);
    }
    QueryPerformanceCounter(&end);
    std::printf("files=%zu candidates=%lld bytes_read=%lld ms=%lld\n", files.size(), candidates, bytes,
                (end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
    return 0;
}
