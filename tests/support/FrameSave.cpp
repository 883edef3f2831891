#include "tests/support/FrameSave.h"

#include "capture/OutputPath.h"
#include "image/FrameOutput.h"

bool SaveFrame(const CaptureSettings& settings, int64_t number, std::vector<uint8_t>& fileImage)
{
    const std::wstring path = BuildOutputPath(settings, number);
    if (!IsPngExtension(settings.ext))
        return WriteImageFile(path, fileImage.data(), fileImage.size());
    std::vector<uint8_t> png;
    return EncodePng(CImageEncoder(L"image/png"), fileImage, png) && WriteImageFile(path, png.data(), png.size());
}
