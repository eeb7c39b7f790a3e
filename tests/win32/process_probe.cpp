// Looks at a running ticker from outside, for the long-running and fault tests and for bench/run:
//   process_probe counts [CLASS]     handles, GDI and USER objects and private memory of the ticker,
//                                    or of the program whose top-level window is of class CLASS
//   process_probe latency SECONDS [MS]
//                                    how long the ticker window takes to answer a harmless sent
//                                    message, sampled every MS milliseconds (50 unless given) for
//                                    SECONDS or until it goes away
//   process_probe point TEXT         the screen point at the centre of the visible window or control
//                                    whose text is TEXT, so that a test can click it
// It finds the program by its window class, so it needs no process id from the Linux side.

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cwchar>
#include <vector>

namespace {

constexpr wchar_t kTickerClass[] = L"TickerWindow";

HWND findTicker() { return FindWindowW(kTickerClass, nullptr); }

class ProcessHandle {
public:
    explicit ProcessHandle(DWORD id) : handle_(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id)) {}
    ~ProcessHandle() {
        if (handle_) CloseHandle(handle_);
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// The system-wide handle table, as NtQuerySystemInformation gives it. Wine's GetProcessHandleCount
// reports 0 for every process, but this table comes from its server and is complete.
struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};
struct SystemHandleTable {
    ULONG count;
    SystemHandleEntry entries[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

long handlesInSystemTable(DWORD processId) {
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status != 0) return -1;
        break;
    }
    const auto* table = reinterpret_cast<const SystemHandleTable*>(buffer.data());
    long count = 0;
    for (ULONG i = 0; i < table->count; ++i) {
        if (table->entries[i].ownerPid == processId) ++count;
    }
    return count;
}

int printCounts(const wchar_t* windowClass) {
    const HWND window = FindWindowW(windowClass, nullptr);
    if (!window) {
        std::printf("error=no window of class %ls\n", windowClass);
        return 2;
    }
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    const ProcessHandle process(id);
    if (!process.get()) {
        std::printf("error=OpenProcess failed %lu\n", GetLastError());
        return 2;
    }
    DWORD handles = 0;
    const BOOL haveHandles = GetProcessHandleCount(process.get(), &handles);
    const DWORD gdi = GetGuiResources(process.get(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(process.get(), GR_USEROBJECTS);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    const BOOL haveMemory = GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                                 sizeof memory);
    std::printf("pid=%lu handles=%ld table_handles=%ld gdi=%lu user=%lu private=%lld working_set=%lld\n", id,
                haveHandles ? static_cast<long>(handles) : -1L, handlesInSystemTable(id), gdi, user,
                haveMemory ? static_cast<long long>(memory.PrivateUsage) : -1LL,
                haveMemory ? static_cast<long long>(memory.WorkingSetSize) : -1LL);
    return 0;
}

double secondsSince(const LARGE_INTEGER& start, const LARGE_INTEGER& frequency) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

// Each sample is one WM_NULL sent to the ticker window: it is answered only when the window thread
// gets back to its messages, so the longest wait is the longest time the window was frozen.
int measureLatency(double seconds, DWORD sampleMilliseconds) {
    LARGE_INTEGER frequency, begun;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begun);
    double longest = 0;
    long samples = 0;
    long unanswered = 0;
    while (secondsSince(begun, frequency) < seconds) {
        const HWND window = findTicker();
        if (!window) break;
        LARGE_INTEGER sent;
        QueryPerformanceCounter(&sent);
        DWORD_PTR result = 0;
        const bool answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result) != 0;
        const double waited = secondsSince(sent, frequency);
        ++samples;
        if (!answered) ++unanswered;
        if (waited > longest) longest = waited;
        if (waited > 0.2) std::printf("at=%.2f waited=%.3f\n", secondsSince(begun, frequency), waited);
        std::fflush(stdout);
        Sleep(sampleMilliseconds);
    }
    std::printf("samples=%ld unanswered=%ld longest=%.3f\n", samples, unanswered, longest);
    return 0;
}

struct Search {
    const wchar_t* text;
    HWND found;
};

BOOL CALLBACK matchText(HWND window, LPARAM lparam) {
    auto& search = *reinterpret_cast<Search*>(lparam);
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    if (IsWindowVisible(window) && std::wcscmp(text, search.text) == 0) {
        search.found = window;
        return FALSE;
    }
    EnumChildWindows(window, matchText, lparam);
    return search.found ? FALSE : TRUE;
}

int printPoint(const wchar_t* text) {
    Search search{text, nullptr};
    EnumWindows(matchText, reinterpret_cast<LPARAM>(&search));
    if (!search.found) {
        std::printf("error=not found\n");
        return 2;
    }
    RECT rect;
    GetWindowRect(search.found, &rect);
    std::printf("x=%ld y=%ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const auto is = [&](const wchar_t* what) { return argc >= 2 && std::wcscmp(argv[1], what) == 0; };
    if (is(L"counts")) return printCounts(argc >= 3 ? argv[2] : kTickerClass);
    if (is(L"latency") && argc >= 3) {
        const DWORD sampleMilliseconds = argc >= 4 ? std::wcstoul(argv[3], nullptr, 10) : 50;
        return measureLatency(std::wcstod(argv[2], nullptr), sampleMilliseconds);
    }
    if (is(L"point") && argc >= 3) return printPoint(argv[2]);
    std::fprintf(stderr, "usage: process_probe counts [CLASS] | latency SECONDS [MS] | point TEXT\n");
    return 2;
}
