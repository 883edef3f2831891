#include "screen/SharedFrameFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

CSharedFrameFile::~CSharedFrameFile()
{
    if (view)
        framefile::End(view, reason);
    Unmap();
    if (wake >= 0)
        close(wake);
    if (fd >= 0) {
        close(fd);
        unlink(path.c_str());
    }
}

bool CSharedFrameFile::Create(const std::string& filePath)
{
    // Made under another name and renamed into place: a reader that still has the previous run's
    // file open keeps reading that one, whole, and is told it ended.
    const std::string fresh = filePath + ".new";
    unlink(fresh.c_str());
    fd = open(fresh.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    path = fresh;
    if (fchmod(fd, 0600) != 0 || !Fit(0, 0))
        return false;
    framefile::InitHeader(view);
    // A reader's write is a modification of the file; the source's own writes go through the
    // mapping and raise none, so an idle source sleeps.
    wake = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (wake >= 0 && inotify_add_watch(wake, fresh.c_str(), IN_MODIFY) < 0) {
        close(wake);
        wake = -1;
    }
    if (rename(fresh.c_str(), filePath.c_str()) != 0)
        return false;
    path = filePath;
    return true;
}

void CSharedFrameFile::DrainWake()
{
    char events[4096];
    while (wake >= 0 && read(wake, events, sizeof events) > 0) {
    }
}

bool CSharedFrameFile::Fit(uint32_t width, uint32_t height)
{
    const size_t wanted = framefile::FileSize(width, height);
    if (wanted == 0) {
        errno = EFBIG;
        return false;
    }
    if (view && wanted <= size)
        return true;
    if (ftruncate(fd, static_cast<off_t>(wanted)) != 0)
        return false;
    void* grown = mmap(nullptr, wanted, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (grown == MAP_FAILED)
        return false;
    Unmap();
    view = static_cast<uint8_t*>(grown);
    size = wanted;
    return true;
}

void CSharedFrameFile::Unmap()
{
    if (view)
        munmap(view, size);
    view = nullptr;
    size = 0;
}
