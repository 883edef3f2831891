#include "screen/SharedFrameFile.h"

#include "screen/FrameFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

CSharedFrameFile::~CSharedFrameFile()
{
    if (view) {
        framefile::BeginUpdate(view);
        framefile::SetState(view, framefile::State::Ended);
        framefile::EndUpdate(view);
    }
    Unmap();
    if (fd >= 0) {
        close(fd);
        unlink(path.c_str());
    }
}

bool CSharedFrameFile::Create(const std::string& filePath)
{
    // Made under another name and renamed into place: a reader that still maps the previous
    // run's file keeps reading that one, whole.
    const std::string fresh = filePath + ".new";
    unlink(fresh.c_str());
    fd = open(fresh.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    path = fresh;
    if (fchmod(fd, 0600) != 0 || !Fit(0, 0))
        return false;
    framefile::InitHeader(view);
    if (rename(fresh.c_str(), filePath.c_str()) != 0)
        return false;
    path = filePath;
    return true;
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
