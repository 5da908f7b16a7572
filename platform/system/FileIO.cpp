#include "system/FileIO.h"

#include "system/FileRegistry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace mvfiles {
namespace {

OSErr LastError() { return ErrorOfErrno(errno); }

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::vector<UInt8>& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// A complete, flushed temporary file beside path; "" on failure.
std::string WriteTemporary(const std::string& path, const std::vector<UInt8>& bytes, mode_t mode, OSErr& err) {
    const size_t slash = path.rfind('/');
    std::string temp = FolderOf(path) + "/." + path.substr(slash + 1) + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) { err = LastError(); return ""; }
    const bool written = fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
    err = written ? OSErr{noErr} : LastError();
    if (close(fd) != 0 && written) err = LastError();
    if (err != noErr) { unlink(temp.c_str()); return ""; }
    return temp;
}

// The rename itself reaches the disk only with the folder's entries.
void SyncFolder(const std::string& path) {
    const int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

OSErr ReadWholeFile(const std::string& path, size_t limit, std::vector<UInt8>& bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return errno == ELOOP ? OSErr{fnfErr} : LastError();
    struct stat info;
    OSErr err = fstat(fd, &info) != 0 ? LastError() : !S_ISREG(info.st_mode) ? OSErr{notAFileErr} : OSErr{noErr};
    if (err == noErr && static_cast<UInt64>(info.st_size) > limit) err = mapReadErr;
    bytes.clear();
    UInt8 chunk[65536];
    while (err == noErr) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) err = LastError();
        if (n <= 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (bytes.size() > limit) err = mapReadErr;
    }
    close(fd);
    return err;
}

OSErr ReplaceFile(const std::string& path, const std::vector<UInt8>& bytes) {
    struct stat info;
    const mode_t mode = stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0600;
    OSErr err;
    const std::string temp = WriteTemporary(path, bytes, mode, err);
    if (temp.empty()) return err;
    if (rename(temp.c_str(), path.c_str()) != 0) {
        err = LastError();
        unlink(temp.c_str());
        return err;
    }
    SyncFolder(path);
    return noErr;
}

OSErr CreateFile(const std::string& path, const std::vector<UInt8>& bytes) {
    OSErr err;
    const std::string temp = WriteTemporary(path, bytes, 0600, err);
    if (temp.empty()) return err;
    // link never replaces and never follows a link at the destination.
    err = link(temp.c_str(), path.c_str()) == 0 ? OSErr{noErr} : LastError();
    unlink(temp.c_str());
    if (err == noErr) SyncFolder(path);
    return err;
}

}  // namespace mvfiles
