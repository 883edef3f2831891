#include "capture/OutputPath.h"

#include "capture/OutputNaming.h"

std::wstring OutputFolder(const CaptureSettings& settings)
{
    return settings.folderHistory.Empty() ? L"C:\\" : settings.folderHistory.Front();
}

std::wstring OutputPrefix(const CaptureSettings& settings)
{
    return settings.specHistory.Empty() ? L"Tessilo" : settings.specHistory.Front();
}

std::wstring BuildOutputPath(const CaptureSettings& settings, int64_t number)
{
    return JoinPath(OutputFolder(settings), FormatOutputName(OutputPrefix(settings), number, settings.seqWidth,
                                                             settings.ext));
}
