#include "capture/FramePipeline.h"

#include <algorithm>

namespace {

constexpr size_t kPoolBytes = size_t{512} << 20;

}  // namespace

int FrameWorkers(unsigned processors)
{
    return static_cast<int>(std::clamp<unsigned>(processors, 2, 4));
}

size_t FramePoolSize(int workers, size_t pictureBytes)
{
    const size_t wanted = 2 * static_cast<size_t>(std::max(workers, 1)) + 2;
    const size_t fitting = pictureBytes == 0 ? wanted : kPoolBytes / pictureBytes;
    return std::max<size_t>(2, std::min(wanted, fitting));
}

CFramePipeline::CFramePipeline(IFrameSink& sink, int workerCount, size_t frames, size_t pictureBytes)
    : sink(sink)
{
    for (size_t i = 0; i < frames; ++i) {
        pool.push_back(std::make_unique<Frame>());
        pool.back()->picture.resize(pictureBytes);
        free.push_back(pool.back().get());
    }
    for (int worker = 0; worker < workerCount; ++worker)
        workers.emplace_back(&CFramePipeline::Work, this, worker);
}

CFramePipeline::~CFramePipeline()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
        DropQueued();
    }
    changed.notify_all();
    for (std::thread& worker : workers)
        worker.join();
}

Frame* CFramePipeline::Acquire()
{
    std::lock_guard<std::mutex> guard(lock);
    if (free.empty() || failure != WriteResult::Written || stopping)
        return nullptr;
    Frame* frame = free.back();
    free.pop_back();
    return frame;
}

void CFramePipeline::Submit(Frame* frame)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        // A failure came while the picture was taken: it would be numbered after the failed file.
        if (failure != WriteResult::Written || stopping) {
            free.push_back(frame);
            return;
        }
        frame->index = nextIndex++;
        frame->encoded.clear();
        ++inFlight;
        toEncode.push_back(frame);
    }
    changed.notify_all();
}

void CFramePipeline::Release(Frame* frame)
{
    std::lock_guard<std::mutex> guard(lock);
    free.push_back(frame);
}

void CFramePipeline::Drain()
{
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [this] { return inFlight == 0; });
}

int64_t CFramePipeline::Written() const
{
    std::lock_guard<std::mutex> guard(lock);
    return written;
}

WriteResult CFramePipeline::Failure() const
{
    std::lock_guard<std::mutex> guard(lock);
    return failure;
}

void CFramePipeline::DropQueued()
{
    for (Frame* frame : toEncode)
        free.push_back(frame);
    for (Frame* frame : encoded)
        free.push_back(frame);
    inFlight -= static_cast<int>(toEncode.size() + encoded.size());
    toEncode.clear();
    encoded.clear();
}

void CFramePipeline::Work(int worker)
{
    sink.WorkerStarts(worker);
    Serve(worker);
    sink.WorkerEnds(worker);
}

void CFramePipeline::Serve(int worker)
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        const auto next = std::find_if(encoded.begin(), encoded.end(),
                                       [this](const Frame* frame) { return frame->index == nextWrite; });
        if (!writing && !stopping && next != encoded.end()) {
            Frame* frame = *next;
            encoded.erase(next);
            writing = true;
            guard.unlock();
            // A frame that could not be encoded fails in its turn, after the files before it.
            const WriteResult result = frame->encodable ? sink.Write(*frame) : WriteResult::Failed;
            guard.lock();
            writing = false;
            free.push_back(frame);
            --inFlight;
            ++nextWrite;
            if (result == WriteResult::Written) {
                ++written;
            } else {
                failure = result;
                DropQueued();
            }
            guard.unlock();
            changed.notify_all();
            sink.Notify();
            guard.lock();
            continue;
        }
        if (!toEncode.empty()) {
            Frame* frame = toEncode.front();
            toEncode.pop_front();
            guard.unlock();
            const bool ok = sink.Encode(worker, *frame);
            guard.lock();
            if (failure != WriteResult::Written || stopping) {
                free.push_back(frame);
                --inFlight;
            } else {
                frame->encodable = ok;
                encoded.push_back(frame);
            }
            changed.notify_all();
            continue;
        }
        if (stopping)
            return;
        changed.wait(guard);
    }
}
