#pragma once

#include "common/output.h"
#include "common/value.h"
#include "common/waiter.h"

namespace korv {

// The controls of the main window, in creation order (which is also the keyboard focus order).
enum class Control {
    ErrorLine1,
    ErrorLine2,
    WriteButton,
    StatusField,
    PortList,
    ProgressBar,
    CrcField,
    CrcReceivedLabel,
    CrcLabel,
    OkButton,
    ErrorPicture,
    SuccessText,
    VersionLabel,
};

inline constexpr int kProgressMaximum = 507;

// What the rest of the program may do with the main window, and the events it raises. Every
// operation may be called from any thread: it is carried out on the window thread and its effect
// is complete when it returns. The Qt window implements it; the coordinator's tests fake it.
class WindowOperations {
public:
    virtual ~WindowOperations() = default;

    virtual void SetVisible(Control control, const Value& value) = 0;
    virtual void SetEnabled(Control control, const Value& value) = 0;
    virtual void SetWindowEnabled(const Value& value) = 0;
    virtual void SetText(Control control, const Value& value) = 0;
    virtual Value GetText(Control control) = 0;
    virtual void SetPosition(const Value& value) = 0;
    virtual void AddEntry(const Value& value) = 0;
    virtual void CloseWindow() = 0;

    // Switches event delivery on, raises Started, shows the window and runs the message loop
    // until the window has closed (Closing raised, delivery switched off for good).
    virtual void run() = 0;

    // How other threads wait while the window thread may be waiting for them.
    virtual Waiter& waiter() = 0;

    Output Started;
    Output Closing;
    Output WriteClicked;  // the integer 0
    Output OkClicked;
    Output PortChosen;  // the entry's text, followed by the integer 0
};

}  // namespace korv
