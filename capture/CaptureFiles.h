// The files of one capture, made by the frame pipeline's workers: PNG encoded on each worker
// with GDI+ objects of its own thread, every file written whole in number order, and none that
// would eat into the free space a capture keeps on its disk.
#pragma once

#include "capture/CaptureHost.h"
#include "capture/FramePipeline.h"
#include "image/ImageEncoder.h"
#include "settings/CaptureSettings.h"

#include <atomic>
#include <memory>
#include <vector>

class CCaptureFiles : public IFrameSink {
public:
    CCaptureFiles(const CaptureSettings& settings, int workers, ICaptureHost& host);

    bool Encode(int worker, Frame& frame) override;
    WriteResult Write(const Frame& frame) override;
    void Notify() override { host.PostFilesWritten(); }
    void WorkerStarts(int worker) override;
    void WorkerEnds(int worker) override;

    // What the last look at the disk found, for the message when a file found no room.
    uint64_t FreeBytes() const { return freeBytes; }
    uint64_t Reserve() const { return reserve; }

private:
    const CaptureSettings settings;
    const bool png;
    ICaptureHost& host;
    // One per worker, made and used on that worker's thread only.
    std::vector<std::unique_ptr<CImageEncoder>> encoders;
    std::atomic<uint64_t> freeBytes{0};
    std::atomic<uint64_t> reserve{0};
};
