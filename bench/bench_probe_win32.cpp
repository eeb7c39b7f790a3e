// Looks at another program from inside the same Wine session, as Windows sees it.
//
//   bench_probe memory EXE-NAME
//       prints "private_bytes N": the PrivateUsage of the first process running EXE-NAME.
//   bench_probe respond WINDOW-CLASS SECONDS
//       sends WM_NULL to the first top-level window of WINDOW-CLASS again and again for SECONDS,
//       and prints "longest_wait_ms N" and "messages N": the longest the window took to answer.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

DWORD processIdOf(const wchar_t* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, exeName) == 0) found = entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return found;
}

int printPrivateBytes(const wchar_t* exeName) {
    const DWORD id = processIdOf(exeName);
    if (!id) {
        std::fprintf(stderr, "bench_probe: no process %ls\n", exeName);
        return 2;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    if (!process) return 2;
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    const BOOL ok = GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                         sizeof counters);
    CloseHandle(process);
    if (!ok) return 2;
    std::printf("private_bytes %llu\nworking_set_bytes %llu\n",
                static_cast<unsigned long long>(counters.PrivateUsage),
                static_cast<unsigned long long>(counters.WorkingSetSize));
    return 0;
}

int printLongestWait(const wchar_t* windowClass, double seconds) {
    using Clock = std::chrono::steady_clock;
    HWND window = FindWindowW(windowClass, nullptr);
    if (!window) {
        std::fprintf(stderr, "bench_probe: no window of class %ls\n", windowClass);
        return 2;
    }
    const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(seconds));
    double longest = 0;
    long messages = 0;
    while (Clock::now() < end && IsWindow(window)) {
        const Clock::time_point sent = Clock::now();
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
        const double waited = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
        if (waited > longest) longest = waited;
        ++messages;
        Sleep(5);
    }
    std::printf("longest_wait_ms %.1f\nmessages %ld\n", longest, messages);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring what = argc > 1 ? argv[1] : L"";
    if (what == L"memory" && argc == 3) return printPrivateBytes(argv[2]);
    if (what == L"respond" && argc == 4) return printLongestWait(argv[2], std::wcstod(argv[3], nullptr));
    std::fprintf(stderr, "usage: bench_probe memory EXE-NAME | respond WINDOW-CLASS SECONDS\n");
    return 2;
}
