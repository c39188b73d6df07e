#include "remote.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

#include "driver_common.h"

namespace driver {

namespace {

class Handle {
  public:
    explicit Handle(HANDLE h) : m_h(h) {}
    ~Handle() {
        if (m_h != nullptr && m_h != INVALID_HANDLE_VALUE) {
            CloseHandle(m_h);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_h; }

  private:
    HANDLE m_h;
};

std::string LastError(const char* what) {
    return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == 0) {
        throw DriverError("window is gone");
    }
    return pid;
}

HANDLE OpenTarget(DWORD pid) {
    HANDLE process =
        OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                        PROCESS_VM_READ | PROCESS_VM_WRITE | SYNCHRONIZE,
                    FALSE, pid);
    if (process == nullptr) {
        throw DriverError(LastError("OpenProcess"));
    }
    return process;
}

void* CopyInto(HANDLE process, const void* data, size_t size) {
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote == nullptr) {
        throw DriverError(LastError("VirtualAllocEx"));
    }
    if (!WriteProcessMemory(process, remote, data, size, nullptr)) {
        throw DriverError(LastError("WriteProcessMemory"));
    }
    return remote;
}

// Base of a module in another process; 0 when it is not loaded there.
uintptr_t RemoteModule(DWORD pid, const char* name) {
    Handle snap(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
    if (snap.get() == INVALID_HANDLE_VALUE) {
        throw DriverError(LastError("CreateToolhelp32Snapshot"));
    }
    MODULEENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Module32First(snap.get(), &entry); ok; ok = Module32Next(snap.get(), &entry)) {
        if (lstrcmpiA(entry.szModule, name) == 0) {
            return reinterpret_cast<uintptr_t>(entry.modBaseAddr);
        }
    }
    return 0;
}

// The same export in the other process: its module base plus the offset it has here.
LPTHREAD_START_ROUTINE RemoteProc(uintptr_t remote_base, HMODULE local, const char* proc) {
    FARPROC local_proc = GetProcAddress(local, proc);
    if (local_proc == nullptr) {
        throw DriverError(std::string("no export ") + proc);
    }
    uintptr_t offset = reinterpret_cast<uintptr_t>(local_proc) - reinterpret_cast<uintptr_t>(local);
    return reinterpret_cast<LPTHREAD_START_ROUTINE>(remote_base + offset);
}

void RunThread(HANDLE process, LPTHREAD_START_ROUTINE start, void* param, DWORD timeout_ms) {
    Handle thread(CreateRemoteThread(process, nullptr, 0, start, param, 0, nullptr));
    if (thread.get() == nullptr) {
        throw DriverError(LastError("CreateRemoteThread"));
    }
    if (WaitForSingleObject(thread.get(), timeout_ms) != WAIT_OBJECT_0) {
        throw DriverError("thread in the program under test did not finish in time");
    }
}

std::string ProbePath() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path = exe;
    return path.substr(0, path.find_last_of("\\/") + 1) + kProbeDll;
}

}  // namespace

std::string WindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') {
        return path;
    }
    // Only Wine has this export; on Windows a Unix path stays as it is.
    using ToDos = WCHAR* (*)(const char*);
    auto to_dos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_dos_file_name")));
    if (to_dos == nullptr) {
        return path;
    }
    // The argument arrives in the ANSI code page, but Wine reads a Unix name as UTF-8: on a
    // double-byte code page the name would otherwise come back with "?" in place of characters.
    const std::wstring wide = Widen(path);
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string unixName(static_cast<size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &unixName[0], size, nullptr, nullptr);
    WCHAR* dos = to_dos(unixName.c_str());
    if (dos == nullptr) {
        throw DriverError("no Windows name for " + path);
    }
    std::string converted = Narrow(dos);
    HeapFree(GetProcessHeap(), 0, dos);
    return converted;
}

