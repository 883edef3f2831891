// While a capture runs, the display and the machine stay on, and Windows does not slow the
// process down for its minimised window: Windows counts no screen recording as activity, and
// schedules a minimised window's process on its slowest cores and clocks.
#pragma once

class CRecordingPower {
public:
    CRecordingPower() = default;
    ~CRecordingPower() { Release(); }
    CRecordingPower(const CRecordingPower&) = delete;
    CRecordingPower& operator=(const CRecordingPower&) = delete;

    // On the window's thread, as Release: the display request belongs to the thread.
    void Hold();
    // Windows decides again, as for any program.
    void Release();

private:
    bool held = false;
};
