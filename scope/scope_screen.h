#pragma once

// The screen effects of the recording engine and the file operations,
// carried out by the scope window (display, buttons, panels, caption).
// The engine runs without it; tests record the calls.

class IScopeScreen {
public:
    virtual ~IScopeScreen() = default;

    // The start/stop button's position.
    virtual void SetRunButton(bool Down) = 0;
    // Recording look on: hints and automatic pop-up off, value-edit and
    // channel-button panels disabled, scroll bar hidden, status blink on,
    // read-outs cleared. Off: the reverse.
    virtual void SetRecordingLook(bool Recording) = 0;
    // Plot cleared and both cursors' sample positions reset.
    virtual void ClearPlot() = 0;
    // The incremental drawing starts again (first sample of a recording).
    virtual void RestartDrawing() = 0;
    // Sample `Index` of the ring was completed.
    virtual void DrawSample(int Index) = 0;
    // Scroll position 0 (or as the setup says after a load), scroll bar,
    // grid and traces redrawn, zero lines recomputed.
    virtual void RedrawAll() = 0;
    // The display's scroll position (stored in the file).
    virtual int ScrollPosition() const = 0;
    // Channel buttons, menu state, value edit, time-base chooser (with
    // TimeUnit) refreshed after the channels were resolved.
    virtual void ChannelsResolved() = 0;
    // The window caption is rebuilt.
    virtual void CaptionChanged() = 0;
    // After a save or a load: AddProj1 enabled, tool items updated,
    // cursors off.
    virtual void FileChanged() = 0;
    // Hourglass cursor on or off.
    virtual void Busy(bool On) = 0;
    // The project lost its last inverter: read-outs and help line off,
    // then the window closes.
    virtual void CloseForEmptyProject() = 0;
};

class NoScopeScreen final : public IScopeScreen {
public:
    void SetRunButton(bool) override {}
    void SetRecordingLook(bool) override {}
    void ClearPlot() override {}
    void RestartDrawing() override {}
    void DrawSample(int) override {}
    void RedrawAll() override {}
    int ScrollPosition() const override { return 0; }
    void ChannelsResolved() override {}
    void CaptionChanged() override {}
    void FileChanged() override {}
    void Busy(bool) override {}
    void CloseForEmptyProject() override {}
};
