#include "tests/support/CaptureFixture.h"

#include "res/resource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Files.h"

void CaptureFixture::SetUp()
{
    MainDlgFixture::SetUp();
    answerer = std::make_unique<MessageBoxAnswerer>(IDOK);
    ASSERT_NE(nullptr, clipboard.Window());
    ASSERT_TRUE(presses.Installed());
}

void CaptureFixture::TearDown()
{
    answerer.reset();
    MainDlgFixture::TearDown();
}

void CaptureFixture::AnswerWith(int button)
{
    answerer.reset();
    answerer = std::make_unique<MessageBoxAnswerer>(button);
}

void CaptureFixture::ClickStart(const std::wstring& folder, int ext, const std::wstring& rate,
                                const std::wstring& start)
{
    SetEditText(IDC_FOLDER, folder);
    SetEditText(IDC_FILENAME, L"shot");
    SelectItem(IDC_SEQ_WIDTH, 3);
    SelectItem(IDC_EXTENSION, ext);
    SetEditText(IDC_START_NUMBER, start);
    SetEditText(IDC_SAVE_RATE, rate);
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void CaptureFixture::RunUntilFiles(const std::wstring& folder, size_t count)
{
    const DWORD start = GetTickCount();
    while (FilesIn(folder).size() < count && answerer->Shown().empty() && GetTickCount() - start < kHangMs)
        PumpFor(10);
    ASSERT_GE(FilesIn(folder).size(), count)
        << (answerer->Shown().empty() ? "no file came in a minute" : "capture ended early");
}
