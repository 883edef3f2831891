// Answers the message boxes that the code under test shows on this thread, through a CBT hook,
// so that the real MessageBoxW runs; records the text and caption of each.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

struct ShownMessage {
    std::wstring text;
    std::wstring caption;
};

class MessageBoxAnswerer {
public:
    // Every box is answered with `answer` (IDOK, IDYES, IDNO ...), or OK where it has no such button.
    explicit MessageBoxAnswerer(int answer = IDOK);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    const std::vector<ShownMessage>& Shown() const { return shown; }
    // Exactly one box was shown: an error with this text.
    ::testing::AssertionResult ShowedOnlyTheError(const std::wstring& text) const;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);

    HHOOK hook = nullptr;
    const int answer;
    std::vector<ShownMessage> shown;
};

// The texts of a message box window: its caption and its longest static text.
ShownMessage ReadMessageBox(HWND box);

// The question at the end of a capture, with or without the note that the machine fell short of
// the rate asked: on a loaded test machine that note is the honest answer, not a fault.
::testing::AssertionResult IsEndQuestion(const std::wstring& text);