void PostDrop(HWND window, const std::vector<std::string>& paths, bool wide) {
    std::vector<char> block(sizeof(DROPFILES));
    const auto append = [&block, wide](const std::string& text) {
        if (wide) {
            const std::wstring w = Widen(text);
            const char* bytes = reinterpret_cast<const char*>(w.c_str());
            block.insert(block.end(), bytes, bytes + (w.size() + 1) * sizeof(wchar_t));
        } else {
            block.insert(block.end(), text.c_str(), text.c_str() + text.size() + 1);
        }
    };
    for (const std::string& path : paths) {
        append(path);
    }
    append("");
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.pt = {10, 10};
    header.fNC = FALSE;
    header.fWide = wide ? TRUE : FALSE;
    std::memcpy(block.data(), &header, sizeof header);

    Handle process(OpenTarget(ProcessOf(window)));
    void* remote = CopyInto(process.get(), block.data(), block.size());
    if (!PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0)) {
        VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
        throw DriverError(LastError("PostMessage(WM_DROPFILES)"));
    }
}

void RunProbe(HWND window, ProbeRequest& request, DWORD timeout_ms) {
    DWORD pid = ProcessOf(window);
    Handle process(OpenTarget(pid));
    std::string dll = ProbePath();
    HMODULE local = LoadLibraryA(dll.c_str());
    if (local == nullptr) {
        throw DriverError(LastError(("LoadLibrary " + dll).c_str()));
    }
    uintptr_t base = RemoteModule(pid, kProbeDll);
    if (base == 0) {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        uintptr_t remote_kernel = RemoteModule(pid, "kernel32.dll");
        if (remote_kernel == 0) {
            throw DriverError("kernel32.dll not found in the program under test");
        }
        void* name = CopyInto(process.get(), dll.c_str(), dll.size() + 1);
        RunThread(process.get(), RemoteProc(remote_kernel, kernel, "LoadLibraryA"), name,
                  timeout_ms);
        VirtualFreeEx(process.get(), name, 0, MEM_RELEASE);
        base = RemoteModule(pid, kProbeDll);
        if (base == 0) {
            throw DriverError("the program under test could not load " + dll);
        }
    }
    void* remote = CopyInto(process.get(), &request, sizeof request);
    RunThread(process.get(), RemoteProc(base, local, kProbeEntry), remote, timeout_ms);
    BOOL read = ReadProcessMemory(process.get(), remote, &request, sizeof request, nullptr);
    VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    if (!read) {
        throw DriverError(LastError("ReadProcessMemory"));
    }
    if (request.status != 0) {
        throw DriverError("probe failed in the program under test, error " +
                          std::to_string(request.status));
    }
}

void SettleAfterPost(HWND window, DWORD timeout_ms) {
    DWORD pid = 0;
    DWORD thread = GetWindowThreadProcessId(window, &pid);
    if (thread == 0) {
        return;  // the window is gone, and with it whatever was posted to it
    }
    std::string dll = ProbePath();
    HMODULE module = LoadLibraryA(dll.c_str());
    if (module == nullptr) {
        throw DriverError(LastError(("LoadLibrary " + dll).c_str()));
    }
    auto hook_proc =
        reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module, kSettleHook)));
    static unsigned counter = 0;
    unsigned long long cookie =
        (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) | ++counter;
    char name[64];
    std::snprintf(name, sizeof name, "%s%llx", kSettleEventPrefix, cookie);
    Handle event(CreateEventA(nullptr, TRUE, FALSE, name));
    Handle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    // The hook lives only as long as this thread: nothing stays behind in the program.
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, hook_proc, module, thread);
    if (hook == nullptr || event.get() == nullptr || process.get() == nullptr) {
        const DWORD error = GetLastError();
        if (hook != nullptr) {
            UnhookWindowsHookEx(hook);
        }
        if (!IsWindow(window)) {
            return;  // the posted message ended the program: nothing is left to settle
        }
        SetLastError(error);
        throw DriverError(LastError("installing the settle hook"));
    }
    BOOL posted = PostThreadMessageA(thread, WM_NULL, kSettleMagic, static_cast<LPARAM>(cookie));
    HANDLE waits[] = {event.get(), process.get()};
    DWORD result = posted ? WaitForMultipleObjects(2, waits, FALSE, timeout_ms) : WAIT_FAILED;
    UnhookWindowsHookEx(hook);
    if (!posted && IsWindow(window)) {
        throw DriverError(LastError("PostThreadMessage"));
    }
    if (result == WAIT_TIMEOUT) {
        throw DriverError("the program did not take the posted message within " +
                          std::to_string(timeout_ms) + " ms (busy or hung)");
    }
}

}  // namespace driver
