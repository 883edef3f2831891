// The frame file on disk (under $XDG_RUNTIME_DIR, mode 0600), mapped for writing. It replaces
// any file a previous run left, and is marked ended and removed when this object goes.
#pragma once

#include "screen/FrameFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CSharedFrameFile {
public:
    CSharedFrameFile() = default;
    ~CSharedFrameFile();
    CSharedFrameFile(const CSharedFrameFile&) = delete;
    CSharedFrameFile& operator=(const CSharedFrameFile&) = delete;

    // False with errno set when the file cannot be made.
    bool Create(const std::string& path);
    // Makes room for a frame of that size: the file grows, never shrinks, so a reader's view
    // never reaches past its end.
    bool Fit(uint32_t width, uint32_t height);
    uint8_t* View() const { return view; }
    int Fd() const { return fd; }
    size_t Size() const { return size; }

    // Readable when a reader wrote into the file (its request); -1 when the kernel cannot tell,
    // and the request word is then only looked at on the heartbeat.
    int WakeFd() const { return wake; }
    // Empties WakeFd after it was readable.
    void DrainWake();

    // What readers are told when the source ends.
    void SetEndReason(framefile::EndReason why) { reason = why; }

private:
    void Unmap();

    std::string path;
    int fd = -1;
    int wake = -1;
    uint8_t* view = nullptr;
    size_t size = 0;
    framefile::EndReason reason = framefile::EndReason::Stopped;
};
