// Files on the host's own file system, and the console's standard handles.
// - CreateFileA knows only what a program writing a new file asks for: GENERIC_WRITE and
//   CREATE_NEW, which fails with ERROR_FILE_EXISTS when the path is taken; anything else is a
//   misuse. A file handle is not shared for deletion: DeleteFileA of a file still open fails with
//   ERROR_SHARING_VIOLATION, as on Windows.
// - An injected failure of CloseHandle still closes the file; only the result says that the data
//   may not have reached the disk. A full host disk is ERROR_DISK_FULL, other host errors
//   ERROR_WRITE_FAULT.
#include "internal.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace sim {
namespace {

struct OpenFile {
    int fd;
    std::string path;
};

struct Files {
    std::map<ULONG_PTR, OpenFile> open;
    ULONG_PTR next = 0x30000;
};

Files& F() {
    static Files files;
    return files;
}

// Console handles are small multiples of four, as a process inherits them.
HANDLE StdHandle(DWORD nStdHandle) {
    return reinterpret_cast<HANDLE>(
        static_cast<ULONG_PTR>(nStdHandle == STD_OUTPUT_HANDLE ? 8 : 12));
}

DWORD ErrorOf(int error) {
    return error == ENOSPC || error == EDQUOT ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
}

OpenFile* Find(HANDLE hFile) {
    auto it = F().open.find(reinterpret_cast<ULONG_PTR>(hFile));
    return it != F().open.end() ? &it->second : nullptr;
}

// A call that may be failed by an injected fault, on an open file; false after setting the error.
bool Proceed(Api api, const OpenFile& file) {
    return !detail::FailsWithLastError(api, file.path);
}

} // namespace

namespace detail {
void ResetFiles() {
    for (auto& [h, file] : F().open)
        ::close(file.fd);
    F() = Files{};
}

bool CloseFile(HANDLE hFile, BOOL* result) {
    OpenFile* file = Find(hFile);
    if (!file)
        return false;
    *result = Proceed(Api::CloseHandle, *file);
    if (::close(file->fd) != 0 && *result) {
        SetError(ErrorOf(errno));
        *result = FALSE;
    }
    F().open.erase(reinterpret_cast<ULONG_PTR>(hFile));
    return true;
}
} // namespace detail
} // namespace sim

namespace d = sim::detail;

extern "C" {

HANDLE WINAPI GetStdHandle(DWORD nStdHandle) {
    if (nStdHandle == STD_OUTPUT_HANDLE || nStdHandle == STD_ERROR_HANDLE)
        return sim::StdHandle(nStdHandle);
    d::SetError(ERROR_INVALID_HANDLE);
    return INVALID_HANDLE_VALUE;
}

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
    (void)dwShareMode, (void)lpSecurityAttributes, (void)dwFlagsAndAttributes;
    const std::string path = lpFileName ? lpFileName : "";
    d::LogCall("CreateFileA " + path);
    if (dwDesiredAccess != GENERIC_WRITE || dwCreationDisposition != CREATE_NEW || hTemplateFile) {
        d::RecordMisuse("CreateFileA of " + path + " other than GENERIC_WRITE and CREATE_NEW");
        d::SetError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (d::FailsWithLastError(sim::Api::CreateFile, path))
        return INVALID_HANDLE_VALUE;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        d::SetError(errno == EEXIST   ? ERROR_FILE_EXISTS
                    : errno == ENOENT ? ERROR_PATH_NOT_FOUND
                                      : ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    const ULONG_PTR h = sim::F().next;
    sim::F().next += 4;
    sim::F().open[h] = sim::OpenFile{fd, path};
    return reinterpret_cast<HANDLE>(h);
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPVOID lpOverlapped) {
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = 0;
    const sim::OpenFile* file = sim::Find(hFile);
    const int fd = hFile == sim::StdHandle(STD_OUTPUT_HANDLE)  ? 1
                   : hFile == sim::StdHandle(STD_ERROR_HANDLE) ? 2
                   : file                                      ? file->fd
                                                               : -1;
    if (fd < 0 || lpOverlapped) {
        d::SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (file) {
        d::LogCall("WriteFile " + file->path + " " + std::to_string(nNumberOfBytesToWrite));
        if (!sim::Proceed(sim::Api::WriteFile, *file))
            return FALSE;
    }
    const ssize_t n = ::write(fd, lpBuffer, nNumberOfBytesToWrite);
    if (n < 0) {
        d::SetError(sim::ErrorOf(errno));
        return FALSE;
    }
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = static_cast<DWORD>(n);
    return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
    const sim::OpenFile* file = sim::Find(hFile);
    if (!file) {
        d::SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    d::LogCall("FlushFileBuffers " + file->path);
    if (!sim::Proceed(sim::Api::FlushFileBuffers, *file))
        return FALSE;
    if (::fsync(file->fd) != 0) {
        d::SetError(sim::ErrorOf(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
    const std::string path = lpFileName ? lpFileName : "";
    d::LogCall("DeleteFileA " + path);
    for (const auto& [h, file] : sim::F().open) {
        if (file.path == path) {
            d::SetError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
    }
    if (::unlink(path.c_str()) != 0) {
        d::SetError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

} // extern "C"
