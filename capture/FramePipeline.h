// The hand-over of pictures from the window's thread to the threads that turn them into files:
// a fixed pool of buffers, encoding on any worker at once, files written one at a time in the
// order the pictures were taken. The window's thread never waits for a worker. Needs no
// platform call.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// One picture on its way to its file.
struct Frame {
    std::vector<uint8_t> picture;  // as taken; sized once, reused for every picture
    std::vector<uint8_t> encoded;  // the file's bytes when they differ from the picture
    int64_t index = 0;             // 0 for the first picture of the capture
    bool encodable = true;
};

enum class WriteResult { Written, Failed, NoRoom };

// What the workers do with a frame.
class IFrameSink {
public:
    virtual ~IFrameSink() = default;
    // On worker `worker` (0 to workers - 1), several workers at once: fills frame.encoded, or
    // leaves it empty when the picture itself is the file. False when it cannot be encoded.
    virtual bool Encode(int worker, Frame& frame) = 0;
    // One call at a time, in index order, never after a frame that did not become a file.
    virtual WriteResult Write(const Frame& frame) = 0;
    // From a worker: a file was written or a frame failed; the window's thread should look.
    virtual void Notify() = 0;
    // On each worker thread, first and last.
    virtual void WorkerStarts(int /*worker*/) {}
    virtual void WorkerEnds(int /*worker*/) {}
};

class CFramePipeline {
public:
    // `frames` buffers of `pictureBytes` each, touched now so that no capture pays for it later.
    CFramePipeline(IFrameSink& sink, int workers, size_t frames, size_t pictureBytes);
    // Drops what is not written yet and joins the workers.
    ~CFramePipeline();
    CFramePipeline(const CFramePipeline&) = delete;
    CFramePipeline& operator=(const CFramePipeline&) = delete;

    // A free buffer for the next picture, or null when every one is still on its way (that
    // picture is skipped) or a file failed.
    Frame* Acquire();
    // The picture is in the buffer: it becomes the next file.
    void Submit(Frame* frame);
    // The buffer goes back unused.
    void Release(Frame* frame);
    // Waits until every picture submitted is a file or was dropped after a failure.
    void Drain();

    int64_t Written() const;
    // The first failure, or Written while none.
    WriteResult Failure() const;

private:
    void Work(int worker);
    void Serve(int worker);
    // With the lock held: the frames behind a failure go back unwritten.
    void DropQueued();

    IFrameSink& sink;
    std::vector<std::unique_ptr<Frame>> pool;
    mutable std::mutex lock;
    std::condition_variable changed;
    std::vector<Frame*> free;
    std::deque<Frame*> toEncode;
    std::vector<Frame*> encoded;  // waiting for their turn to be written
    int64_t nextIndex = 0;        // of the next picture submitted
    int64_t nextWrite = 0;        // of the next file written
    int64_t written = 0;
    int inFlight = 0;             // submitted, not yet a file or dropped
    bool writing = false;
    bool stopping = false;
    WriteResult failure = WriteResult::Written;
    std::vector<std::thread> workers;
};

// Worker threads for `processors` processors: one each, at least two, at most four. The window's
// thread only copies a picture per moment; the encoding is the work, and one worker on two
// processors leaves a PNG of a 1080p screen short of 10 a second.
int FrameWorkers(unsigned processors);
// Buffers for pictures of `pictureBytes`: two per worker and one being filled, within 512 MiB
// and never fewer than two.
size_t FramePoolSize(int workers, size_t pictureBytes);
