#include "capture/SnapshotPictures.h"

#include "app/ResourceString.h"
#include "image/BmpFileHeader.h"
#include "res/resource.h"

using framefile::EndReason;
using framefile::ReadResult;

void CSnapshotPictures::Begin(HWND /*owner*/)
{
    packedBytes = 0;
    resized = false;
    // Opened anew: a new run of tessilo-screen replaces the file.
    frames.Close();
    Press();
}

void CSnapshotPictures::Press()
{
    if (!frames.IsOpen() && !frames.Open(path)) {
        last = ReadResult::ShortRead;
        return;
    }
    last = frames.Ask();
}

bool CSnapshotPictures::HasNewPicture()
{
    if (!frames.IsOpen())
        return false;
    last = frames.Poll();
    // Answered without a picture (none yet, or the grab failed), or overtaken by another reader's
    // request: asked again for as long as the capture waits.
    if (last == ReadResult::Waiting || last == ReadResult::Overtaken)
        Press();
    return last == ReadResult::Answered;
}

bool CSnapshotPictures::Prepare(size_t& fileBytes)
{
    if (!HasNewPicture())
        return false;
    std::vector<uint8_t> first;
    const ReadResult taken = frames.Take([&first](size_t bytes) -> uint8_t* {
        first.resize(bytes);
        return first.data();
    });
    last = taken;
    if (taken != ReadResult::Copied) {
        Press();
        return false;
    }
    // The first picture still shows the window: it only sizes the others.
    packedBytes = first.size();
    fileBytes = packedBytes + bmp::kFileHeaderSize;
    return true;
}

Taken CSnapshotPictures::Take(std::vector<uint8_t>& into)
{
    uint8_t* block = into.data() + bmp::kFileHeaderSize;
    const ReadResult taken = frames.Take([&](size_t bytes) -> uint8_t* {
        resized = bytes != packedBytes || into.size() < bytes + bmp::kFileHeaderSize;
        return resized ? nullptr : block;
    });
    last = taken;
    if (taken == ReadResult::Overtaken)
        return Taken::Displaced;
    if (taken != ReadResult::Copied)
        return Taken::Failed;
    return bmp::WriteFileHeader(into.data(), packedBytes) ? Taken::Picture : Taken::Failed;
}

std::wstring CSnapshotPictures::FaultText(PictureFault /*fault*/) const
{
    if (resized)
        return ResourceString(IDS_ERR_SCREEN_RESIZED);
    switch (last) {
    case ReadResult::Ended:
        switch (frames.Reason()) {
        case EndReason::ShareStopped:
        case EndReason::SessionClosed:
            return ResourceString(IDS_ERR_SOURCE_SHARE_ENDED);
        case EndReason::DisplayGone:
            return ResourceString(IDS_ERR_SOURCE_DISPLAY_GONE);
        case EndReason::Stopped:
            return ResourceString(IDS_ERR_SOURCE_STOPPED);
        default:
            return ResourceString(IDS_ERR_SOURCE_FAILED);
        }
    case ReadResult::Dead:
    case ReadResult::Pending:
        return ResourceString(IDS_ERR_SOURCE_STOPPED);
    case ReadResult::Waiting:
        return ResourceString(IDS_ERR_SOURCE_FAILED);
    case ReadResult::ShortRead:
    case ReadResult::NotAFrameFile:
        return ResourceString(frames.IsOpen() ? IDS_ERR_SOURCE_FAILED : IDS_ERR_SOURCE_MISSING);
    default:
        return ResourceString(IDS_ERR_SOURCE_FAILED);
    }
}
