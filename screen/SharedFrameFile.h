// The frame file on disk (under $XDG_RUNTIME_DIR, mode 0600), mapped for writing. It replaces
// any file a previous run left, and is marked ended and removed when this object goes.
#pragma once

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

private:
    void Unmap();

    std::string path;
    int fd = -1;
    uint8_t* view = nullptr;
    size_t size = 0;
};
